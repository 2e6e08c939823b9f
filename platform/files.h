// Files and streams.
//
// Paths may use backslashes and any letter case ("GFX\x.png", "data/Packs");
// ResolvePath maps them onto the case-sensitive file system. Streams are
// little-endian; reading past the end yields 0 and "" and is no error.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {

enum FileKind { kFileNone = 0, kFileNormal = 1, kFileDir = 2 };

// Backslashes become slashes; each existing component is matched without
// regard to case; components that do not exist keep their spelling.
std::string ResolvePath(const std::string& path);
int FileType(const std::string& path);
int64_t FileSize(const std::string& path);  // -1 when missing
// Last modification, in seconds since 1970; -1 when missing.
int64_t FileTime(const std::string& path);
// True for a symbolic link itself, whatever it points at.
bool IsSymbolicLink(const std::string& path);
bool DeleteFile(const std::string& path);
bool CreateDir(const std::string& path);  // no parents
bool DeleteDir(const std::string& path);  // an empty folder only
// Names in the directory (without "." and ".."), sorted by name.
std::vector<std::string> ReadDir(const std::string& path);
bool ChangeDir(const std::string& path);
std::string CurrentDir();

class Stream {
 public:
  virtual ~Stream() = default;
  // Raw access; return the number of bytes moved.
  virtual size_t Read(void* buf, size_t n) = 0;
  virtual size_t Write(const void* buf, size_t n) = 0;
  virtual bool Eof() = 0;
  virtual int64_t Pos() = 0;
  virtual int64_t Seek(int64_t pos) = 0;
  virtual int64_t Size() = 0;
  virtual void Flush() {}
  virtual void Close() {}
  // True once a read or write hit an error of the medium, which a short
  // read alone does not tell from the end of the data.
  virtual bool Failed() { return false; }
  // The next byte, or -1 at the end.
  virtual int GetByte();

  uint8_t ReadByte();
  int16_t ReadShort();
  int32_t ReadInt();
  int64_t ReadLong();
  float ReadFloat();
  // Bytes up to LF; CR dropped; a 0 byte or the end also ends it. Only the
  // first maxChars characters are kept and the rest of the line is skipped,
  // so a damaged file cannot make one text as large as itself.
  std::string ReadLine(size_t maxChars = std::string::npos);
  std::string ReadString(size_t n);
  void WriteByte(int v);
  void WriteShort(int v);
  void WriteInt(int32_t v);
  void WriteLong(int64_t v);
  void WriteFloat(float v);
  // Low 8 bits of each character, then CR LF.
  void WriteLine(const std::string& s);
  void WriteString(const std::string& s);
};
using StreamPtr = std::unique_ptr<Stream>;

// "incbin::name" opens a registered memory file. nullptr when it can't open.
StreamPtr ReadFile(const std::string& path);
// A file that is not there is missing; one that is there but cannot be read
// (permissions, an I/O error, something other than a plain file) is
// unreadable, and what the user made may still be in it.
enum class OpenStatus { kOpened, kMissing, kUnreadable };
StreamPtr ReadFile(const std::string& path, OpenStatus& status);
StreamPtr WriteFile(const std::string& path);  // created or emptied
StreamPtr OpenFile(const std::string& path, bool read, bool write);

class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes, bool readable = true, bool writable = true)
      : buf_(std::move(bytes)), readable_(readable), writable_(writable) {}
  size_t Read(void* buf, size_t n) override;
  int GetByte() override;
  size_t Write(const void* buf, size_t n) override;
  bool Eof() override { return pos_ >= buf_.size(); }
  int64_t Pos() override { return static_cast<int64_t>(pos_); }
  int64_t Seek(int64_t pos) override;
  int64_t Size() override { return static_cast<int64_t>(buf_.size()); }
  const std::vector<uint8_t>& Bytes() const { return buf_; }
  std::vector<uint8_t>& Bytes() { return buf_; }

 private:
  std::vector<uint8_t> buf_;
  size_t pos_ = 0;
  bool readable_ = true, writable_ = true;
};

// Named memory files, read as "incbin::" + name. The bytes must outlive
// every stream opened on them (static data).
void RegisterIncbin(const std::string& name, const void* data, size_t size);
bool IncbinExists(const std::string& name);

// Whole-file helpers.
// Fails (out emptied) when the file is missing or larger than maxBytes.
constexpr int64_t kLoadFileCap = int64_t{256} << 20;
bool LoadFileBytes(const std::string& path, std::vector<uint8_t>& out,
                   int64_t maxBytes = kLoadFileCap);
// As LoadFileBytes; a read error or a file over maxBytes is unreadable.
OpenStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& out,
                         int64_t maxBytes = kLoadFileCap);
// The stream's bytes from its position to its end; fails (out emptied) on a
// read error or when there are more than maxBytes.
bool LoadStreamBytes(Stream& stream, std::vector<uint8_t>& out, int64_t maxBytes = kLoadFileCap);
// Writes a temporary file beside the target and renames it over, so a kill
// or full disk never leaves a half-written file. When skipIfSame is set and
// the file already holds exactly these bytes, nothing is written. A target
// that exists but cannot be read, or cannot be opened for writing (a file
// made read-only), is never replaced (false). On failure whyNot, when given,
// gets the reason in the system's words, as they read inside a sentence
// ("permission denied", "no space left on device"); on success it is emptied.
bool SaveFileSafely(const std::string& path, const std::vector<uint8_t>& bytes,
                    bool skipIfSame = true, std::string* whyNot = nullptr);
// Where bytes made a piece at a time go; false asks the maker to stop.
using ByteSink = std::function<bool(const void* data, size_t n)>;
// The same for bytes made a piece at a time, so they are never held whole:
// produce hands them all to the sink in order and returns whether it made
// them all. With skipIfSame an existing file is first compared with them as
// they come, which stops at the first difference; produce then runs again
// to write them.
bool SaveFileSafelyFrom(const std::string& path, const std::function<bool(const ByteSink& sink)>& produce,
                        bool skipIfSame = true);
// The same for a writer that makes the file itself: write gets the path of
// a new empty temporary beside the target and returns whether it wrote it
// whole; only then is it flushed and renamed over the target.
bool SaveFileSafelyWith(const std::string& path,
                        const std::function<bool(const std::string& tempPath)>& write);
// Removes the temporary files that SaveFileSafely left in dir when its
// process was killed mid-save; those of a process still running stay.
// Returns how many were removed.
int RemoveStaleSaveTemps(const std::string& dir);
// Tests: make the next SaveFileSafely fail at a step (1 write, 2 fsync,
// 3 rename); 0 turns it off.
void SetSafeSaveFaultForTests(int step);
// Tests: opening any file whose path ends in pathSuffix for reading fails
// as an I/O error would; "" turns it off.
void SetReadFaultForTests(const std::string& pathSuffix);

}  // namespace plat
