#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <system_error>

namespace plat {

// ---------------------------------------------------------------------------
// Path resolution

namespace {

bool SameIgnoringCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y && !(x < 128 && y < 128 && std::tolower(x) == std::tolower(y))) return false;
  }
  return a[i] == 0 && i == b.size();
}

bool EntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The directory entry of dir whose name equals comp without regard to case;
// the first in byte order when several do. Empty when none.
std::string FindEntryIgnoringCase(const std::string& dir, const std::string& comp) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string best;
  while (dirent* e = ::readdir(d)) {
    if (SameIgnoringCase(e->d_name, comp) && (best.empty() || best > e->d_name)) best = e->d_name;
  }
  ::closedir(d);
  return best;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  // Most calls name a path that exists as spelled: one stat settles them.
  if (p.empty() || EntryExists(p)) return p;

  std::string out;
  size_t i = 0;
  if (p[0] == '/') {
    out = "/";
    i = 1;
  }
  bool lost = false;  // an earlier component does not exist: keep the rest as spelled
  while (i <= p.size()) {
    size_t slash = p.find('/', i);
    if (slash == std::string::npos) slash = p.size();
    std::string comp = p.substr(i, slash - i);
    std::string dir = out;
    if (!comp.empty() && comp != "." && comp != ".." && !lost) {
      std::string exact = dir + comp;
      if (!EntryExists(exact)) {
        std::string found = FindEntryIgnoringCase(dir, comp);
        if (found.empty()) {
          lost = true;
        } else {
          comp = found;
        }
      }
    }
    out += comp;
    if (slash < p.size()) out += '/';
    i = slash + 1;
  }
  return out;
}

// ---------------------------------------------------------------------------
// File system queries

namespace {

bool StatResolved(const std::string& path, struct stat& st) {
  return ::stat(ResolvePath(path).c_str(), &st) == 0;
}

}  // namespace

int FileType(const std::string& path) {
  struct stat st;
  if (!StatResolved(path, st)) return kFileNone;
  if (S_ISDIR(st.st_mode)) return kFileDir;
  return S_ISREG(st.st_mode) ? kFileNormal : kFileNone;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st;
  return ::lstat(ResolvePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (!StatResolved(path, st)) return -1;
  return S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : 0;
}

int64_t FileTime(const std::string& path) {
  struct stat st;
  if (!StatResolved(path, st)) return -1;
  return static_cast<int64_t>(st.st_mtime);
}

bool DeleteFile(const std::string& path) { return ::unlink(ResolvePath(path).c_str()) == 0; }

bool CreateDir(const std::string& path) {
  return ::mkdir(ResolvePath(path).c_str(), 0777) == 0;
}

bool DeleteDir(const std::string& path) { return ::rmdir(ResolvePath(path).c_str()) == 0; }

std::vector<std::string> ReadDir(const std::string& path) {
  std::vector<std::string> names;
  std::string dir = ResolvePath(path);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
      names.emplace_back(e->d_name);
    }
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool ChangeDir(const std::string& path) { return ::chdir(ResolvePath(path).c_str()) == 0; }

std::string CurrentDir() {
  std::vector<char> buf(4096);
  while (!::getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}

// ---------------------------------------------------------------------------
// Typed stream access (little-endian)

namespace {

// Reads until n bytes arrived or the stream has no more; returns the count.
size_t ReadFully(Stream& s, void* buf, size_t n) {
  auto* p = static_cast<uint8_t*>(buf);
  size_t got = 0;
  while (got < n) {
    size_t k = s.Read(p + got, n - got);
    if (k == 0) break;
    got += k;
  }
  return got;
}

// Reads n bytes, zero-filling what the stream no longer has.
uint64_t ReadLE(Stream& s, size_t n) {
  uint8_t b[8] = {};
  ReadFully(s, b, n);
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(b[i]) << (8 * i);
  return v;
}

void WriteLE(Stream& s, uint64_t v, size_t n) {
  uint8_t b[8];
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
  s.Write(b, n);
}

}  // namespace

uint8_t Stream::ReadByte() { return static_cast<uint8_t>(ReadLE(*this, 1)); }
int16_t Stream::ReadShort() { return static_cast<int16_t>(ReadLE(*this, 2)); }
int32_t Stream::ReadInt() { return static_cast<int32_t>(ReadLE(*this, 4)); }
int64_t Stream::ReadLong() { return static_cast<int64_t>(ReadLE(*this, 8)); }
float Stream::ReadFloat() {
  uint32_t bits = static_cast<uint32_t>(ReadLE(*this, 4));
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

int Stream::GetByte() {
  uint8_t c;
  return Read(&c, 1) == 1 ? c : -1;
}

std::string Stream::ReadLine(size_t maxChars) {
  std::string line;
  for (int c; (c = GetByte()) >= 0;) {
    if (c == 0 || c == '\n') break;
    if (c != '\r' && line.size() < maxChars) line += static_cast<char>(c);
  }
  return line;
}

std::string Stream::ReadString(size_t n) {
  std::string s(n, '\0');
  s.resize(ReadFully(*this, s.data(), n));
  return s;
}

void Stream::WriteByte(int v) { WriteLE(*this, static_cast<uint64_t>(v), 1); }
void Stream::WriteShort(int v) { WriteLE(*this, static_cast<uint64_t>(v), 2); }
void Stream::WriteInt(int32_t v) { WriteLE(*this, static_cast<uint32_t>(v), 4); }
void Stream::WriteLong(int64_t v) { WriteLE(*this, static_cast<uint64_t>(v), 8); }
void Stream::WriteFloat(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteLE(*this, bits, 4);
}

void Stream::WriteLine(const std::string& s) {
  // std::string already holds one byte per character.
  std::string line = s;
  line += "\r\n";
  Write(line.data(), line.size());
}

void Stream::WriteString(const std::string& s) { Write(s.data(), s.size()); }

// ---------------------------------------------------------------------------
// Memory streams

size_t MemoryStream::Read(void* buf, size_t n) {
  if (!readable_ || pos_ >= buf_.size()) return 0;
  n = std::min(n, buf_.size() - pos_);
  std::memcpy(buf, buf_.data() + pos_, n);
  pos_ += n;
  return n;
}

int MemoryStream::GetByte() {
  if (!readable_ || pos_ >= buf_.size()) return -1;
  return buf_[pos_++];
}

size_t MemoryStream::Write(const void* buf, size_t n) {
  if (!writable_ || n == 0) return 0;
  if (pos_ + n > buf_.size()) buf_.resize(pos_ + n);
  std::memcpy(buf_.data() + pos_, buf, n);
  pos_ += n;
  return n;
}

int64_t MemoryStream::Seek(int64_t pos) {
  pos_ = static_cast<size_t>(std::clamp<int64_t>(pos, 0, Size()));
  return Pos();
}

// ---------------------------------------------------------------------------
// File streams

namespace {

// stdio does the buffering; switching between reading and writing needs a
// positioning call in between, which lastOp_ tracks.
class FileStream : public Stream {
 public:
  FileStream(FILE* f, bool readable, bool writable) : f_(f), readable_(readable), writable_(writable) {
    struct stat st;
    size_ = ::fstat(::fileno(f_), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
  }
  ~FileStream() override { Close(); }

  size_t Read(void* buf, size_t n) override {
    if (!f_ || !readable_) return 0;
    Switch(kRead);
    return std::fread(buf, 1, n, f_);
  }
  // Lines are read a byte at a time: without the stream lock per byte a
  // 100 MiB line is skipped in a fraction of a second.
  int GetByte() override {
    if (!f_ || !readable_) return -1;
    Switch(kRead);
    const int c = getc_unlocked(f_);
    return c == EOF ? -1 : c;
  }
  bool Failed() override { return failed_ || (f_ && std::ferror(f_)); }
  size_t Write(const void* buf, size_t n) override {
    if (!f_ || !writable_) return 0;
    Switch(kWrite);
    size_t done = std::fwrite(buf, 1, n, f_);
    size_ = std::max(size_, Pos());
    return done;
  }
  bool Eof() override { return !f_ || Pos() >= size_; }
  int64_t Pos() override { return f_ ? static_cast<int64_t>(::ftello(f_)) : 0; }
  int64_t Seek(int64_t pos) override {
    if (!f_) return 0;
    ::fseeko(f_, static_cast<off_t>(std::clamp<int64_t>(pos, 0, size_)), SEEK_SET);
    lastOp_ = kNone;
    return Pos();
  }
  int64_t Size() override { return size_; }
  void Flush() override {
    if (f_) std::fflush(f_);
  }
  void Close() override {
    if (f_) {
      const bool streamError = std::ferror(f_) != 0;
      const bool closeError = std::fclose(f_) != 0;  // closed whatever went before
      failed_ = failed_ || streamError || closeError;
    }
    f_ = nullptr;
  }

 private:
  enum Op { kNone, kRead, kWrite };
  void Switch(Op op) {
    if (lastOp_ != kNone && lastOp_ != op) ::fseeko(f_, 0, SEEK_CUR);
    lastOp_ = op;
  }

  FILE* f_;
  bool readable_, writable_;
  int64_t size_ = 0;
  Op lastOp_ = kNone;
  bool failed_ = false;
};

struct IncbinFile {
  const void* data;
  size_t size;
};

struct IncbinRegistry {
  std::mutex mutex;
  std::map<std::string, IncbinFile> files;
};

IncbinRegistry& Incbins() {
  static IncbinRegistry registry;
  return registry;
}

constexpr const char kIncbinPrefix[] = "incbin::";

bool IsIncbinPath(const std::string& path) { return path.rfind(kIncbinPrefix, 0) == 0; }

std::mutex g_readFaultLock;
std::string g_readFault;

bool ReadFaultInjected(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_readFaultLock);
  return !g_readFault.empty() && path.size() >= g_readFault.size() &&
         path.compare(path.size() - g_readFault.size(), g_readFault.size(), g_readFault) == 0;
}

StreamPtr OpenIncbin(const std::string& name) {
  IncbinRegistry& reg = Incbins();
  std::lock_guard<std::mutex> lock(reg.mutex);
  auto it = reg.files.find(name);
  if (it == reg.files.end()) return nullptr;
  const auto* p = static_cast<const uint8_t*>(it->second.data);
  return std::make_unique<MemoryStream>(std::vector<uint8_t>(p, p + it->second.size), true, false);
}

}  // namespace

void RegisterIncbin(const std::string& name, const void* data, size_t size) {
  IncbinRegistry& reg = Incbins();
  std::lock_guard<std::mutex> lock(reg.mutex);
  reg.files[name] = IncbinFile{data, size};
}

bool IncbinExists(const std::string& name) {
  IncbinRegistry& reg = Incbins();
  std::lock_guard<std::mutex> lock(reg.mutex);
  return reg.files.count(name) != 0;
}

StreamPtr OpenFile(const std::string& path, bool read, bool write) {
  if (IsIncbinPath(path)) {
    return read && !write ? OpenIncbin(path.substr(sizeof kIncbinPrefix - 1)) : nullptr;
  }
  if (!read && !write) return nullptr;
  // "e": the descriptor must not leak into programs we start.
  const char* mode = read && write ? "r+be" : read ? "rbe" : "wbe";
  std::string resolved = ResolvePath(path);
  if (read && (FileType(resolved) != kFileNormal || ReadFaultInjected(resolved))) return nullptr;
  FILE* f = std::fopen(resolved.c_str(), mode);
  if (!f) return nullptr;
  return std::make_unique<FileStream>(f, read, write);
}

StreamPtr ReadFile(const std::string& path) { return OpenFile(path, true, false); }

StreamPtr ReadFile(const std::string& path, OpenStatus& status) {
  status = OpenStatus::kMissing;
  if (IsIncbinPath(path)) {
    StreamPtr s = OpenIncbin(path.substr(sizeof kIncbinPrefix - 1));
    if (s) status = OpenStatus::kOpened;
    return s;
  }
  const std::string resolved = ResolvePath(path);
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) status = OpenStatus::kUnreadable;
    return nullptr;
  }
  // Not opened unless plain: a pipe in its place would block the game.
  status = OpenStatus::kUnreadable;
  if (!S_ISREG(st.st_mode) || ReadFaultInjected(resolved)) return nullptr;
  FILE* f = std::fopen(resolved.c_str(), "rbe");
  if (!f) {
    if (errno == ENOENT) status = OpenStatus::kMissing;
    return nullptr;
  }
  status = OpenStatus::kOpened;
  return std::make_unique<FileStream>(f, true, false);
}

void SetReadFaultForTests(const std::string& pathSuffix) {
  std::lock_guard<std::mutex> lock(g_readFaultLock);
  g_readFault = pathSuffix;
}
StreamPtr WriteFile(const std::string& path) { return OpenFile(path, false, true); }

// ---------------------------------------------------------------------------
// Whole files

bool LoadStreamBytes(Stream& s, std::vector<uint8_t>& out, int64_t maxBytes) {
  out.clear();
  // Read until the end rather than trusting the size: the file may change.
  uint8_t chunk[65536];
  while (size_t n = s.Read(chunk, sizeof chunk)) {
    if (static_cast<int64_t>(out.size() + n) > maxBytes) {
      out.clear();
      return false;
    }
    out.insert(out.end(), chunk, chunk + n);
  }
  if (s.Failed()) out.clear();
  return !s.Failed();
}

OpenStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, int64_t maxBytes) {
  out.clear();
  OpenStatus status;
  StreamPtr s = ReadFile(path, status);
  if (!s) return status;
  return LoadStreamBytes(*s, out, maxBytes) ? OpenStatus::kOpened : OpenStatus::kUnreadable;
}

bool LoadFileBytes(const std::string& path, std::vector<uint8_t>& out, int64_t maxBytes) {
  return ReadFileBytes(path, out, maxBytes) == OpenStatus::kOpened;
}

namespace {

std::atomic<int> g_saveFault{0};
std::atomic<unsigned> g_tempCounter{0};

bool ReadAll(int fd, uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t k = ::read(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= static_cast<size_t>(k);
  }
  return true;
}

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

// Whether the file holds exactly what produce makes, read a block at a time
// beside it; size, when known (not -1), spares the reading of a file of
// another size.
bool FileHolds(const std::string& path, int64_t size,
               const std::function<bool(const ByteSink&)>& produce) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (size >= 0 && st.st_size != size)) {
    return false;
  }
  const FdCloser in{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (in.fd < 0) return false;
  const uint64_t have = static_cast<uint64_t>(st.st_size);
  std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(have, 64 << 10)));
  uint64_t seen = 0;
  const bool same = produce([&](const void* data, size_t n) {
    if (n > have - seen) return false;
    for (const uint8_t* p = static_cast<const uint8_t*>(data); n > 0;) {
      const size_t k = std::min(n, block.size());
      if (!ReadAll(in.fd, block.data(), k) || std::memcmp(block.data(), p, k) != 0) return false;
      p += k;
      n -= k;
      seen += k;
    }
    return true;
  });
  uint8_t more;
  return same && seen == have && ::read(in.fd, &more, 1) == 0;
}

bool WriteAll(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    ssize_t k = ::write(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k == 0) errno = EIO;  // no progress and no error: nothing more will go
    if (k <= 0) return false;
    p += k;
    n -= static_cast<size_t>(k);
  }
  return true;
}

std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

constexpr char kTempPrefix[] = ".save";
constexpr char kTempSuffix[] = ".tmp";

// Creates a new file with a name no one else uses, in dir. The name is short
// so that a long target name cannot push it past the name length limit; it
// carries the process id so a later start can tell a dead save's leftovers.
int CreateTempIn(const std::string& dir, std::string& tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = dir + "/" + kTempPrefix + std::to_string(::getpid()) + "_" +
               std::to_string(g_tempCounter.fetch_add(1)) + kTempSuffix;
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A symbolic link is followed, so the file it names is replaced, not the link.
std::string SaveTarget(const std::string& path) {
  std::string resolved = ResolvePath(path);
  struct stat st;
  if (::lstat(resolved.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(resolved.c_str(), nullptr)) {
      resolved = real;
      std::free(real);
    }
  }
  return resolved;
}

}  // namespace

void SetSafeSaveFaultForTests(int step) { g_saveFault = step; }

namespace {

// The process id in a name CreateTempIn made, or 0 for any other name.
pid_t TempOwner(const std::string& name) {
  const size_t pre = sizeof kTempPrefix - 1, suf = sizeof kTempSuffix - 1;
  if (name.size() <= pre + suf || name.compare(0, pre, kTempPrefix) != 0 ||
      name.compare(name.size() - suf, suf, kTempSuffix) != 0)
    return 0;
  const std::string mid = name.substr(pre, name.size() - pre - suf);
  const size_t bar = mid.find('_');
  if (bar == 0 || bar == std::string::npos || bar + 1 == mid.size() || bar > 9 ||
      mid.find_first_not_of("0123456789_") != std::string::npos ||
      mid.find('_', bar + 1) != std::string::npos)
    return 0;
  return static_cast<pid_t>(std::stol(mid.substr(0, bar)));
}

}  // namespace

int RemoveStaleSaveTemps(const std::string& dir) {
  const std::string resolved = ResolvePath(dir);
  int removed = 0;
  for (const std::string& name : ReadDir(resolved)) {
    const pid_t owner = TempOwner(name);
    if (owner <= 0) continue;
    const std::string path = resolved + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // A save takes moments: an old file is left over even when its process
    // id has been taken by another program since.
    const bool old = st.st_mtime + 3600 < ::time(nullptr);
    const bool ownerGone = owner == ::getpid() || (::kill(owner, 0) != 0 && errno == ESRCH);
    if ((old || ownerGone) && ::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

namespace {

// The system's words for an error number, as they read inside a sentence:
// "permission denied", "no space left on device".
std::string Reason(int err) {
  std::string text = std::generic_category().message(err);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// A file that exists but cannot be read, or that the user made read-only
// (the open for writing that an in-place save would do fails), is never
// replaced; nor is anything that is not a plain file.
bool MayReplace(const std::string& target, struct stat& old, bool& hadOld, std::string& why) {
  hadOld = ::stat(target.c_str(), &old) == 0;
  if (!hadOld) return true;
  if (!S_ISREG(old.st_mode)) {
    why = S_ISDIR(old.st_mode) ? Reason(EISDIR) : "not a plain file";
    return false;
  }
  OpenStatus status;
  if (!ReadFile(target, status) && status == OpenStatus::kUnreadable) {
    why = "it cannot be read";
    return false;
  }
  const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = Reason(errno);
    return false;
  }
  ::close(fd);
  return true;
}

// Fills a new temporary beside target through write, flushes it and renames
// it over target; on any failure the temporary goes and target stays.
bool ReplaceThroughTemp(const std::string& target, const struct stat* old, std::string& why,
                        const std::function<bool(int fd, const std::string& temp)>& write) {
  const int fault = g_saveFault.exchange(0);
  const std::string dir = DirOf(target);
  std::string temp;
  int fd = CreateTempIn(dir, temp);
  if (fd < 0) {
    why = Reason(errno);
    return false;
  }
  // The first error is the one to tell; what follows is its consequence.
  // An injected fault reads as the medium's error.
  int err = 0;
  const auto failed = [&err](int e) {
    if (err == 0) err = e != 0 ? e : EIO;
    return false;
  };
  bool ok = true;
  errno = 0;
  bool wrote = false;
  try {
    wrote = fault != 1 && write(fd, temp);
  } catch (...) {  // running short of memory, say: the temporary must not stay
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (!wrote) ok = failed(fault == 1 ? EIO : errno);
  if (ok && old) ::fchmod(fd, old->st_mode & 07777);
  if (ok && (fault == 2 || ::fsync(fd) != 0)) ok = failed(fault == 2 ? EIO : errno);
  if (::close(fd) != 0) ok = failed(errno);
  if (ok && (fault == 3 || ::rename(temp.c_str(), target.c_str()) != 0))
    ok = failed(fault == 3 ? EIO : errno);
  if (!ok) {
    ::unlink(temp.c_str());
    why = Reason(err);
    return false;
  }
  // Make the rename itself durable; failing here loses nothing.
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

// An existing file is compared with the bytes a block at a time, never
// read whole, so that saving a large file costs no second copy of it.
bool SaveThrough(const std::string& path, int64_t size, const std::function<bool(const ByteSink&)>& produce,
                 bool skipIfSame, std::string& why) {
  const std::string target = SaveTarget(path);
  struct stat old;
  bool hadOld;
  if (!MayReplace(target, old, hadOld, why)) return false;
  if (skipIfSame && hadOld && FileHolds(target, size, produce)) return true;
  return ReplaceThroughTemp(target, hadOld ? &old : nullptr, why, [&](int fd, const std::string&) {
    return produce([fd](const void* data, size_t n) { return WriteAll(fd, static_cast<const uint8_t*>(data), n); });
  });
}

}  // namespace

bool SaveFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, bool skipIfSame,
                    std::string* whyNot) {
  std::string why;
  const bool ok = SaveThrough(path, static_cast<int64_t>(bytes.size()),
                              [&](const ByteSink& sink) { return sink(bytes.data(), bytes.size()); }, skipIfSame,
                              why);
  if (whyNot) *whyNot = ok ? std::string() : why;
  return ok;
}

bool SaveFileSafelyFrom(const std::string& path, const std::function<bool(const ByteSink& sink)>& produce,
                        bool skipIfSame) {
  std::string why;
  return SaveThrough(path, -1, produce, skipIfSame, why);
}

bool SaveFileSafelyWith(const std::string& path, const std::function<bool(const std::string& tempPath)>& write) {
  std::string why;
  const std::string target = SaveTarget(path);
  struct stat old;
  bool hadOld;
  if (!MayReplace(target, old, hadOld, why)) return false;
  return ReplaceThroughTemp(target, hadOld ? &old : nullptr, why,
                            [&](int, const std::string& temp) { return write(temp); });
}

}  // namespace plat
