#include "support/net_support.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "support/sandbox.h"

namespace vtest {

int ListenOnLoopback(int& port, int backlog) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(kLoopback);
  socklen_t len = sizeof a;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd, backlog) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

namespace {

bool Accepts(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(kLoopback);
  a.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

LittleServer::LittleServer(std::function<void(int)> script) {
  listen_ = ListenOnLoopback(port_);
  thread_ = std::thread([this, script] {
    int c = ::accept(listen_, nullptr, nullptr);
    if (c >= 0) {
      script(c);
      ::close(c);
    }
  });
}

LittleServer::~LittleServer() {
  // Wakes an accept still waiting when the client never came.
  ::shutdown(listen_, SHUT_RDWR);
  Join();
  ::close(listen_);
}

void LittleServer::Join() {
  if (thread_.joinable()) thread_.join();
}

std::string RecvExactly(int fd, size_t n) {
  std::string s(n, '\0');
  size_t got = 0;
  while (got < n) {
    ssize_t k = ::recv(fd, s.data() + got, n - got, 0);
    if (k <= 0) break;
    got += static_cast<size_t>(k);
  }
  s.resize(got);
  return s;
}

void SendAll(int fd, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    ssize_t k = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
    if (k <= 0) break;
    done += static_cast<size_t>(k);
  }
}

int FreeLoopbackPort() {
  int port = 0;
  int fd = ListenOnLoopback(port);
  ::close(fd);
  return port;
}

PhpSite::PhpSite() {
  const std::string php = "/usr/bin/php";
  if (::access(php.c_str(), X_OK) != 0) return;
  store_ = MakeTempDir("site-store");
  port_ = FreeLoopbackPort();
  const std::string listen = "127.0.0.1:" + std::to_string(port_);
  const std::string root = std::string(VELKOR_SOURCE_DIR) + "/tests/site";
  const std::string log = store_ + ".log";
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setenv("VELKOR_SITE_STORE", store_.c_str(), 1);
    FILE* out = std::freopen(log.c_str(), "w", stdout);
    if (out) ::dup2(::fileno(stdout), 2);
    ::execl(php.c_str(), "php", "-n", "-d", "upload_max_filesize=16M", "-d", "post_max_size=16M",
            "-d", "variables_order=EGPCS", "-S", listen.c_str(), "-t", root.c_str(), nullptr);
    ::_exit(127);
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Accepts(port_) && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PhpSite::~PhpSite() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  if (!store_.empty()) {
    RemoveTree(store_);
    std::remove((store_ + ".log").c_str());
  }
}

std::string PhpSite::Address() const { return "127.0.0.1:" + std::to_string(port_); }

}  // namespace vtest
