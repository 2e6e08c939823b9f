#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace plat {

TcpSocketPtr TcpSocket::Create() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  auto s = std::make_shared<TcpSocket>();
  s->fd_ = fd;
  return s;
}

TcpSocket::~TcpSocket() { Close(); }

namespace {

sockaddr_in Ipv4Address(uint32_t ip, int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

}  // namespace

bool TcpSocket::Bind(int localPort) {
  if (fd_ < 0 || localPort < 0 || localPort > 65535) return false;
  sockaddr_in a = Ipv4Address(INADDR_ANY, localPort);
  return ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
}

bool TcpSocket::Connect(uint32_t ip, int port) {
  // Linux would take 0.0.0.0 for this machine; here it means "no address".
  if (fd_ < 0 || ip == 0 || port <= 0 || port > 65535) return false;
  sockaddr_in a = Ipv4Address(ip, port);
  int r;
  while ((r = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a)) != 0 && errno == EINTR) {
  }
  if (r != 0) return false;
  peerClosed_ = broken_ = false;  // a probe before connecting may have set them
  return true;
}

bool TcpSocket::BeginConnect(uint32_t ip, int port) {
  if (fd_ < 0 || ip == 0 || port <= 0 || port > 65535) return false;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) return false;
  sockaddr_in a = Ipv4Address(ip, port);
  int r;
  while ((r = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a)) != 0 && errno == EINTR) {
  }
  peerClosed_ = broken_ = false;
  return r == 0 || errno == EINPROGRESS;
}

int TcpSocket::AwaitConnect(int timeoutMs) {
  if (fd_ < 0) return -1;
  pollfd p{fd_, POLLOUT, 0};
  const int r = ::poll(&p, 1, std::max(timeoutMs, 0));
  if (r < 0) return errno == EINTR ? 0 : -1;
  if (r == 0) return 0;
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return -1;
  // Back to blocking, as the socket stream expects.
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  return 1;
}

long TcpSocket::Send(const void* buf, size_t n, int timeoutMs) {
  if (fd_ < 0) return -1;
  if (n == 0) return 0;
  pollfd p{fd_, POLLOUT, 0};
  const int r = ::poll(&p, 1, std::max(timeoutMs, 0));
  if (r < 0) return errno == EINTR ? 0 : -1;
  if (r == 0) return 0;
  const ssize_t k = ::send(fd_, buf, n, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (k >= 0) return static_cast<long>(k);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

bool TcpSocket::WaitReadable(int timeoutMs) {
  if (fd_ < 0) return true;
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, std::max(timeoutMs, 0)) != 0;
}

int TcpSocket::ReadAvail() {
  if (fd_ < 0) return 0;
  int n = 0;
  if (::ioctl(fd_, FIONREAD, &n) != 0) return 0;
  return std::max(n, 0);
}

bool TcpSocket::Connected() {
  if (fd_ < 0) return false;
  if (ReadAvail() > 0) return true;
  if (peerClosed_) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return true;
  // Readable with nothing to read: the peer has closed (0), or the
  // connection failed or never was connected (an error, which the kernel
  // reports only once, so it is kept).
  char c;
  ssize_t r = ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT);
  if (r > 0) return true;
  if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
  peerClosed_ = true;
  broken_ = r < 0;
  return false;
}

void TcpSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

// Unbuffered, so that the socket's own byte count stays the truth for
// ReadAvail.
class SocketStream : public Stream {
 public:
  explicit SocketStream(TcpSocketPtr socket) : socket_(std::move(socket)) {}
  ~SocketStream() override { Close(); }

  // Blocks until n bytes arrived or the peer closed.
  size_t Read(void* buf, size_t n) override {
    size_t got = 0;
    auto* p = static_cast<char*>(buf);
    while (got < n && socket_ && socket_->Fd() >= 0) {
      ssize_t k = ::recv(socket_->Fd(), p + got, n - got, 0);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) break;
      got += static_cast<size_t>(k);
    }
    return got;
  }
  size_t Write(const void* buf, size_t n) override {
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n && socket_ && socket_->Fd() >= 0) {
      // No SIGPIPE when the peer went away: the short count reports it.
      ssize_t k = ::send(socket_->Fd(), p + done, n - done, MSG_NOSIGNAL);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) break;
      done += static_cast<size_t>(k);
    }
    return done;
  }
  bool Eof() override { return !socket_ || !socket_->Connected(); }
  int64_t Pos() override { return 0; }
  int64_t Seek(int64_t) override { return 0; }
  int64_t Size() override { return 0; }
  void Close() override {
    if (socket_) socket_->Close();
    socket_.reset();
  }

 private:
  TcpSocketPtr socket_;
};

}  // namespace

StreamPtr CreateSocketStream(TcpSocketPtr socket) {
  if (!socket) return nullptr;
  return std::make_unique<SocketStream>(std::move(socket));
}

std::vector<uint32_t> HostIps(const std::string& name) {
  std::vector<uint32_t> ips;
  if (name.empty()) return ips;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &res) != 0) return ips;
  for (addrinfo* a = res; a; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    uint32_t ip = ntohl(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    if (std::find(ips.begin(), ips.end(), ip) == ips.end()) ips.push_back(ip);
  }
  ::freeaddrinfo(res);
  return ips;
}

uint32_t HostIp(const std::string& name) {
  std::vector<uint32_t> ips = HostIps(name);
  return ips.empty() ? 0 : ips.front();
}

std::string DottedIP(uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
         std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
}

}  // namespace plat
