#include "zip/filelist.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/system.h"

namespace zip {

namespace {

// A file of N bytes could hold N/30 headers; past this many the scan stops
// rather than let a crafted file take gigabytes of memory.
constexpr size_t kMaxMembers = size_t{1} << 20;

constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr int kCentralBytes = 46;
constexpr int kEndBytes = 22;

// Only ASCII letters: a byte of a UTF-8 name must never change.
std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool ReadBank(plat::Stream& s, plat::Bank& bank) {
  return bank.ReadFromStream(s, 0, bank.Size()) == bank.Size();
}

uint32_t U32(const plat::Bank& b, int64_t at) { return static_cast<uint32_t>(b.PeekInt(at)); }

}  // namespace

int SZipFileEntry::Compare(const SZipFileEntry& other) const {
  const std::string& a = simpleName;
  const std::string& b = other.simpleName;
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

void SplitMemberName(const std::string& fullName, std::string& simpleName, std::string& dirPath) {
  const size_t sep = fullName.find_last_of("/\\");
  if (sep == std::string::npos) {
    simpleName = fullName;
    dirPath.clear();
    return;
  }
  simpleName = fullName.substr(sep + 1);
  dirPath = simpleName.empty() ? std::string() : fullName.substr(0, sep);
  std::replace(dirPath.begin(), dirPath.end(), '\\', '/');
}

std::unique_ptr<TZipFileList> TZipFileList::create(plat::Stream* stream, int ignoreCase, int ignorePaths) {
  if (!stream) return nullptr;
  auto list = std::make_unique<TZipFileList>();
  list->stream = stream;
  list->ignoreCase = ignoreCase;
  list->ignorePaths = ignorePaths;
  while (list->scanLocalHeader()) {
  }
  std::stable_sort(list->entries.begin(), list->entries.end(),
                   [](const SZipFileEntry& a, const SZipFileEntry& b) { return a.lessThan(b); });
  return list;
}

SZipFileEntry TZipFileList::getFileInfo(int index) const {
  if (index < 0 || index >= getFileCount()) {
    plat::RuntimeError("TZipReader.getFileInfo(): Invalid index " + std::to_string(index));
  }
  return entries[static_cast<size_t>(index)];
}

std::optional<SZipFileEntry> TZipFileList::findFile(const std::string& name) const {
  SZipFileEntry probe;
  probe.simpleName = ignoreCase ? LowerAscii(name) : name;
  if (ignorePaths) deletePathFromFilename(probe.simpleName);
  for (const SZipFileEntry& e : entries)
    if (e.equals(probe)) return e;
  return std::nullopt;
}

int TZipFileList::scanLocalHeader() {
  if (!stream || entries.size() >= kMaxMembers) return 0;
  const int64_t headerPos = stream->Pos();
  SZipFileEntry entry;
  SZIPFileHeader& h = entry.header;
  if (!h.fillFromStream(stream, SZIPFileHeader::kBytes) || h.signature != SZIPFileHeader::kSignature) {
    return 0;
  }
  if (h.nameLength > stream->Size() - stream->Pos()) return 0;
  entry.fullName = stream->ReadString(h.nameLength);
  extractFilename(entry);
  if (h.extraLength != 0) stream->Seek(stream->Pos() + h.extraLength);
  entry.dataOffset = stream->Pos();
  // A member whose data cannot be stepped over ends the scan: a damaged
  // size must never send the scan backwards or round in a loop.
  int64_t next = 0;
  if ((h.flags & 8) && !SizesFromCentralDirectory(headerPos, h.descriptor, next)) return 0;
  const int32_t compressed = static_cast<int32_t>(h.descriptor.compressedSize);
  if (compressed < 0) return 0;
  stream->Seek(std::max(next, entry.dataOffset + compressed));
  entries.push_back(std::move(entry));
  return stream->Pos() > headerPos ? 1 : 0;
}

int TZipFileList::extractFilename(SZipFileEntry& entry) const {
  if (entry.header.nameLength == 0) return 0;
  if (ignoreCase) entry.fullName = LowerAscii(entry.fullName);
  SplitMemberName(entry.fullName, entry.simpleName, entry.dirPath);
  if (!ignorePaths) entry.simpleName = entry.fullName;
  return 0;
}

int TZipFileList::deletePathFromFilename(std::string& name) {
  const size_t sep = name.find_last_of("/\\");
  if (sep != std::string::npos) name.erase(0, sep + 1);
  return 0;
}

bool TZipFileList::SizesFromCentralDirectory(int64_t headerPos, SZIPFileDataDescriptor& sizes,
                                             int64_t& next) {
  if (!central_) {
    central_.emplace();
    const int64_t resume = stream->Pos();
    const int64_t size = stream->Size();
    // The end record sits in the last 22 bytes plus at most a 65535-byte comment.
    const int64_t tailStart = std::max<int64_t>(0, size - kEndBytes - 0xFFFF);
    plat::Bank tail(static_cast<size_t>(size - tailStart));
    stream->Seek(tailStart);
    int64_t end = -1;
    if (ReadBank(*stream, tail)) {
      for (int64_t i = static_cast<int64_t>(tail.Size()) - kEndBytes; i >= 0 && end < 0; --i)
        if (U32(tail, i) == kEndSignature) end = i;
    }
    const int64_t cdStart = end < 0 ? -1 : tailStart + end - U32(tail, end + 12);
    if (cdStart >= 0) {
      // Data before the archive (or an archive appended to another file)
      // shifts every recorded offset by the same amount.
      const int64_t bias = cdStart - U32(tail, end + 16);
      central_->start = cdStart;
      stream->Seek(cdStart);
      plat::Bank rec(kCentralBytes);
      while (stream->Pos() < tailStart + end && ReadBank(*stream, rec) && U32(rec, 0) == kCentralSignature) {
        SZIPFileDataDescriptor d;
        d.fillFromBank(rec, 16);
        central_->members.emplace_back(U32(rec, 42) + bias, d);
        stream->Seek(stream->Pos() + rec.PeekShort(28) + rec.PeekShort(30) + rec.PeekShort(32));
      }
      std::sort(central_->members.begin(), central_->members.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    stream->Seek(resume);
  }
  const auto& members = central_->members;
  auto it = std::lower_bound(members.begin(), members.end(), headerPos,
                             [](const auto& e, int64_t pos) { return e.first < pos; });
  if (it == members.end() || it->first != headerPos) return false;
  sizes = it->second;
  next = it + 1 == members.end() ? central_->start : (it + 1)->first;
  return true;
}

}  // namespace zip
