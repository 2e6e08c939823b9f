#include <gtest/gtest.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>

#include "platform/net.h"
#include "support/net_support.h"
#include "support/wait.h"

namespace {

using vtest::kLoopback;
using vtest::LittleServer;
using vtest::RecvExactly;
using vtest::SendAll;

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
  // Its bytes and its close are here once the close is: the kernel may hand
  // them over later than the peer's close returns.
  pollfd closed{sock->Fd(), POLLRDHUP, 0};
  ASSERT_EQ(::poll(&closed, 1, vtest::kEventDeadlineMs), 1);
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

// The bytes this socket's reader has taken so far.
uint64_t BytesTaken(int fd) {
  tcp_info info{};
  socklen_t len = sizeof info;
  int unread = 0;
  if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &len) != 0 || ::ioctl(fd, FIONREAD, &unread) != 0) return 0;
  return info.tcpi_bytes_received - static_cast<uint64_t>(unread);
}

TEST(NetTest, ReadWaitsForAllBytes) {
  std::atomic<int> reader{-1};
  LittleServer server([&](int c) {
    SendAll(c, "ab");
    // The rest only once the reader has taken the first two bytes, so its
    // read of four has to wait for them.
    EXPECT_TRUE(vtest::WaitUntil([&] { return reader >= 0 && BytesTaken(reader) == 2; }));
    SendAll(c, "cd\nrest");
  });
  auto sock = ConnectTo(server.Port());
  reader = sock->Fd();
  auto stream = plat::CreateSocketStream(sock);
  EXPECT_EQ(stream->ReadString(4), "abcd");
  EXPECT_EQ(stream->ReadLine(), "");
  EXPECT_EQ(stream->ReadLine(), "rest");
}

TEST(NetTest, FailuresAndAddresses) {
  auto sock = plat::TcpSocket::Create();
  ASSERT_TRUE(sock);
  const vtest::RefusingPort refusing;
  EXPECT_FALSE(sock->Connect(kLoopback, refusing.Port()));
  EXPECT_FALSE(plat::TcpSocket::Create()->Connect(0, 80));  // no address
  EXPECT_FALSE(plat::TcpSocket::Create()->Bind(70000));

  EXPECT_EQ(plat::HostIps("10.0.0.1"), std::vector<uint32_t>{0x0A000001u});
  EXPECT_EQ(plat::HostIp(""), 0u);
  EXPECT_EQ(plat::DottedIP(0x0A0000FF), "10.0.0.255");
  if (!vtest::SystemResolvesLocalhost()) GTEST_SKIP() << vtest::kNoLocalhost;
  EXPECT_EQ(plat::HostIp("localhost"), kLoopback);
}

}  // namespace
