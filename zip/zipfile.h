// Zip archives: the writer the pack export uses and the reader, over the zip
// library (minizip), with the engine's own member list beside the library's
// bookkeeping.
//
// Results: openZip gives 1 on success and 0 on failure; addFile, addStream,
// closeZip and extractFileToDisk give 0 when everything was written and a
// non-zero result otherwise, so a caller can tell a bad archive from a good
// one.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "zip/filelist.h"

namespace zip {

// Members are read whole into memory; larger ones are refused.
constexpr int64_t kMaxMemberBytes = int64_t{1} << 30;

// Past this many members an archive needs a Zip64 end record, which the zip
// library writes only for a directory that starts past 4 GiB. So the writer
// refuses one member more (kArchiveFull), and does not open an archive
// that already holds this many for adding: the library would rewrite its
// directory without that record.
constexpr int64_t kMaxArchiveMembers = 0xFFFF;
constexpr int kArchiveFull = 2;

struct ZipUnit {
  bool started = false;
};
extern ZipUnit Unit;
// Run once (start-up and the sound-library loader both call it); returns 0.
int InitZipUnit();
void ResetZipUnit();

// A member's time stamp from a date text "08 Dec 2026" (the month's English
// name, any case; an unknown one gives January) and a time text "14:07:59".
tm_zip TmZipFromTexts(const std::string& date, const std::string& time);

class ZipFile {
 public:
  virtual ~ZipFile() = default;
  // Rebuilds the member list by scanning the archive file `name`.
  void readFileList();
  void clearFileList() { fileList.reset(); }
  int getFileCount() const { return fileList ? fileList->getFileCount() : 0; }
  void setName(const std::string& n) { name = n; }
  std::string getName() const { return name; }
  // A bad index (also without a list) ends the program through a runtime error.
  SZipFileEntry getFileInfo(int index) const;
  std::optional<SZipFileEntry> findFile(const std::string& memberName) const;

 protected:
  std::string name;
  std::unique_ptr<TZipFileList> fileList;
};

class RawDeflater;

class ZipWriter : public ZipFile {
 public:
  ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;
  // Finishes an archive still open, so it is never left without its directory.
  ~ZipWriter() override;

  // append 0 creates (replacing a file of that name), otherwise adds to an
  // existing archive (one of kMaxArchiveMembers or more is refused,
  // untouched). An archive still open is finished first.
  int openZip(const std::string& archiveName, int append);
  // -1 (zlib's default) to 9; other values, or no open archive, change nothing.
  void setCompressionLevel(int level);
  // The member is named exactly like fileName, or memberName, and carries
  // the file's modification time; an empty password stores it without
  // encryption.
  int addFile(const std::string& fileName, const std::string& password);
  int addFile(const std::string& fileName, const std::string& memberName, const std::string& password);
  // The stream's bytes from its position to its end, stamped with the
  // current local time; the stream is closed.
  int addStream(plat::Stream* stream, const std::string& entryName, const std::string& password);
  int closeZip(const std::string& comment);

  int getCompressionLevel() const { return compressionLevel; }

 private:
  int WriteMember(const std::string& memberName, const tm_zip& time, const std::vector<uint8_t>& bytes,
                  const std::string& password);

  void* handle = nullptr;
  int compressionLevel = -1;
  bool failed_ = false;  // a member of the open archive was not written
  int64_t members_ = 0;  // in the open archive, as its directory will count them
  std::unique_ptr<RawDeflater> deflater_;
  std::vector<uint8_t> packed_;
};

// A memory stream that owns its bytes; independent of the reader once handed out.
class ZipRamStream : public plat::MemoryStream {
 public:
  using plat::MemoryStream::MemoryStream;
  // size zero bytes at position 0; nullptr when they cannot be allocated.
  static std::unique_ptr<ZipRamStream> create(size_t size, int readable, int writable);
};

class ZipReader : public ZipFile {
 public:
  ZipReader() = default;
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;
  ~ZipReader() override;

  int openZip(const std::string& archiveName);
  // A read-only stream of the member's bytes at position 0, or nullptr when
  // the member is missing, larger than kMaxMemberBytes, damaged, or the
  // password is wrong.
  std::unique_ptr<ZipRamStream> extractFile(const std::string& memberName, int caseSensitive,
                                            const std::string& password);
  // Replaces the output file only after a successful extraction; without
  // one an existing file stays as it was (a missing one is created empty).
  int extractFileToDisk(const std::string& memberName, const std::string& outputPath, int caseSensitive,
                        const std::string& password);
  int closeZip();

 private:
  // A member's place in the library's central directory.
  struct MemberPos {
    uint64_t dirPos = 0;
    uint64_t number = 0;
  };
  void IndexMembers();
  // Our own reading of the archive's central directory, made on first
  // need: the zip library leaves a size or position that stands only in a
  // Zip64 extra field at 0xFFFFFFFF, and such members are read from it.
  const CentralDirectory& OwnDirectory();

  void* handle = nullptr;
  int64_t archiveBytes_ = 0;  // no member can hold more than the file has
  // Each name's first member in the central directory, found without
  // walking it again: by the name as stored and with ASCII letters
  // lower-cased.
  std::unordered_map<std::string, MemberPos> byName_, byFoldedName_;
  std::optional<CentralDirectory> ownDirectory_;  // read on first need
};

}  // namespace zip
