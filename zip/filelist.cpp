#include "zip/filelist.h"

#include <algorithm>
#include <initializer_list>

#include "platform/files.h"
#include "platform/system.h"

namespace zip {

namespace {

// A file of N bytes could hold N/30 headers; past this many the scan stops
// rather than let a crafted file take gigabytes of memory.
constexpr size_t kMaxMembers = size_t{1} << 20;

constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kEnd64Signature = 0x06064B50;
constexpr uint32_t kEnd64LocatorSignature = 0x07064B50;
constexpr int kCentralBytes = 46;
constexpr int kEndBytes = 22;
constexpr int kEnd64Bytes = 56;
constexpr int kEnd64LocatorBytes = 20;

bool ReadBank(plat::Stream& s, plat::Bank& bank) {
  return bank.ReadFromStream(s, 0, bank.Size()) == bank.Size();
}

uint32_t U32(const plat::Bank& b, int64_t at) { return static_cast<uint32_t>(b.PeekInt(at)); }

// 64-bit sizes and positions from a hostile file: kept where sums of two
// of them cannot overflow.
int64_t U64(const plat::Bank& b, int64_t at) {
  return static_cast<int64_t>(std::min<uint64_t>(static_cast<uint64_t>(b.PeekLong(at)), uint64_t{1} << 62));
}

uint32_t Fit32(int64_t v) { return v > int64_t{kZip64Marker} ? kZip64Marker : static_cast<uint32_t>(v); }

// Takes from the Zip64 block (id 1) of an extra field one 8-byte value for
// each of `values` that is not null, in order. False without the block or
// when the block is too short for them.
bool ReadZip64Extra(const plat::Bank& extra, std::initializer_list<int64_t*> values) {
  const int64_t size = static_cast<int64_t>(extra.Size());
  for (int64_t at = 0; at + 4 <= size; at += 4 + extra.PeekShort(at + 2)) {
    if (extra.PeekShort(at) != 1) continue;
    const int64_t end = std::min(size, at + 4 + extra.PeekShort(at + 2));
    int64_t v = at + 4;
    for (int64_t* value : values) {
      if (!value) continue;
      if (v + 8 > end) return false;
      *value = U64(extra, v);
      v += 8;
    }
    return true;
  }
  return false;
}

}  // namespace

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

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
  // Sizes that follow the data (flag bit 3) or do not fit in 32 bits stand
  // elsewhere: in the Zip64 extra field, or else in the central directory.
  const bool zip64 = !(h.flags & 8) && (h.descriptor.compressedSize == kZip64Marker ||
                                         h.descriptor.uncompressedSize == kZip64Marker);
  plat::Bank extra(zip64 ? h.extraLength : 0);
  if (zip64) {
    ReadBank(*stream, extra);
  } else if (h.extraLength != 0) {
    stream->Seek(stream->Pos() + h.extraLength);
  }
  entry.dataOffset = stream->Pos();
  int64_t compressed = h.descriptor.compressedSize, uncompressed = h.descriptor.uncompressedSize;
  int64_t next = 0;
  if ((h.flags & 8) || (zip64 && !ReadZip64Extra(extra, {&uncompressed, &compressed}))) {
    // A member whose data cannot be stepped over ends the scan.
    if (!SizesFromCentralDirectory(headerPos, h.descriptor, compressed, next)) return 0;
  } else {
    h.descriptor.compressedSize = Fit32(compressed);
    h.descriptor.uncompressedSize = Fit32(uncompressed);
  }
  // Never backwards nor in place: a damaged size must not loop the scan.
  stream->Seek(std::max(next, entry.dataOffset + std::min(compressed, stream->Size())));
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

std::optional<DirectoryEnd> FindDirectoryEnd(plat::Stream& stream) {
  const int64_t size = stream.Size();
  // The end record sits in the last 22 bytes plus at most a 65535-byte comment.
  const int64_t tailStart = std::max<int64_t>(0, size - kEndBytes - 0xFFFF);
  plat::Bank tail(static_cast<size_t>(size - tailStart));
  stream.Seek(tailStart);
  if (!ReadBank(stream, tail)) return std::nullopt;
  int64_t end = -1;
  for (int64_t i = static_cast<int64_t>(tail.Size()) - kEndBytes; i >= 0 && end < 0; --i)
    if (U32(tail, i) == kEndSignature) end = i;
  if (end < 0) return std::nullopt;
  DirectoryEnd d;
  int64_t cdEnd = end, cdBytes = U32(tail, end + 12), cdOffset = U32(tail, end + 16);
  d.entries = tail.PeekShort(end + 10);
  // A Zip64 end record, just before its locator, holds the 64-bit values.
  const int64_t end64 = end - kEnd64LocatorBytes - kEnd64Bytes;
  if (end64 >= 0 && U32(tail, end - kEnd64LocatorBytes) == kEnd64LocatorSignature &&
      U32(tail, end64) == kEnd64Signature) {
    cdEnd = end64, cdBytes = U64(tail, end64 + 40), cdOffset = U64(tail, end64 + 48);
    d.entries = U64(tail, end64 + 32);
  }
  d.start = tailStart + cdEnd - cdBytes;
  if (d.start < 0) return std::nullopt;
  d.end = tailStart + end;
  // Data before the archive (or an archive appended to another file)
  // shifts every recorded offset by the same amount.
  d.bias = d.start - cdOffset;
  return d;
}

CentralDirectory ReadCentralDirectory(plat::Stream& stream) {
  CentralDirectory dir;
  const std::optional<DirectoryEnd> end = FindDirectoryEnd(stream);
  if (!end) return dir;
  dir.start = end->start;
  stream.Seek(end->start);
  plat::Bank rec(kCentralBytes);
  for (int64_t at = end->start; at < end->end && ReadBank(stream, rec) && U32(rec, 0) == kCentralSignature;
       at = stream.Pos()) {
    CentralDirectory::Member m;
    m.dirPos = at - end->bias;
    m.sizes.fillFromBank(rec, 16);
    int64_t offset = U32(rec, 42);
    m.compressed = m.sizes.compressedSize;
    m.uncompressed = m.sizes.uncompressedSize;
    const int64_t nameEnd = stream.Pos() + rec.PeekShort(28);
    const int64_t after = nameEnd + rec.PeekShort(30) + rec.PeekShort(32);
    m.zip64 = m.uncompressed == kZip64Marker || m.compressed == kZip64Marker || offset == kZip64Marker;
    if (m.zip64) {
      plat::Bank extra(static_cast<size_t>(rec.PeekShort(30)));
      stream.Seek(nameEnd);
      ReadBank(stream, extra);
      ReadZip64Extra(extra, {m.uncompressed == kZip64Marker ? &m.uncompressed : nullptr,
                             m.compressed == kZip64Marker ? &m.compressed : nullptr,
                             offset == kZip64Marker ? &offset : nullptr});
      m.sizes.uncompressedSize = Fit32(m.uncompressed);
      m.sizes.compressedSize = Fit32(m.compressed);
    }
    m.headerPos = offset + end->bias;
    dir.members.push_back(m);
    stream.Seek(after);
  }
  return dir;
}

bool TZipFileList::SizesFromCentralDirectory(int64_t headerPos, SZIPFileDataDescriptor& sizes,
                                             int64_t& compressed, int64_t& next) {
  if (!central_) {
    const int64_t resume = stream->Pos();
    central_ = ReadCentralDirectory(*stream);
    std::sort(central_->members.begin(), central_->members.end(),
              [](const auto& a, const auto& b) { return a.headerPos < b.headerPos; });
    stream->Seek(resume);
  }
  const auto& members = central_->members;
  auto it = std::lower_bound(members.begin(), members.end(), headerPos,
                             [](const auto& e, int64_t pos) { return e.headerPos < pos; });
  if (it == members.end() || it->headerPos != headerPos) return false;
  sizes = it->sizes;
  compressed = it->compressed;
  next = it + 1 == members.end() ? central_->start : (it + 1)->headerPos;
  return true;
}

}  // namespace zip
