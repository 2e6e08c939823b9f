// The upload client against raw TCP listeners on this machine: the request
// byte for byte, the answer's lines, and every way a server can fail it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "httpupload/http.h"
#include "httpupload/site.h"
#include "support/net_support.h"
#include "support/sandbox.h"

namespace {

using http::tsendhttp;
using vtest::LittleServer;

// The whole request: headers, then as many bytes as Content-Length says (or
// until the client closes).
std::string RecvRequest(int fd) {
  std::string s;
  char c;
  while (s.find("\r\n\r\n") == std::string::npos && ::recv(fd, &c, 1, 0) == 1) s += c;
  const size_t at = s.find("Content-Length: ");
  if (at == std::string::npos) return s;
  return s + vtest::RecvExactly(fd, std::stoul(s.substr(at + 16)));
}

class HttpUploadTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = vtest::MakeTempDir("http"); }
  void TearDown() override { vtest::RemoveTree(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    return dir_ + "/" + name;
  }
  // Posts the request to a listener that runs the script.
  std::vector<std::string> PostTo(tsendhttp& req, std::function<void(int)> script) {
    LittleServer server(std::move(script));
    return req.Post("127.0.0.1", server.Port(), "/velkor/updated.php");
  }
  std::string dir_;
};

TEST_F(HttpUploadTest, RequestByteForByte) {
  tsendhttp req;
  req.AddField("ud_NAME", "Ren\xE9 Kay");  // 7 + 8: one byte per character
  const std::string file = Write("Pack One.ZIP", std::string("PK\x03\x04\0\r\n--", 10));
  ASSERT_TRUE(req.AddFile("uploadedfile", file));
  std::string got;
  const auto lines = PostTo(req, [&](int c) {
    got = RecvRequest(c);
    vtest::SendAll(c, "HTTP/1.0 200 OK\r\n\r\nSUCCESS");
  });
  const std::string body =
      "-----------------------------23281168279961\r\n"
      "Content-Disposition: form-data; name=\"ud_NAME\"\r\n\r\n"
      "Ren\xE9 Kay\r\n"
      "-----------------------------23281168279961\r\n"
      "Content-Disposition: form-data; name=\"uploadedfile\"; filename=\"Pack One.ZIP\"\r\n"
      "Content-Type: application/zip\r\n\r\n" +
      std::string("PK\x03\x04\0\r\n--", 10) +
      "\r\n"
      "-----------------------------23281168279961--\r\n\r\n";
  ASSERT_EQ(body.size(), 49u + 105u + 119u + 12 + 12 + 15 + 10);
  EXPECT_EQ(got,
            "POST http://127.0.0.1/velkor/updated.php HTTP/1.0\r\n"
            "Host: 127.0.0.1\r\n"
            "User-Agent: VozUzadirar\r\n"
            "Content-Type: multipart/form-data; boundary=---------------------------23281168279961\r\n"
            "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(lines, (std::vector<std::string>{"HTTP/1.0 200 OK", "", "SUCCESS"}));
  EXPECT_EQ(req.parts.size(), 2u);  // Post keeps the parts
}

TEST_F(HttpUploadTest, BodyLengthCountsEveryByte) {
  tsendhttp req;
  EXPECT_EQ(req.BodyLength(), 49);
  req.AddField("1234567", "12345678");
  EXPECT_EQ(req.BodyLength(), 49 + 105);
  req.AddFile("f", Write("a.txt", "x"));
  ::unlink((dir_ + "/a.txt").c_str());  // gone before the post: nothing is sent
  EXPECT_EQ(req.BodyLength(), -1);
  EXPECT_TRUE(req.Post("127.0.0.1", vtest::FreeLoopbackPort(), "/").empty());
}

TEST_F(HttpUploadTest, AnswerLines) {
  const struct {
    std::string answer;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\r\nc", {"a", "b", "c"}},
      {"a\nb\nc", {"a", "b", "c"}},
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\rb\r\r\nc\r", {"a\rb\r", "c\r"}},
      {"SUCCESS\n", {"SUCCESS", ""}},
      {"", {""}},
      {std::string("\xFF\0x\n", 4), {std::string("\xFF\0x", 3), ""}},
  };
  for (const auto& c : cases) {
    tsendhttp req;
    const auto lines = PostTo(req, [&](int fd) {
      RecvRequest(fd);
      vtest::SendAll(fd, c.answer);
    });
    EXPECT_EQ(lines, c.lines) << c.answer;
  }
}

TEST(HttpUploadResolve, Hosts) {
  const struct {
    const char* host;
    uint32_t ip;
  } cases[] = {
      {"10.0.0.1", 0x0A000001},  {"12345", 0},       {"1.2.3", 0},
      {"", 0},                   {"1.2.3.4.5", 0x01020304}, {"1..3.", 0x01000300},
      {"256.0.0.1", 0x00000001}, {"localhost", vtest::kLoopback},
  };
  for (const auto& c : cases) EXPECT_EQ(tsendhttp::ResolveHost(c.host), c.ip) << c.host;
}

TEST(HttpUploadMime, ByExtensionInAnyCase) {
  const char* cases[][2] = {
      {"a.gif", "image/gif"}, {"a.PNG", "image/png"}, {"a.Jpeg", "image/jpg"}, {"a.jpg", "image/jpg"},
      {"a.bmp", "image/bmp"}, {"a.TXT", "text/txt"}, {"a.htm", "text/htm"}, {"a.html", "text/html"},
      {"a.doc", "text/doc"}, {"a.css", "text/css"}, {"a.exe", "application/exe"},
      {"C:\\x\\P.ZIP", "application/zip"}, {"a.rar", "application/rar"}, {"a.tar.gz", "text/plain"},
      {"noext", "text/plain"}, {"d.zip/f", "text/plain"}, {"d.zip\\f", "text/plain"}, {"a.", "text/plain"}};
  for (const auto& c : cases) EXPECT_EQ(http::MimeTypeFor(c[0]), c[1]) << c[0];
}

TEST_F(HttpUploadTest, AddFileTakesOnlyRegularFiles) {
  tsendhttp req;
  EXPECT_EQ(req.AddFile("f", dir_ + "/missing.zip"), nullptr);
  EXPECT_EQ(req.AddFile("f", dir_), nullptr);
  EXPECT_TRUE(req.parts.empty());
  Write("Mine.Zip", "z");
  const auto part = req.AddFile("f", dir_ + "\\Mine.Zip");  // either slash ends the directory
  ASSERT_TRUE(part);
  EXPECT_EQ(part->kind, http::kFilePart);
  EXPECT_EQ(part->fileName, "Mine.Zip");
  EXPECT_EQ(part->mimeType, "application/zip");
}

// A server that takes the request and then says nothing, or far too much:
// the client gives up with the empty array instead of waiting for ever.
TEST_F(HttpUploadTest, SilentOrTalkativeServersGiveNothing) {
  tsendhttp req;
  req.AddField("ud_NAME", "x");
  req.limits.idleMs = 300;
  req.limits.maxAnswerBytes = 1000;
  bool whole = false;
  EXPECT_TRUE(PostTo(req, [&](int c) {
                whole = RecvRequest(c).size() > 200;
                char b;
                ::recv(c, &b, 1, 0);  // until the client closes
              }).empty());
  EXPECT_TRUE(whole);
  EXPECT_TRUE(PostTo(req, [](int c) {
                RecvRequest(c);
                vtest::SendAll(c, std::string(1001, 'x'));
                char b;
                ::recv(c, &b, 1, 0);
              }).empty());
  EXPECT_EQ(PostTo(req, [](int c) {
              RecvRequest(c);
              vtest::SendAll(c, std::string(999, 'x') + "\n");
            }).size(), 2u);
  // A cancel from another thread ends the wait long before the time-out.
  std::atomic<bool> cancel{false};
  req.cancel = &cancel;
  req.limits.idleMs = 60000;
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel = true;
  });
  EXPECT_TRUE(PostTo(req, [](int c) {
                RecvRequest(c);
                char b;
                ::recv(c, &b, 1, 0);
              }).empty());
  canceller.join();
}

// A full accept queue: the handshake never completes.
TEST_F(HttpUploadTest, ConnectGivesUp) {
  int port = 0;
  const int listener = vtest::ListenOnLoopback(port, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(vtest::kLoopback);
  a.sin_port = htons(static_cast<uint16_t>(port));
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(f);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  tsendhttp req;
  req.limits.connectMs = 300;
  EXPECT_TRUE(req.Post("127.0.0.1", port, "/").empty());
  for (int f : fillers) ::close(f);
  ::close(listener);
}

// "12345" has no address; on Linux, connecting to 0.0.0.0 would reach this
// machine, so a server listening here must see no connection.
TEST_F(HttpUploadTest, NoAddressNeverReachesThisMachine) {
  int port = 0;
  const int listener = vtest::ListenOnLoopback(port);
  ASSERT_GE(listener, 0);
  tsendhttp req;
  EXPECT_TRUE(req.Post("12345", port, "/").empty());
  EXPECT_TRUE(req.Post("0.0.0.0", port, "/").empty());
  pollfd p{listener, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 100), 0);
  ::close(listener);
}

// The server resets the connection after a few bytes of a large body: the
// write fails without a broken-pipe signal ending this process.
TEST_F(HttpUploadTest, EarlyCloseIsQuiet) {
  tsendhttp req;
  req.AddFile("f", Write("big.zip", std::string(8 << 20, 'z')));
  EXPECT_TRUE(PostTo(req, [](int c) {
                vtest::RecvExactly(c, 10);
                linger off{1, 0};
                ::setsockopt(c, SOL_SOCKET, SO_LINGER, &off, sizeof off);
              }).empty());
}

// The second file changes while the first is still on its way: the request
// is cut off before its body could disagree with Content-Length.
TEST_F(HttpUploadTest, FileChangedAfterCountingAborts) {
  const std::string big = Write("big.zip", std::string(32 << 20, 'b'));
  const struct {
    const char* what;
    std::function<void(const std::string&)> change;
  } cases[] = {
      {"grown", [](const std::string& p) { std::ofstream(p, std::ios::app) << "more"; }},
      {"shrunk", [](const std::string& p) { std::ofstream(p, std::ios::trunc) << "s"; }},
      {"gone", [](const std::string& p) { ::unlink(p.c_str()); }},
  };
  for (const auto& c : cases) {
    const std::string second = Write("second.zip", "0123456789");
    tsendhttp req;
    req.AddFile("a", big);
    req.AddFile("b", second);
    size_t got = 0, promised = 0;
    const auto lines = PostTo(req, [&](int fd) {
      c.change(second);
      const std::string r = RecvRequest(fd);
      const size_t head = r.find("\r\n\r\n") + 4;
      got = r.size() - head;
      promised = std::stoul(r.substr(r.find("Content-Length: ") + 16));
      vtest::SendAll(fd, "SUCCESS\n");
    });
    EXPECT_TRUE(lines.empty()) << c.what;
    EXPECT_LT(got, promised) << c.what;
    EXPECT_GT(got, size_t{32 << 20}) << c.what;
  }
}

TEST(HttpUploadSite, HostAndPort) {
  const std::string def = http::kDefaultSiteHost;
  const std::pair<const char*, std::string> cases[] = {
      {"", def + ":80"},       {"site.test", "site.test:80"}, {"127.0.0.1:8080", "127.0.0.1:8080"},
      {"h:0", def + ":80"},    {"h:70000", def + ":80"},      {"h:8x", def + ":80"},
      {":80", def + ":80"},    {"a/b", def + ":80"}};
  for (const auto& [text, want] : cases) {
    const http::SiteAddress s = http::ParseSite(text);
    EXPECT_EQ(s.host + ":" + std::to_string(s.port), want) << text;
  }
  ::setenv("VELKOR_SITE", "example.test:81", 1);
  EXPECT_EQ(http::GameSite().port, 81);
  ::unsetenv("VELKOR_SITE");
}

}  // namespace
