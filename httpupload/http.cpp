#include "httpupload/http.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/files.h"
#include "platform/net.h"

namespace http {

namespace {

using Clock = std::chrono::steady_clock;

// The longest single sleep, so a cancel is seen promptly.
constexpr int kSliceMs = 100;
constexpr size_t kBlockBytes = 64 * 1024;

constexpr int64_t kDelimiterLength = 43;  // "--" + boundary

std::string Delimiter() { return std::string("--") + kBoundary; }

std::string TextPartHead(const thttpinput& p) {
  return Delimiter() + "\r\nContent-Disposition: form-data; name=\"" + p.name + "\"\r\n\r\n";
}

std::string FilePartHead(const thttpinput& p) {
  return Delimiter() + "\r\nContent-Disposition: form-data; name=\"" + p.name +
         "\"; filename=\"" + p.fileName + "\"\r\nContent-Type: " + p.mimeType + "\r\n\r\n";
}

std::string Closing() { return Delimiter() + "--\r\n\r\n"; }

std::string AfterLastSlash(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Splits an answer into lines at LF, dropping a CR just before it; the text
// after the last LF (maybe "") is the last line.
class LineSplitter {
 public:
  void Feed(const char* data, size_t n) {
    pending_.append(data, n);
    size_t start = 0;
    for (size_t lf; (lf = pending_.find('\n', start)) != std::string::npos; start = lf + 1) {
      size_t end = lf;
      if (end > start && pending_[end - 1] == '\r') --end;
      lines_.emplace_back(pending_, start, end - start);
    }
    pending_.erase(0, start);
  }
  std::vector<std::string> Finish() {
    lines_.push_back(std::move(pending_));
    return std::move(lines_);
  }

 private:
  std::vector<std::string> lines_;
  std::string pending_;
};

// One connection's waits: every sleep is a slice, every slice checks the
// cancel flag and the deadline.
class Connection {
 public:
  Connection(const PostLimits& limits, const std::atomic<bool>* cancel)
      : limits_(limits), cancel_(cancel) {}

  bool Open(uint32_t ip, int port) {
    socket_ = plat::TcpSocket::Create();
    if (!socket_ || !socket_->Bind(0) || !socket_->BeginConnect(ip, port)) return false;
    const Clock::time_point start = Clock::now();
    for (;;) {
      const int wait = SliceLeft(start, limits_.connectMs);
      if (wait < 0) return false;
      const int r = socket_->AwaitConnect(wait);
      if (r != 0) return r > 0;
    }
  }

  bool Send(const char* p, size_t n) {
    lastProgress_ = Clock::now();
    while (n > 0) {
      const int wait = SliceLeft(lastProgress_, limits_.idleMs);
      if (wait < 0) return false;
      const long k = socket_->Send(p, n, wait);
      if (k < 0) return false;
      if (k > 0) {
        p += k;
        n -= static_cast<size_t>(k);
        lastProgress_ = Clock::now();
      }
    }
    return true;
  }
  bool Send(const std::string& s) { return Send(s.data(), s.size()); }

  // Streams the file, exactly the size counted before connecting.
  bool SendFile(const std::string& path, int64_t expected) {
    plat::StreamPtr in = plat::ReadFile(path);
    if (!in || in->Size() != expected) return false;
    std::vector<char> block(kBlockBytes);
    int64_t left = expected;
    while (left > 0) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(left, kBlockBytes));
      const size_t got = in->Read(block.data(), want);
      if (got == 0) return false;  // shrank under us
      if (!Send(block.data(), got)) return false;
      left -= static_cast<int64_t>(got);
    }
    char extra;
    return in->Read(&extra, 1) == 0;  // and must not have grown
  }

  // Until the server's orderly close; a reset may have cut the answer
  // anywhere, so it is no answer at all.
  bool ReadAnswer(std::vector<std::string>& lines) {
    LineSplitter splitter;
    std::vector<char> block(kBlockBytes);
    int64_t total = 0;
    const Clock::time_point sent = Clock::now();
    lastProgress_ = sent;
    plat::StreamPtr stream = plat::CreateSocketStream(socket_);
    for (;;) {
      // Bytes keep the idle limit away, not the answer limit.
      const int wait = std::min(SliceLeft(lastProgress_, limits_.idleMs),
                                SliceLeft(sent, limits_.answerMs));
      if (wait < 0) return false;
      const int avail = socket_->ReadAvail();
      if (avail > 0) {
        const size_t want = std::min<size_t>(static_cast<size_t>(avail), block.size());
        if (stream->Read(block.data(), want) != want) return false;  // counted, then reset
        total += static_cast<int64_t>(want);
        if (total > limits_.maxAnswerBytes) return false;
        splitter.Feed(block.data(), want);
        lastProgress_ = Clock::now();
        continue;
      }
      if (!socket_->Connected()) break;
      socket_->WaitReadable(wait);
    }
    if (socket_->Broken()) return false;
    lines = splitter.Finish();
    return true;
  }

  ~Connection() {
    if (socket_) socket_->Close();
  }

 private:
  // The next sleep: at most one slice and no later than the deadline; -1
  // once the deadline or a cancel has come.
  int SliceLeft(Clock::time_point since, int limitMs) const {
    if (cancel_ && cancel_->load()) return -1;
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    const int64_t left = limitMs - spent;
    if (left <= 0) return -1;
    return static_cast<int>(std::min<int64_t>(left, kSliceMs));
  }

  const PostLimits& limits_;
  const std::atomic<bool>* cancel_;
  plat::TcpSocketPtr socket_;
  Clock::time_point lastProgress_;
};

}  // namespace

std::string MimeTypeFor(const std::string& path) {
  static const struct {
    const char* ext;
    const char* type;
  } kTypes[] = {
      {"gif", "image/gif"},        {"png", "image/png"},       {"jpg", "image/jpg"},
      {"jpeg", "image/jpg"},       {"bmp", "image/bmp"},       {"txt", "text/txt"},
      {"htm", "text/htm"},         {"html", "text/html"},      {"doc", "text/doc"},
      {"css", "text/css"},         {"exe", "application/exe"}, {"zip", "application/zip"},
      {"rar", "application/rar"},
  };
  const size_t dot = path.rfind('.');
  std::string ext;
  if (dot != std::string::npos && path.find_first_of("/\\", dot) == std::string::npos) {
    ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const auto& t : kTypes) {
    if (ext == t.ext) return t.type;
  }
  return "text/plain";
}

uint32_t tsendhttp::ResolveHost(const std::string& host) {
  int dots = 0;
  for (char c : host) {
    if (c == '.') {
      ++dots;
    } else if (c < '0' || c > '9') {
      return plat::HostIp(host);
    }
  }
  if (dots < 3) return 0;
  uint32_t address = 0;
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t end = part < 3 ? host.find('.', start) : host.size();
    uint32_t value = 0;
    for (size_t i = start; i < end && host[i] >= '0' && host[i] <= '9'; ++i)
      value = value * 10 + static_cast<uint32_t>(host[i] - '0');
    address += value << (8 * (3 - part));
    start = end + 1;
  }
  return address;
}

HttpInputPtr tsendhttp::AddField(const std::string& name, const std::string& value) {
  auto p = std::make_shared<thttpinput>();
  p->kind = kTextPart;
  p->name = name;
  p->value = value;
  parts.push_back(p);
  return p;
}

HttpInputPtr tsendhttp::AddFile(const std::string& name, const std::string& path) {
  if (plat::FileType(path) != plat::kFileNormal) return nullptr;
  auto p = std::make_shared<thttpinput>();
  p->kind = kFilePart;
  p->name = name;
  p->path = path;
  p->fileName = AfterLastSlash(path);
  p->mimeType = MimeTypeFor(path);
  parts.push_back(p);
  return p;
}

namespace {

int64_t BodyLengthFor(const std::vector<HttpInputPtr>& parts, const std::vector<int64_t>& sizes) {
  int64_t length = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const thttpinput& p = *parts[i];
    if (p.kind == kFilePart) {
      if (sizes[i] < 0) return -1;
      length += static_cast<int64_t>(FilePartHead(p).size()) + sizes[i] + 2;
    } else {
      length += static_cast<int64_t>(TextPartHead(p).size() + p.value.size()) + 2;
    }
  }
  return length + kDelimiterLength + 6;
}

// Each file's size now; -1 for one that is gone or no longer a file.
std::vector<int64_t> FileSizes(const std::vector<HttpInputPtr>& parts) {
  std::vector<int64_t> sizes;
  for (const HttpInputPtr& p : parts) {
    const bool file = p->kind == kFilePart;
    sizes.push_back(!file ? 0 : plat::FileType(p->path) == plat::kFileNormal ? plat::FileSize(p->path) : -1);
  }
  return sizes;
}

}  // namespace

std::vector<std::string> tsendhttp::Post(const std::string& host, int port,
                                         const std::string& path) {
  // Each file's size now is what Content-Length promises.
  const std::vector<int64_t> sizes = FileSizes(parts);
  const int64_t length = BodyLengthFor(parts, sizes);
  if (length < 0) return {};

  Connection c(limits, cancel);
  if (!c.Open(ResolveHost(host), port)) return {};

  const std::string head = "POST http://" + host + path + " HTTP/1.0\r\nHost: " + host +
                           "\r\nUser-Agent: " + kUserAgent +
                           "\r\nContent-Type: multipart/form-data; boundary=" + kBoundary +
                           "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
  if (!c.Send(head)) return {};
  for (size_t i = 0; i < parts.size(); ++i) {
    const thttpinput& p = *parts[i];
    if (p.kind == kFilePart) {
      if (!c.Send(FilePartHead(p)) || !c.SendFile(p.path, sizes[i]) || !c.Send("\r\n", 2))
        return {};
    } else if (!c.Send(TextPartHead(p) + p.value + "\r\n")) {
      return {};
    }
  }
  if (!c.Send(Closing())) return {};

  std::vector<std::string> lines;
  if (!c.ReadAnswer(lines)) return {};
  return lines;
}

}  // namespace http
