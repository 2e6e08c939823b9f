// The engine's own member list: a walk over an archive's local file headers,
// independent of the zip library, sorted by name for index access and lookup.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zip/records.h"

namespace plat {
class Stream;
}

namespace zip {

struct SZipFileEntry {
  std::string fullName;    // as stored (lower-cased when the list ignores case)
  std::string simpleName;  // what sorting and lookup use
  std::string dirPath;     // slashes as separators; "" when there is none
  int64_t dataOffset = 0;  // stream position of the member's data
  SZIPFileHeader header;

  // Byte order: the first differing byte codes' difference, else the
  // length difference; capitals therefore sort before small letters.
  int Compare(const SZipFileEntry& other) const;
  int lessThan(const SZipFileEntry& other) const { return Compare(other) < 0; }
  int equals(const SZipFileEntry& other) const { return Compare(other) == 0; }
};

// Only ASCII letters: a byte of a UTF-8 name must never change.
std::string LowerAscii(std::string s);

// Splits a member name at its last slash or backslash: the name after it,
// and the directory before it with slashes ("" without a separator, or when
// the name ends in one).
void SplitMemberName(const std::string& fullName, std::string& simpleName, std::string& dirPath);

// A 32-bit size or position holding this stands in the Zip64 extra field.
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;

// Where an archive's central directory stands, as its end record tells
// (the Zip64 end record's values when there is one).
struct DirectoryEnd {
  int64_t start = 0;    // file position of the first central header
  int64_t end = 0;      // file position of the end record
  int64_t bias = 0;     // file position minus recorded position: data before the archive
  int64_t entries = 0;  // the member count recorded
};
// nullopt when the archive's last 64 KiB hold no end record.
std::optional<DirectoryEnd> FindDirectoryEnd(plat::Stream& stream);

// The engine's own reading of the central directory: the scan takes from it
// the sizes a local header leaves out, and the reader every size and
// position that stands only in a Zip64 extra field, which the zip library
// leaves at 0xFFFFFFFF.
struct CentralDirectory {
  struct Member {
    int64_t dirPos = 0;     // the central header's recorded position, as the zip library counts it
    int64_t headerPos = 0;  // file position of the local header
    SZIPFileDataDescriptor sizes;  // 0xFFFFFFFF where a size does not fit
    int64_t compressed = 0;
    int64_t uncompressed = 0;
    bool zip64 = false;  // a size or the position came from the Zip64 extra field
  };
  std::vector<Member> members;  // in directory order, or as a user sorts them
  int64_t start = 0;
};
// Every central header from the directory's start to the end record; no
// members without an end record. Leaves the stream position anywhere.
CentralDirectory ReadCentralDirectory(plat::Stream& stream);

class TZipFileList {
 public:
  // Scans every local header from the stream's position and sorts the
  // members (stable: equal names keep their archive order). nullptr when
  // the stream is missing. The stream stays open where the scan stopped.
  static std::unique_ptr<TZipFileList> create(plat::Stream* stream, int ignoreCase, int ignorePaths);

  int getFileCount() const { return static_cast<int>(entries.size()); }
  // A bad index ends the program through a runtime error.
  SZipFileEntry getFileInfo(int index) const;
  std::optional<SZipFileEntry> findFile(const std::string& name) const;
  // Records the member at the stream position; 0 at the end of the headers.
  int scanLocalHeader();
  int extractFilename(SZipFileEntry& entry) const;
  static int deletePathFromFilename(std::string& name);

  plat::Stream* stream = nullptr;  // the caller's; only valid while it keeps it open
  std::vector<SZipFileEntry> entries;
  int ignoreCase = 0;
  int ignorePaths = 0;

 private:
  // Members whose sizes follow their data (flag bit 3), or whose Zip64
  // sizes are missing, take them from the central directory, read once on
  // the first such member; the next header is where the directory's next
  // member starts, past any data descriptor. False when the directory does
  // not list the member.
  bool SizesFromCentralDirectory(int64_t headerPos, SZIPFileDataDescriptor& sizes, int64_t& compressed,
                                 int64_t& next);
  std::optional<CentralDirectory> central_;  // members by header position
};

}  // namespace zip
