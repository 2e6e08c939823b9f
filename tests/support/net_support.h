// Servers on this machine for the network tests: a one-connection raw TCP
// listener that runs a script, and PHP's built-in web server over the site's
// reference endpoint (tests/site).
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace vtest {

constexpr uint32_t kLoopback = 0x7f000001;

// Asked of the system's resolver directly: a machine set up without a hosts
// file may have no address for "localhost", which is not ours to test.
bool SystemResolvesLocalhost();
constexpr const char* kNoLocalhost =
    "this machine's resolver gives no IPv4 address for \"localhost\" (no hosts file?)";

// A listening socket on 127.0.0.1 at a free port (-1 on failure).
int ListenOnLoopback(int& port, int backlog = 4);

// A loopback port that refuses every connection while this lives: it is
// held bound but never listens, so no other program can take it meanwhile.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  int Port() const { return port_; }

 private:
  int fd_ = -1, port_ = 0;
};
std::string RecvExactly(int fd, size_t n);
void SendAll(int fd, const std::string& s);

// Accepts one connection, runs the script on it, then closes it.
class LittleServer {
 public:
  explicit LittleServer(std::function<void(int)> script);
  ~LittleServer();
  void Join();
  int Port() const { return port_; }

 private:
  int listen_ = -1, port_ = 0;
  std::thread thread_;
};

// `php -S` on 127.0.0.1 over tests/site, storing uploads in a fresh folder.
// The server picks its own free port and is ready once it says so; Started()
// is false without php (and a failure of the test when php would not start).
class PhpSite {
 public:
  PhpSite();
  ~PhpSite();
  bool Started() const { return pid_ > 0; }
  int Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }  // as VELKOR_SITE takes it
  const std::string& StoreDir() const { return store_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string store_;
};

}  // namespace vtest
