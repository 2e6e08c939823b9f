// Servers on this machine for the network tests: a one-connection raw TCP
// listener that runs a script, and PHP's built-in web server over the
// site's reference endpoint (tests/site).
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace vtest {

constexpr uint32_t kLoopback = 0x7f000001;

// Accepts one connection on 127.0.0.1, runs the script on its descriptor,
// then closes it.
class LittleServer {
 public:
  explicit LittleServer(std::function<void(int)> script);
  ~LittleServer();
  LittleServer(const LittleServer&) = delete;
  LittleServer& operator=(const LittleServer&) = delete;
  void Join();
  int Port() const { return port_; }

 private:
  int listen_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// A listening socket on 127.0.0.1 at a free port (-1 on failure).
int ListenOnLoopback(int& port, int backlog = 4);
std::string RecvExactly(int fd, size_t n);
void SendAll(int fd, const std::string& s);
// A loopback port on which nobody listens at this moment.
int FreeLoopbackPort();

// `php -S` on 127.0.0.1 serving tests/site, storing uploads in a fresh
// folder. Started() is false when php is not installed.
class PhpSite {
 public:
  PhpSite();
  ~PhpSite();
  PhpSite(const PhpSite&) = delete;
  PhpSite& operator=(const PhpSite&) = delete;
  bool Started() const { return pid_ > 0; }
  int Port() const { return port_; }
  // "127.0.0.1:port", as VELKOR_SITE takes it.
  std::string Address() const;
  const std::string& StoreDir() const { return store_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string store_;
};

}  // namespace vtest
