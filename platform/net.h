// TCP sockets and host name lookup (IPv4).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace plat {

class TcpSocket {
 public:
  static std::shared_ptr<TcpSocket> Create();  // nullptr on failure
  ~TcpSocket();
  bool Bind(int localPort);
  // ip in host order (127.0.0.1 is 0x7f000001).
  bool Connect(uint32_t ip, int port);
  // Connecting in two steps, so a caller can give up or do other work while
  // the other side is slow: BeginConnect starts it (false when it failed at
  // once, address 0 included); AwaitConnect waits up to timeoutMs and gives
  // 1 connected, 0 not yet, -1 failed.
  bool BeginConnect(uint32_t ip, int port);
  int AwaitConnect(int timeoutMs);
  // Sends up to n bytes, sleeping up to timeoutMs for room: the count sent,
  // 0 when the time ran out, -1 when the connection is broken (never a
  // SIGPIPE).
  long Send(const void* buf, size_t n, int timeoutMs);
  // Sleeps up to timeoutMs until bytes can be read or the peer has closed;
  // false when the time ran out.
  bool WaitReadable(int timeoutMs);
  // True while open or unread bytes remain.
  bool Connected();
  // Once Connected() is false: whether the connection ended in an error (a
  // reset) rather than the peer's orderly close, which alone ends a whole
  // answer.
  bool Broken() const { return broken_; }
  int ReadAvail();
  void Close();
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
  bool peerClosed_ = false;
  bool broken_ = false;
};
using TcpSocketPtr = std::shared_ptr<TcpSocket>;

// A stream over the socket; closing the stream closes the socket.
StreamPtr CreateSocketStream(TcpSocketPtr socket);

// First IPv4 address of the name (host order), 0 when none.
uint32_t HostIp(const std::string& name);
std::vector<uint32_t> HostIps(const std::string& name);
std::string DottedIP(uint32_t ip);

}  // namespace plat
