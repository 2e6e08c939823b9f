#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/net.h"
#include "support/net_support.h"

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
  auto sock = plat::TcpSocket::Create();
  ASSERT_TRUE(sock);
  EXPECT_FALSE(sock->Connect(kLoopback, vtest::FreeLoopbackPort()));
  EXPECT_FALSE(plat::TcpSocket::Create()->Connect(0, 80));  // no address
  EXPECT_FALSE(plat::TcpSocket::Create()->Bind(70000));

  EXPECT_EQ(plat::HostIps("10.0.0.1"), std::vector<uint32_t>{0x0A000001u});
  EXPECT_EQ(plat::HostIp(""), 0u);
  EXPECT_EQ(plat::DottedIP(0x0A0000FF), "10.0.0.255");
  if (!vtest::SystemResolvesLocalhost()) GTEST_SKIP() << vtest::kNoLocalhost;
  EXPECT_EQ(plat::HostIp("localhost"), kLoopback);
}

}  // namespace
