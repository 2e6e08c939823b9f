// The upload client against raw TCP listeners on this machine: the request
// byte for byte, the answer's lines, and every way a server can fail it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

#include "httpupload/http.h"
#include "httpupload/site.h"
#include "support/net_support.h"
#include "support/sandbox.h"
#include "support/wait.h"

namespace {

using http::tsendhttp;

const std::string kClosing = "-----------------------------23281168279961--\r\n\r\n";

// The head and as many bytes as its Content-Length promises (fewer when the
// client stops early).
std::string RecvRequest(int fd) {
  std::string s;
  char c;
  while (s.find("\r\n\r\n") == std::string::npos && ::recv(fd, &c, 1, 0) == 1) s += c;
  const size_t at = s.find("Content-Length: ");
  return at == std::string::npos ? s : s + vtest::RecvExactly(fd, std::stoul(s.substr(at + 16)));
}

std::string Body(const std::string& request) { return request.substr(request.find("\r\n\r\n") + 4); }

class HttpUploadTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = vtest::MakeTempDir("http"); }
  void TearDown() override { vtest::RemoveTree(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    return dir_ + "/" + name;
  }
  std::vector<std::string> PostTo(tsendhttp& req, std::function<void(int)> script) {
    vtest::LittleServer server(std::move(script));
    return req.Post("127.0.0.1", server.Port(), "/velkor/updated.php");
  }
  std::string dir_;
};

TEST_F(HttpUploadTest, RequestByteForByte) {
  tsendhttp req;
  req.AddField("ud_NAME", "Ren\xE9 Kay");  // 7 + 8 characters, one byte each: 105 bytes
  const std::string bytes("PK\x03\x04\0\r\n--", 10);
  ASSERT_TRUE(req.AddFile("uploadedfile", Write("Pack One.ZIP", bytes)));
  std::string got;
  const auto lines = PostTo(req, [&](int c) {
    got = RecvRequest(c);
    vtest::SendAll(c, "HTTP/1.0 200 OK\r\n\r\nSUCCESS");
  });
  const std::string text =
      "-----------------------------23281168279961\r\n"
      "Content-Disposition: form-data; name=\"ud_NAME\"\r\n\r\nRen\xE9 Kay\r\n";
  const std::string body = text +
      "-----------------------------23281168279961\r\n"
      "Content-Disposition: form-data; name=\"uploadedfile\"; filename=\"Pack One.ZIP\"\r\n"
      "Content-Type: application/zip\r\n\r\n" + bytes + "\r\n" + kClosing;
  EXPECT_EQ(text.size(), 105u);
  // The port is the listener's, yet only the host is written.
  EXPECT_EQ(got,
            "POST http://127.0.0.1/velkor/updated.php HTTP/1.0\r\n"
            "Host: 127.0.0.1\r\n"
            "User-Agent: VozUzadirar\r\n"
            "Content-Type: multipart/form-data; boundary=---------------------------23281168279961\r\n"
            "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(lines, (std::vector<std::string>{"HTTP/1.0 200 OK", "", "SUCCESS"}));
}

// A request without parts, answered in every line style, up to the cap.
TEST_F(HttpUploadTest, AnswerLines) {
  const std::vector<std::string> none;
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
      {std::string(999, 'x') + "\n", {std::string(999, 'x'), ""}},
      {std::string(1001, 'x'), none},
  };
  for (const auto& c : cases) {
    tsendhttp req;
    req.limits.maxAnswerBytes = 1000;
    std::string got;
    const auto lines = PostTo(req, [&](int fd) {
      got = RecvRequest(fd);
      vtest::SendAll(fd, c.answer);
    });
    EXPECT_EQ(lines, c.lines) << c.answer.substr(0, 20);
    EXPECT_EQ(Body(got), kClosing);
  }
}

// A reset is no answer, wherever it cuts: only the server's close ends one.
TEST_F(HttpUploadTest, ResetAnswersAreNoAnswers) {
  for (const char* answer : {"HTTP/1.0 200 OK\r\n\r\nSUCCESS\r\npartial", ""}) {
    tsendhttp req;
    const auto lines = PostTo(req, [&](int fd) {
      RecvRequest(fd);
      vtest::SendAll(fd, answer);
      linger reset{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    });
    EXPECT_TRUE(lines.empty()) << answer;
  }
}

TEST(HttpUploadResolve, Hosts) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"10.0.0.1", 0x0A000001},  {"12345", 0},   {"1.2.3", 0},
      {"", 0},                   {"1.2.3.4.5", 0x01020304}, {"1..3.", 0x01000300},
      {"256.0.0.1", 0x00000001},
  };
  for (const auto& [host, ip] : cases) EXPECT_EQ(tsendhttp::ResolveHost(host), ip) << host;
  if (!vtest::SystemResolvesLocalhost()) GTEST_SKIP() << vtest::kNoLocalhost;
  EXPECT_EQ(tsendhttp::ResolveHost("localhost"), vtest::kLoopback);
}

TEST_F(HttpUploadTest, AddFileAndContentTypes) {
  tsendhttp req;
  EXPECT_EQ(req.AddFile("f", dir_ + "/missing.zip"), nullptr);
  EXPECT_EQ(req.AddFile("f", dir_), nullptr);
  EXPECT_TRUE(req.parts.empty());
  Write("Mine.Zip", "z");
  const auto part = req.AddFile("f", dir_ + "\\Mine.Zip");  // either slash ends the folder
  ASSERT_TRUE(part);
  EXPECT_EQ(part->fileName, "Mine.Zip");
  EXPECT_EQ(part->mimeType, "application/zip");
  const char* types[][2] = {{"a.PNG", "image/png"}, {"a.Jpeg", "image/jpg"}, {"a.TXT", "text/txt"},
                            {"a.rar", "application/rar"}, {"a.tar.gz", "text/plain"}, {"noext", "text/plain"},
                            {"d.zip/f", "text/plain"}, {"d.zip\\f", "text/plain"}, {"a.", "text/plain"}};
  for (const auto& t : types) EXPECT_EQ(http::MimeTypeFor(t[0]), t[1]) << t[0];
}

// A server that takes the request and then says nothing, and one whose
// accept queue is full: the client gives up instead of waiting for ever.
TEST_F(HttpUploadTest, SilentServersAreGivenUp) {
  tsendhttp req;
  req.AddField("ud_NAME", "x");
  req.limits.idleMs = 300;
  bool whole = false;
  EXPECT_TRUE(PostTo(req, [&](int c) {
                whole = Body(RecvRequest(c)).size() == 90 + 7 + 1 + 49;
                char b;
                ::recv(c, &b, 1, 0);  // until the client closes
              }).empty());
  EXPECT_TRUE(whole);

  // With room for one waiting connection, taken by one of the fillers, the
  // system drops every further attempt to connect unanswered.
  int port = 0;
  const int listener = vtest::ListenOnLoopback(port, 0);
  sockaddr_in a{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(vtest::kLoopback)}, {}};
  std::vector<pollfd> fillers;
  for (int i = 0; i < 4; ++i) {
    fillers.push_back({::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0), POLLOUT, 0});
    ::connect(fillers.back().fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  ASSERT_GT(::poll(fillers.data(), fillers.size(), vtest::kEventDeadlineMs), 0) << "no filler was queued";
  req.limits.connectMs = 300;
  EXPECT_TRUE(req.Post("127.0.0.1", port, "/").empty());
  for (const pollfd& f : fillers) ::close(f.fd);
  ::close(listener);
}

// "12345" has no address, and on Linux a connection to 0.0.0.0 would reach
// this machine: a server listening here must see no connection.
TEST_F(HttpUploadTest, NoAddressNeverReachesThisMachine) {
  int port = 0;
  const int listener = vtest::ListenOnLoopback(port);
  tsendhttp req;
  EXPECT_TRUE(req.Post("12345", port, "/").empty());
  EXPECT_TRUE(req.Post("0.0.0.0", port, "/").empty());
  pollfd p{listener, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 100), 0);
  ::close(listener);
}

// The server resets the connection early in a large body: the write fails
// without a broken-pipe signal ending this process.
TEST_F(HttpUploadTest, EarlyCloseIsQuiet) {
  tsendhttp req;
  req.AddFile("f", Write("big.zip", std::string(8 << 20, 'z')));
  EXPECT_TRUE(PostTo(req, [](int c) {
                vtest::RecvExactly(c, 10);
                linger off{1, 0};
                ::setsockopt(c, SOL_SOCKET, SO_LINGER, &off, sizeof off);
              }).empty());
}

// The second file changes while the first is on its way: the request is cut
// off rather than send a body that disagrees with Content-Length.
TEST_F(HttpUploadTest, FileChangedAfterCountingAborts) {
  const std::string big = Write("big.zip", std::string(32 << 20, 'b'));
  const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
      {"grown", [](const std::string& p) { std::ofstream(p, std::ios::app) << "more"; }},
      {"shrunk", [](const std::string& p) { std::ofstream(p, std::ios::trunc) << "s"; }},
      {"gone", [](const std::string& p) { ::unlink(p.c_str()); }},
  };
  for (const auto& [what, change] : cases) {
    const std::string second = Write("second.zip", "0123456789");
    tsendhttp req;
    req.AddFile("a", big);
    req.AddFile("b", second);
    size_t got = 0, promised = 0;
    const auto lines = PostTo(req, [&, &change = change](int fd) {
      change(second);
      const std::string r = RecvRequest(fd);
      got = Body(r).size();
      promised = std::stoul(r.substr(r.find("Content-Length: ") + 16));
      vtest::SendAll(fd, "SUCCESS\n");
    });
    EXPECT_TRUE(lines.empty()) << what;
    EXPECT_LT(got, promised) << what;
    EXPECT_GT(got, size_t{32 << 20}) << what;
  }
}

TEST(HttpUploadSite, HostAndPort) {
  const std::string def = std::string(http::kDefaultSiteHost) + ":80";
  const std::pair<const char*, std::string> cases[] = {
      {"", def}, {"site.test", "site.test:80"}, {"127.0.0.1:8080", "127.0.0.1:8080"},
      {"h:70000", def}, {"h:8x", def}, {":80", def}, {"a/b", def}};
  for (const auto& [text, want] : cases) {
    const http::SiteAddress s = http::ParseSite(text);
    EXPECT_EQ(s.host + ":" + std::to_string(s.port), want) << text;
  }
}

}  // namespace
