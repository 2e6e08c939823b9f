#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/net.h"

namespace {

constexpr uint32_t kLoopback = 0x7f000001;

// A one-connection server on 127.0.0.1: accepts, runs the script on the
// connection's descriptor, then closes it.
class LittleServer {
 public:
  explicit LittleServer(std::function<void(int)> script) {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(kLoopback);
    socklen_t len = sizeof a;
    EXPECT_EQ(::bind(listen_, reinterpret_cast<sockaddr*>(&a), len), 0);
    EXPECT_EQ(::listen(listen_, 1), 0);
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script] {
      int c = ::accept(listen_, nullptr, nullptr);
      if (c >= 0) {
        script(c);
        ::close(c);
      }
    });
  }
  ~LittleServer() {
    Join();
    ::close(listen_);
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  int Port() const { return port_; }

 private:
  int listen_ = -1;
  int port_ = 0;
  std::thread thread_;
};

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

void SendAll(int fd, const std::string& s) { ::send(fd, s.data(), s.size(), MSG_NOSIGNAL); }

plat::TcpSocketPtr ConnectTo(int port) {
  auto sock = plat::TcpSocket::Create();
  EXPECT_TRUE(sock);
  EXPECT_FALSE(sock->Connected());  // not yet connected
  EXPECT_TRUE(sock->Bind(0));
  EXPECT_TRUE(sock->Connect(kLoopback, port));
  return sock;
}

TEST(NetTest, RequestAndAnswerUntilPeerCloses) {
  std::string received;
  LittleServer server([&](int c) {
    received = RecvExactly(c, 12);
    SendAll(c, "HTTP/1.0 200\r\n\r\nSUCCESS");
  });
  auto sock = ConnectTo(server.Port());
  auto stream = plat::CreateSocketStream(sock);
  stream->WriteLine(std::string("ping \xFF", 6));
  stream->WriteString("abcd");
  // The polling loop of the upload client: byte by byte while connected.
  std::string answer;
  while (sock->Connected()) {
    for (int n = sock->ReadAvail(); n > 0; --n) answer += static_cast<char>(stream->ReadByte());
  }
  EXPECT_EQ(answer, "HTTP/1.0 200\r\n\r\nSUCCESS");
  server.Join();
  EXPECT_EQ(received, std::string("ping \xFF\r\nabcd", 12));
  EXPECT_TRUE(stream->Eof());
  EXPECT_EQ(sock->ReadAvail(), 0);
  stream.reset();  // closing the stream closes the socket
  EXPECT_EQ(sock->Fd(), -1);
  EXPECT_FALSE(sock->Connected());
}

TEST(NetTest, ConnectedWhileUnreadBytesRemainAfterClose) {
  LittleServer server([](int c) { SendAll(c, "abc"); });
  auto sock = ConnectTo(server.Port());
  server.Join();  // the peer has sent and closed
  auto stream = plat::CreateSocketStream(sock);
  EXPECT_TRUE(sock->Connected());
  EXPECT_EQ(sock->ReadAvail(), 3);
  EXPECT_FALSE(stream->Eof());
  char buf[10];
  EXPECT_EQ(stream->Read(buf, sizeof buf), 3u);  // peer close ends the read
  EXPECT_FALSE(sock->Connected());
  EXPECT_TRUE(stream->Eof());
  EXPECT_EQ(stream->ReadByte(), 0);
  EXPECT_EQ(stream->ReadLine(), "");
  // Writing to a closed peer must not raise SIGPIPE.
  std::string lots(1 << 20, 'x');
  for (int i = 0; i < 4; ++i) stream->Write(lots.data(), lots.size());
}

TEST(NetTest, ReadWaitsForAllBytes) {
  LittleServer server([](int c) {
    SendAll(c, "ab");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SendAll(c, "cd\nrest");
  });
  auto sock = ConnectTo(server.Port());
  auto stream = plat::CreateSocketStream(sock);
  EXPECT_EQ(stream->ReadString(4), "abcd");
  EXPECT_EQ(stream->ReadLine(), "");
  EXPECT_EQ(stream->ReadLine(), "rest");
}

TEST(NetTest, FailuresAndAddresses) {
  // A port with nobody listening.
  int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(kLoopback);
  socklen_t len = sizeof a;
  ::bind(probe, reinterpret_cast<sockaddr*>(&a), len);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(probe);
  auto sock = plat::TcpSocket::Create();
  ASSERT_TRUE(sock);
  EXPECT_FALSE(sock->Connect(kLoopback, ntohs(a.sin_port)));
  EXPECT_FALSE(plat::TcpSocket::Create()->Connect(0, 80));  // no address
  EXPECT_FALSE(plat::TcpSocket::Create()->Bind(70000));

  EXPECT_EQ(plat::HostIp("localhost"), kLoopback);
  EXPECT_EQ(plat::HostIps("10.0.0.1"), std::vector<uint32_t>{0x0A000001u});
  EXPECT_EQ(plat::HostIp(""), 0u);
  EXPECT_EQ(plat::DottedIP(0x0A0000FF), "10.0.0.255");
}

}  // namespace
