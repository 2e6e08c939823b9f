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
  // True while open or unread bytes remain.
  bool Connected();
  int ReadAvail();
  void Close();
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
  bool peerClosed_ = false;
};
using TcpSocketPtr = std::shared_ptr<TcpSocket>;

// A stream over the socket; closing the stream closes the socket.
StreamPtr CreateSocketStream(TcpSocketPtr socket);

// First IPv4 address of the name (host order), 0 when none.
uint32_t HostIp(const std::string& name);
std::vector<uint32_t> HostIps(const std::string& name);
std::string DottedIP(uint32_t ip);

}  // namespace plat
