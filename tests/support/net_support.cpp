#include "support/net_support.h"

#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/sandbox.h"
#include "support/wait.h"

namespace vtest {

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(kLoopback);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

// The port in the line `php -S` writes once it listens:
// "... Development Server (http://127.0.0.1:PORT) started"; 0 before then.
int PortPhpListensOn(const std::string& logPath) {
  std::ifstream in(logPath);
  const std::string marker = "Development Server (http://127.0.0.1:";
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find(marker);
    if (at != std::string::npos && line.find(") started", at) != std::string::npos)
      return std::atoi(line.c_str() + at + marker.size());
  }
  return 0;
}

}  // namespace

bool SystemResolvesLocalhost() {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* res = nullptr;
  if (::getaddrinfo("localhost", nullptr, &hints, &res) != 0) return false;
  ::freeaddrinfo(res);
  return true;
}

int ListenOnLoopback(int& port, int backlog) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = Loopback(0);
  socklen_t len = sizeof a;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd, backlog) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

RefusingPort::RefusingPort() {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = Loopback(0);
  socklen_t len = sizeof a;
  if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port_ = ntohs(a.sin_port);
  EXPECT_NE(port_, 0) << "no loopback port could be held";
}

RefusingPort::~RefusingPort() {
  if (fd_ >= 0) ::close(fd_);
}

std::string RecvExactly(int fd, size_t n) {
  std::string s(n, '\0');
  size_t got = 0;
  for (ssize_t k; got < n && (k = ::recv(fd, s.data() + got, n - got, 0)) > 0;) got += static_cast<size_t>(k);
  s.resize(got);
  return s;
}

void SendAll(int fd, const std::string& s) {
  size_t done = 0;
  for (ssize_t k; done < s.size() && (k = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL)) > 0;)
    done += static_cast<size_t>(k);
}

LittleServer::LittleServer(std::function<void(int)> script) {
  listen_ = ListenOnLoopback(port_);
  thread_ = std::thread([this, script] {
    const int c = ::accept(listen_, nullptr, nullptr);
    if (c < 0) return;
    script(c);
    ::close(c);
  });
}

LittleServer::~LittleServer() {
  ::shutdown(listen_, SHUT_RDWR);  // wakes an accept whose client never came
  Join();
  ::close(listen_);
}

void LittleServer::Join() {
  if (thread_.joinable()) thread_.join();
}

PhpSite::PhpSite() {
  const char* php = "/usr/bin/php";
  if (::access(php, X_OK) != 0) return;
  store_ = MakeTempDir("site-store");
  const std::string log = store_ + ".log", root = std::string(VELKOR_SOURCE_DIR) + "/tests/site";
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setenv("VELKOR_SITE_STORE", store_.c_str(), 1);
    if (std::freopen(log.c_str(), "w", stdout)) ::dup2(::fileno(stdout), 2);
    ::execl(php, "php", "-n", "-d", "upload_max_filesize=16M", "-d", "post_max_size=16M", "-d",
            "variables_order=EGPCS", "-S", "127.0.0.1:0", "-t", root.c_str(), nullptr);
    ::_exit(127);
  }
  bool exited = false;
  WaitUntil([&] {
    port_ = PortPhpListensOn(log);
    exited = port_ == 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_;
    return port_ != 0 || exited;
  });
  if (port_ != 0) return;
  std::ifstream in(log);
  ADD_FAILURE() << "php did not start its server: " << std::string(std::istreambuf_iterator<char>(in), {});
  if (!exited) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
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

}  // namespace vtest
