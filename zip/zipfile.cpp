#include "zip/zipfile.h"

#include <unzip.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <new>

#include "platform/dates.h"
#include "platform/system.h"
#include "zip/libext.h"

namespace zip {

ZipUnit Unit;

namespace {

using Bytes = std::vector<uint8_t>;

// Our own refusals; the library's failures keep its (negative) codes.
constexpr int kNotWritten = 1;

// Deflate cannot expand data more than 1032-fold: a member claiming more is
// damaged, and its claim must not decide how much memory is taken.
constexpr uint64_t kMaxInflateRatio = 1040;

int Digits(const std::string& text, size_t pos, size_t count) {
  int v = 0;
  for (size_t i = pos; i < pos + count && i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    v = v * 10 + (text[i] - '0');
  }
  return v;
}

tm_zip TmZipFromUnix(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_sec, tm.tm_min, tm.tm_hour, tm.tm_mday, tm.tm_mon, tm.tm_year + 1900};
}

// DOS dates run from 1980 to 2107; the library turns other years into noise.
tm_zip InDosRange(const tm_zip& t) {
  if (t.tm_year < 1980) return {0, 0, 0, 1, 0, 1980};
  if (t.tm_year > 2107) return {58, 59, 23, 31, 11, 2107};
  return t;
}

uint32_t Crc(const std::vector<uint8_t>& bytes) {
  return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// A member's stored bytes, a chunk at a time: the count read, 0 at their
// end, negative on a fault.
using RawRead = std::function<int(uint8_t*, unsigned)>;

// Decrypts a member's stored bytes when it is encrypted, and inflates or
// copies them into out (sized to the member's uncompressed size). True only
// when exactly that many bytes came out and their CRC matches.
bool DecodeMember(const RawRead& read, const unz_file_info64& info, const std::string& password,
                  std::vector<uint8_t>& out) {
  const bool encrypted = info.flag & 1;
  const bool deflated = info.compression_method == Z_DEFLATED;
  if ((encrypted && password.empty()) || (!deflated && info.compression_method != 0)) return false;
  TraditionalCipher cipher(password);
  bool ok = true;
  if (encrypted) {
    uint8_t head[TraditionalCipher::kHeaderBytes];
    ok = read(head, sizeof head) == static_cast<int>(sizeof head);
    cipher.Decrypt(head, sizeof head);
    // With sizes after the data (bit 3) the check byte comes from the time.
    const uint8_t check = static_cast<uint8_t>((info.flag & 8) ? info.dosDate >> 8 : info.crc >> 24);
    ok = ok && head[sizeof head - 1] == check;
  }
  z_stream z{};
  if (ok && deflated && inflateInit2(&z, -MAX_WBITS) != Z_OK) ok = false;
  uint8_t spare = 0;  // zlib wants an output address even for an empty member
  z.next_out = out.empty() ? &spare : out.data();
  z.avail_out = static_cast<uInt>(out.size());
  bool ended = !deflated;
  std::vector<uint8_t> chunk(1 << 16);
  while (ok) {
    const int n = read(chunk.data(), static_cast<unsigned>(chunk.size()));
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (encrypted) cipher.Decrypt(chunk.data(), static_cast<size_t>(n));
    if (!deflated) {
      ok = static_cast<size_t>(n) <= z.avail_out;
      if (ok) std::memcpy(z.next_out, chunk.data(), static_cast<size_t>(n));
      z.next_out += ok ? n : 0;
      z.avail_out -= ok ? static_cast<uInt>(n) : 0;
      continue;
    }
    z.next_in = chunk.data();
    z.avail_in = static_cast<uInt>(n);
    const int r = inflate(&z, Z_NO_FLUSH);
    ended = r == Z_STREAM_END;
    // Input left over means more bytes than the member claims.
    ok = (r == Z_OK || ended) && (ended || z.avail_in == 0);
    if (ended) break;
  }
  if (deflated) inflateEnd(&z);
  return ok && ended && z.avail_out == 0 && Crc(out) == info.crc;
}

// The stream a member is read into; nullptr when its claimed sizes are
// beyond what the archive could hold or we read whole.
std::unique_ptr<ZipRamStream> MemberStream(uint64_t size, uint64_t packed, int64_t archiveBytes) {
  if (size > static_cast<uint64_t>(kMaxMemberBytes) || packed > static_cast<uint64_t>(archiveBytes) ||
      size > packed * kMaxInflateRatio + 1024) {
    return nullptr;
  }
  return ZipRamStream::create(static_cast<size_t>(size), 1, 0);
}

// An archive without members is its end record alone, which the library
// does not find at the very start of a file.
bool IsEmptyArchive(const std::string& path) {
  Bytes bytes;
  return plat::LoadFileBytes(path, bytes, 22 + 0xFFFF) && bytes.size() >= 22 &&
         bytes[0] == 'P' && bytes[1] == 'K' && bytes[2] == 5 && bytes[3] == 6 &&
         std::all_of(bytes.begin() + 8, bytes.begin() + 20, [](uint8_t b) { return b == 0; }) &&
         bytes.size() == 22u + (bytes[20] | bytes[21] << 8);
}

}  // namespace

// One deflate state serves every member of an archive: setting one up costs
// more than compressing a small member.
class RawDeflater {
 public:
  ~RawDeflater() {
    if (ready_) deflateEnd(&z_);
  }
  bool Run(const std::vector<uint8_t>& in, int level, std::vector<uint8_t>& out) {
    if (ready_ && level != level_) {
      deflateEnd(&z_);
      ready_ = false;
    }
    if (ready_) {
      deflateReset(&z_);
    } else {
      z_ = z_stream{};
      if (deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
      ready_ = true;
      level_ = level;
    }
    out.resize(deflateBound(&z_, static_cast<uLong>(in.size())));
    z_.next_in = const_cast<Bytef*>(in.data());
    z_.avail_in = static_cast<uInt>(in.size());
    z_.next_out = out.data();
    z_.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&z_, Z_FINISH);
    out.resize(z_.total_out);
    return r == Z_STREAM_END;
  }

 private:
  z_stream z_{};
  bool ready_ = false;
  int level_ = 0;
};

int InitZipUnit() {
  if (Unit.started) return 0;
  Unit.started = true;
  tzset();  // member time stamps follow the local zone
  return 0;
}

void ResetZipUnit() { Unit = ZipUnit{}; }

tm_zip TmZipFromTexts(const std::string& date, const std::string& time) {
  static const std::string kMonths = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
  std::string month = date.size() >= 6 ? date.substr(3, 3) : "";
  for (char& c : month) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const size_t at = month.size() == 3 ? kMonths.find(month) : std::string::npos;
  tm_zip t;
  t.tm_mday = Digits(date, 0, 2);
  t.tm_mon = at == std::string::npos ? 0 : static_cast<int32_t>((at + 1) / 3);
  t.tm_year = Digits(date, date.size() >= 4 ? date.size() - 4 : 0, 4);
  t.tm_hour = Digits(time, 0, 2);
  t.tm_min = Digits(time, 3, 2);
  t.tm_sec = Digits(time, 6, 2);
  return t;
}

// --- ZipFile ---------------------------------------------------------------

void ZipFile::readFileList() {
  clearFileList();
  if (name.empty() || plat::FileSize(name) <= 0) return;
  plat::StreamPtr s = plat::ReadFile(name);
  if (!s) return;
  fileList = TZipFileList::create(s.get(), 0, 0);
  fileList->stream = nullptr;  // closed on return
}

SZipFileEntry ZipFile::getFileInfo(int index) const {
  static const TZipFileList kEmpty;
  return (fileList ? *fileList : kEmpty).getFileInfo(index);
}

std::optional<SZipFileEntry> ZipFile::findFile(const std::string& memberName) const {
  return fileList ? fileList->findFile(memberName) : std::nullopt;
}

// --- ZipWriter -------------------------------------------------------------

ZipWriter::ZipWriter() = default;

ZipWriter::~ZipWriter() {
  if (handle) zipClose(handle, nullptr);
}

int ZipWriter::openZip(const std::string& archiveName, int append) {
  if (handle) closeZip("");
  int64_t members = 0;
  if (append) {
    // Counted before the library opens it: closing it again would already
    // rewrite its directory.
    plat::StreamPtr s = plat::ReadFile(archiveName);
    const std::optional<DirectoryEnd> end = s ? FindDirectoryEnd(*s) : std::nullopt;
    members = end ? end->entries : 0;
    if (members >= kMaxArchiveMembers) return 0;
  }
  void* h = zipOpen(plat::ResolvePath(archiveName).c_str(),
                    append ? APPEND_STATUS_ADDINZIP : APPEND_STATUS_CREATE);
  if (!h) return 0;
  handle = h;
  failed_ = false;
  members_ = members;
  name = archiveName;
  readFileList();
  return 1;
}

void ZipWriter::setCompressionLevel(int level) {
  if (handle && level >= -1 && level <= 9) compressionLevel = level;
}

int ZipWriter::addFile(const std::string& fileName, const std::string& password) {
  return addFile(fileName, fileName, password);
}

int ZipWriter::addFile(const std::string& fileName, const std::string& memberName,
                       const std::string& password) {
  if (!handle) return kNotWritten;
  // Reading is all it takes: a read-only file belongs in the archive too.
  plat::StreamPtr file = plat::ReadFile(fileName);
  std::vector<uint8_t> bytes;
  if (!file || !plat::LoadStreamBytes(*file, bytes, kMaxMemberBytes)) {
    failed_ = true;
    return kNotWritten;
  }
  file->Close();
  return WriteMember(memberName, TmZipFromUnix(plat::FileTime(fileName)), bytes, password);
}

int ZipWriter::addStream(plat::Stream* stream, const std::string& entryName, const std::string& password) {
  if (!handle || !stream) return kNotWritten;
  std::vector<uint8_t> bytes;
  const bool loaded = plat::LoadStreamBytes(*stream, bytes, kMaxMemberBytes);
  stream->Close();
  if (!loaded) {
    failed_ = true;
    return kNotWritten;
  }
  const int64_t now = std::time(nullptr);
  return WriteMember(entryName, TmZipFromTexts(plat::DateText(now), plat::TimeText(now)), bytes, password);
}

int ZipWriter::WriteMember(const std::string& memberName, const tm_zip& time,
                           const std::vector<uint8_t>& bytes, const std::string& password) {
  if (members_ >= kMaxArchiveMembers) {
    failed_ = true;
    return kArchiveFull;
  }
  zip_fileinfo info;
  info.tmz_date = InDosRange(time);
  const plat::Bank block = info.toBank();
  ::zip_fileinfo libInfo;
  std::memcpy(&libInfo, block.Data(), sizeof libInfo);
  // Every member is deflated here and handed to the library raw, whether
  // it is encrypted or not.
  const uint32_t crc = Crc(bytes);
  TraditionalCipher cipher;
  int r = openNewEntryWithPassword(handle, memberName.c_str(), &libInfo, nullptr, 0, nullptr, 0, nullptr,
                                   Z_DEFLATED, compressionLevel, password, crc, cipher);
  if (r == ZIP_OK) ++members_;  // the library lists it from here on, whatever follows
  if (!deflater_) deflater_ = std::make_unique<RawDeflater>();
  if (r == ZIP_OK && !deflater_->Run(bytes, compressionLevel, packed_)) r = ZIP_INTERNALERROR;
  if (r == ZIP_OK && !password.empty()) cipher.Encrypt(packed_.data(), packed_.size());
  if (r == ZIP_OK) r = zipWriteInFileInZip(handle, packed_.data(), static_cast<unsigned>(packed_.size()));
  if (r == ZIP_OK) r = zipCloseFileInZipRaw(handle, static_cast<uLong>(bytes.size()), crc);
  if (r != ZIP_OK) {
    failed_ = true;
    return r;
  }
  SZipFileEntry entry;
  entry.fullName = memberName;
  SplitMemberName(memberName, entry.simpleName, entry.dirPath);
  if (!fileList) fileList = std::make_unique<TZipFileList>();
  fileList->entries.push_back(std::move(entry));
  return 0;
}

int ZipWriter::closeZip(const std::string& comment) {
  int r = kNotWritten;
  if (handle) {
    // Never null: the library would keep an appended-to archive's old comment.
    r = zipClose(handle, comment.c_str());
    if (r == ZIP_OK && failed_) r = kNotWritten;
  }
  handle = nullptr;
  failed_ = false;
  deflater_.reset();
  packed_ = {};
  name.clear();
  clearFileList();
  return r;
}

// --- ZipRamStream ----------------------------------------------------------

std::unique_ptr<ZipRamStream> ZipRamStream::create(size_t size, int readable, int writable) {
  try {
    return std::make_unique<ZipRamStream>(std::vector<uint8_t>(size), readable != 0, writable != 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// --- ZipReader -------------------------------------------------------------

ZipReader::~ZipReader() {
  if (handle) unzClose(handle);
}

int ZipReader::openZip(const std::string& archiveName) {
  if (handle) closeZip();
  void* h = unzOpen(plat::ResolvePath(archiveName).c_str());
  if (!h && !IsEmptyArchive(archiveName)) return 0;
  handle = h;
  name = archiveName;
  archiveBytes_ = plat::FileSize(archiveName);
  ownDirectory_.reset();
  readFileList();
  IndexMembers();
  return 1;
}

void ZipReader::IndexMembers() {
  byName_.clear();
  byFoldedName_.clear();
  if (!handle) return;
  std::vector<char> memberName(0x10000);
  for (int r = unzGoToFirstFile(handle); r == UNZ_OK; r = unzGoToNextFile(handle)) {
    unz_file_info64 info{};
    unz64_file_pos pos{};
    if (unzGetCurrentFileInfo64(handle, &info, memberName.data(), memberName.size(), nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        unzGetFilePos64(handle, &pos) != UNZ_OK) {
      break;
    }
    std::string stored(memberName.data(), std::min<size_t>(info.size_filename, memberName.size()));
    byFoldedName_.try_emplace(LowerAscii(stored), MemberPos{pos.pos_in_zip_directory, pos.num_of_file});
    byName_.try_emplace(std::move(stored), MemberPos{pos.pos_in_zip_directory, pos.num_of_file});
  }
}

std::unique_ptr<ZipRamStream> ZipReader::extractFile(const std::string& memberName, int caseSensitive,
                                                     const std::string& password) {
  if (!handle) return nullptr;
  const auto& index = caseSensitive ? byName_ : byFoldedName_;
  const auto at = index.find(caseSensitive ? memberName : LowerAscii(memberName));
  if (at == index.end()) return nullptr;
  const unz64_file_pos pos{at->second.dirPos, at->second.number};
  if (unzGoToFilePos64(handle, &pos) != UNZ_OK) return nullptr;
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return nullptr;
  const bool sizesRead = info.uncompressed_size != kZip64Marker && info.compressed_size != kZip64Marker;
  // Before the member is opened: asking reads the directory again, away
  // from the member's data.
  const uint64_t size = sizesRead ? getCurrentEntrySize(handle) : 0;
  int method = 0, level = 0;
  if (sizesRead && unzOpenCurrentFile2(handle, &method, &level, 1) == UNZ_OK) {
    std::unique_ptr<ZipRamStream> out = MemberStream(size, info.compressed_size, archiveBytes_);
    const RawRead read = [this](uint8_t* b, unsigned n) { return unzReadCurrentFile(handle, b, n); };
    const bool ok = out && DecodeMember(read, info, password, out->Bytes());
    unzCloseCurrentFile(handle);
    return ok ? std::move(out) : nullptr;
  }
  // The library took a value standing only in the Zip64 extra field for
  // 0xFFFFFFFF: its sizes, or the position it could not open the member at.
  const auto& members = OwnDirectory().members;
  const auto m = std::lower_bound(members.begin(), members.end(), static_cast<int64_t>(pos.pos_in_zip_directory),
                                  [](const auto& e, int64_t at) { return e.dirPos < at; });
  if (m == members.end() || m->dirPos != static_cast<int64_t>(pos.pos_in_zip_directory) || !m->zip64) {
    return nullptr;
  }
  std::unique_ptr<ZipRamStream> out = MemberStream(m->uncompressed, m->compressed, archiveBytes_);
  plat::StreamPtr file = out ? plat::ReadFile(name) : nullptr;
  SZIPFileHeader local;
  if (!file || file->Seek(m->headerPos) != m->headerPos || !local.fillFromStream(file.get(), SZIPFileHeader::kBytes) ||
      local.signature != SZIPFileHeader::kSignature) {
    return nullptr;
  }
  const int64_t data = m->headerPos + SZIPFileHeader::kBytes + local.nameLength + local.extraLength;
  int64_t left = m->compressed;
  const RawRead read = [&](uint8_t* b, unsigned n) {
    const size_t got = file->Read(b, static_cast<size_t>(std::min<int64_t>(n, left)));
    left -= static_cast<int64_t>(got);
    return static_cast<int>(got);
  };
  return file->Seek(data) == data && DecodeMember(read, info, password, out->Bytes()) ? std::move(out) : nullptr;
}

const CentralDirectory& ZipReader::OwnDirectory() {
  if (!ownDirectory_) {
    plat::StreamPtr s = plat::ReadFile(name);
    ownDirectory_ = s ? ReadCentralDirectory(*s) : CentralDirectory{};
  }
  return *ownDirectory_;
}

int ZipReader::extractFileToDisk(const std::string& memberName, const std::string& outputPath,
                                 int caseSensitive, const std::string& password) {
  if (std::unique_ptr<ZipRamStream> member = extractFile(memberName, caseSensitive, password)) {
    return plat::SaveFileSafely(outputPath, member->Bytes(), false) ? 0 : kNotWritten;
  }
  if (plat::FileType(outputPath) == plat::kFileNone) plat::SaveFileSafely(outputPath, {}, false);
  return kNotWritten;
}

int ZipReader::closeZip() {
  if (handle) unzClose(handle);
  handle = nullptr;
  byName_.clear();
  byFoldedName_.clear();
  ownDirectory_.reset();
  name.clear();
  clearFileList();
  return 0;
}

}  // namespace zip
