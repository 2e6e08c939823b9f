// The upload dialog driven headlessly through its pages, as the options
// screen carries it: name, uploading, success or failure, with the fades,
// the name field, the failure page's click zones, and the window closed
// while an upload runs.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "frontend/dispatcher.h"
#include "frontend/menuframe.h"
#include "frontend/startup.h"
#include "frontend/upload.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "services/buttons.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/resources.h"
#include "services/textfield.h"
#include "support/fake_opener.h"
#include "support/net_support.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace fs = std::filesystem;

namespace {

fe::UploadDialogVars& D() { return fe::UploadDialog; }

class UploadDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fe::StartUp();
    ASSERT_TRUE(plat::GraphicsOpen());
    fs::create_directories(sandbox_.Path("Data/Packs/mine/levels"));
    fs::create_directories(sandbox_.Path("Data/Packs/mine/replays"));
    std::ofstream(sandbox_.Path("Data/Packs/mine/scores.dat")) << "scores";
    fe::Game.CurrentPack = "mine";
    fe::Game.GameState = fe::kStateOptions;
    fe::EnterUploadDialog();
  }
  void TearDown() override {
    fe::ResetUploadDialog();
    ::unsetenv("VELKOR_SITE");
  }

  // What the options screen does for the dialog in one frame.
  // With the backdrop only for screenshots: it is the slow part.
  void Frame(bool backdrop = false) {
    plat::Cls();
    play::PollMouseClick();
    play::PollInput(0);
    fe::UpdateUploadDialog();
    if (backdrop) fe::TileLevelBack();
    fe::DrawUploadDialog();
    plat::Flip();
  }
  // Frames until the condition holds; false after the limit.
  bool FramesUntil(const std::function<bool()>& done, int limit = 2000) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      Frame();
    }
    return done();
  }
  bool Showing(int page) {
    return FramesUntil([&] { return D().UploadDialogShownPage == page && D().UploadDialogFade == 2; });
  }
  void Shot(const std::string& name) {
    Frame(true);
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath(name)));
  }
  void Click(int x, int y) {
    plat::test::MouseMove(x, y);
    plat::test::MousePress(1);
    Frame();
    plat::test::MouseRelease(1);
  }
  // The dialog at a page, fully shown.
  void Open(int page) {
    D().UploadDialogPage = D().UploadDialogShownPage = page;
    D().UploadDialogFade = 2;
    D().UploadDialogAlpha = 1.0f;
  }

  vtest::GameSandbox sandbox_;
};

// A site that reads the whole request, then answers.
std::function<void(int)> Answering(std::string answer, std::string* request = nullptr) {
  return [answer, request](int c) {
    std::string got;
    char b[4096];
    while (got.size() < 6 || got.compare(got.size() - 6, 6, "--\r\n\r\n") != 0) {
      const ssize_t k = ::recv(c, b, sizeof b, 0);
      if (k <= 0) break;
      got.append(b, static_cast<size_t>(k));
    }
    if (request) *request = got;
    vtest::SendAll(c, answer);
  };
}

void UseSite(const vtest::LittleServer& server) {
  ::setenv("VELKOR_SITE", ("127.0.0.1:" + std::to_string(server.Port())).c_str(), 1);
}

TEST_F(UploadDialogTest, NameUploadSuccessAndClose) {
  std::string request;
  vtest::LittleServer server(Answering("HTTP/1.0 200 OK\r\n\r\nSUCCESS\n", &request));
  UseSite(server);

  fe::Button::DoAction(19);
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadName);
  Frame();
  EXPECT_EQ(D().UploadDialogFade, 1);
  ASSERT_TRUE(Showing(fe::kUploadName));
  EXPECT_FLOAT_EQ(D().UploadDialogAlpha, 1.0f);
  for (char ch : std::string("Ann Lee")) plat::test::TypeChar(ch);
  EXPECT_TRUE(FramesUntil([] { return fe::UploadDialog.UploadFields[1] == "Ann Lee"; }, 20));
  Shot("upload_name");
  plat::test::TypeChar(13);
  Frame();
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadRunning);
  Frame();
  EXPECT_EQ(D().UploadDialogFade, 3);  // the name page fades out first
  ASSERT_TRUE(Showing(fe::kUploadRunning));
  Shot("upload_running");
  ASSERT_TRUE(Showing(fe::kUploadSuccess));
  Shot("upload_success");
  server.Join();
  EXPECT_NE(request.find("name=\"ud_NAME\"\r\n\r\nAnn Lee\r\n"), std::string::npos);
  EXPECT_NE(request.find("filename=\"mine.zip\""), std::string::npos);
  EXPECT_EQ(D().UploadFields[0], "mine");

  plat::test::KeyTap(plat::vk::Space);
  EXPECT_TRUE(FramesUntil([] { return D().UploadDialogFade == 0 && D().UploadDialogShownPage == 0; }));
}

TEST_F(UploadDialogTest, AnswerWordsChooseThePage) {
  const struct {
    const char* answer;
    int page;
  } cases[] = {
      {"SUCCESS", fe::kUploadSuccess},    {"success\n", fe::kUploadFailure},
      {"OK\nTEMP\n", fe::kUploadFailure}, {"PERM\r\nSUCCESS\r\n", fe::kUploadFailure},
      {"", fe::kUploadFailure},
  };
  for (const auto& c : cases) {
    vtest::LittleServer server(Answering(c.answer));
    UseSite(server);
    Open(fe::kUploadRunning);
    ASSERT_TRUE(FramesUntil([] { return D().UploadDialogPage != fe::kUploadRunning; })) << c.answer;
    EXPECT_EQ(D().UploadDialogPage, c.page) << c.answer;
    EXPECT_EQ(D().UploadDialogFade, 3) << c.answer;
  }
  // No site at all, through the whole fade sequence.
  fe::ResetUploadDialog();
  ::setenv("VELKOR_SITE", ("127.0.0.1:" + std::to_string(vtest::FreeLoopbackPort())).c_str(), 1);
  D().UploadDialogPage = fe::kUploadRunning;
  ASSERT_TRUE(Showing(fe::kUploadFailure));
  Shot("upload_failure");
}

TEST_F(UploadDialogTest, FailurePageClickZones) {
  const struct {
    int x, y;
    int page;
    bool browser;
  } cases[] = {
      {221, 365, fe::kUploadName, false},    {314, 379, fe::kUploadName, false},
      {220, 370, fe::kUploadFailure, false}, {315, 370, fe::kUploadFailure, false},
      {250, 364, fe::kUploadFailure, false}, {250, 380, fe::kUploadFailure, false},
      {361, 370, fe::kUploadNone, true},     {444, 370, fe::kUploadNone, true},
      {501, 370, fe::kUploadNone, false},    {554, 370, fe::kUploadNone, false},
      {555, 370, fe::kUploadFailure, false}, {340, 370, fe::kUploadFailure, false},
  };
  for (const auto& c : cases) {
    vtest::FakeUrlOpener opener;
    Open(fe::kUploadFailure);
    Click(c.x, c.y);
    EXPECT_EQ(D().UploadDialogPage, c.page) << c.x << "," << c.y;
    if (c.browser) {
      EXPECT_NE(opener.WaitForArgs().find("/velkor/upload.php?filename="), std::string::npos);
    }
  }
  Open(fe::kUploadFailure);
  plat::test::KeyTap(plat::vk::Space);
  Frame();
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadNone);
}

TEST_F(UploadDialogTest, SpaceTypesOnTheNamePage) {
  fe::UploadButtonPressed();
  ASSERT_TRUE(Showing(fe::kUploadName));
  plat::test::KeyTap(plat::vk::Space);
  Frame();
  Frame();
  EXPECT_EQ(fe::Res.UploaderNameInput->text, " ");
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadName);
}

TEST_F(UploadDialogTest, UploadButtonDoesNothingForTheBuiltInPack) {
  for (const char* pack : {"base", "BASE", "Base"}) {
    fe::Game.CurrentPack = pack;
    fe::Button::DoAction(19);
    EXPECT_EQ(D().UploadDialogPage, fe::kUploadNone) << pack;
  }
}

// The window keeps its frames while the site is silent, and closing it
// leaves through the quit state without waiting for the site.
TEST_F(UploadDialogTest, WindowLivesAndClosesDuringAnUpload) {
  vtest::LittleServer server([](int c) {
    char b[4096];
    while (::recv(c, b, sizeof b, 0) > 0) {
    }
  });
  UseSite(server);
  D().UploadDialogPage = fe::kUploadRunning;
  ASSERT_TRUE(Showing(fe::kUploadRunning));
  const int64_t before = plat::test::FrameCount();
  for (int i = 0; i < 30; ++i) Frame();
  EXPECT_EQ(plat::test::FrameCount() - before, 30);
  EXPECT_TRUE(fe::UploadRunning());
  plat::test::RequestClose();
  Frame();
  EXPECT_EQ(fe::Game.GameState, fe::kStateQuit);
  fe::LeaveUploadDialog();  // the options screen, on its way out
  EXPECT_FALSE(fe::UploadRunning());
  EXPECT_EQ(D().UploadDialogFade, 0);
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.QuitRequested, 99);
}

}  // namespace

namespace {

std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  char b[4096];
  for (size_t k; (k = std::fread(b, 1, sizeof b, p)) > 0;) out.append(b, k);
  return ::pclose(p) == 0 ? out : "failed: " + out;
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class PackExportTest : public UploadDialogTest {
 protected:
  std::string Pack(const std::string& rel) { return sandbox_.Path("Data/Packs/mine/" + rel); }
  std::string Archive() { return sandbox_.Path("Data/Packs/mine.zip"); }
};

TEST_F(PackExportTest, MembersInOrderWithTheirOwnNames) {
  for (int n : {50, 10, 3, 1, 0}) Put(Pack("levels/" + std::to_string(n) + ".doy"), "L");
  Put(Pack("replays/1.doyplay"), "R");
  fs::create_directory(Pack("levels/2.doy"));  // a folder is no level
  std::vector<std::string> names;
  for (const auto& m : fe::PackMembers(sandbox_.Dir(), "mine")) names.push_back(m.memberName);
  EXPECT_EQ(names, (std::vector<std::string>{"mine\\levels\\0.doy", "mine\\levels\\1.doy",
                                             "mine\\levels\\3.doy", "mine\\levels\\10.doy",
                                             "mine\\levels\\50.doy", "mine\\replays\\1.doyplay",
                                             "mine\\scores.dat"}));
}

// The archive is replaced only by a whole new one, and the working
// directory never moves.
TEST_F(PackExportTest, FailedExportKeepsTheOldArchive) {
  const std::string cwd = plat::CurrentDir();
  Put(Pack("levels/1.doy"), "level one");
  ASSERT_TRUE(fe::ExportPack(sandbox_.Dir(), "mine"));
  EXPECT_EQ(plat::CurrentDir(), cwd);
  EXPECT_EQ(Shell("unzip -tq '" + Archive() + "' >/dev/null && echo ok"), "ok\n");
  const std::string good = Shell("cat '" + Archive() + "'");

  fs::remove(Pack("scores.dat"));
  EXPECT_FALSE(fe::ExportPack(sandbox_.Dir(), "mine"));
  EXPECT_EQ(Shell("cat '" + Archive() + "'"), good);
  EXPECT_FALSE(fs::exists(Archive() + ".part"));
  EXPECT_EQ(plat::CurrentDir(), cwd);

  // The dialog shows the failure page and posts nothing.
  int port = 0;
  const int listener = vtest::ListenOnLoopback(port);
  ::setenv("VELKOR_SITE", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
  D().UploadDialogPage = fe::kUploadRunning;
  EXPECT_TRUE(Showing(fe::kUploadFailure));
  pollfd p{listener, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 0), 0);
  ::close(listener);
}

// The whole road against the reference endpoint under PHP.
TEST_F(PackExportTest, UploadArrivesWholeAtThePhpEndpoint) {
  vtest::PhpSite site;
  if (!site.Started()) GTEST_SKIP() << "php is not installed";
  ::setenv("VELKOR_SITE", site.Address().c_str(), 1);
  Put(Pack("levels/3.doy"), std::string(28812, '\3'));
  Put(Pack("levels/1.doy"), std::string(28812, '\1'));
  Put(Pack("replays/1.doyplay"), "replay bytes");
  fe::UploadDialog.UploadFields[1] = "Ann";
  D().UploadDialogPage = fe::kUploadRunning;
  ASSERT_TRUE(Showing(fe::kUploadSuccess));

  std::string stored, name;
  for (const auto& e : fs::directory_iterator(site.StoreDir())) {
    const std::string p = e.path();
    (p.size() > 5 && p.compare(p.size() - 5, 5, ".name") == 0 ? name : stored) = p;
  }
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(Shell("cat '" + name + "'"), "Ann");
  EXPECT_NE(Shell("unzip -t '" + stored + "'").find("No errors detected"), std::string::npos);
  EXPECT_EQ(Shell("unzip -Z1 '" + stored + "'"),
            "mine\\levels\\1.doy\nmine\\levels\\3.doy\nmine\\replays\\1.doyplay\nmine\\scores.dat\n");
  EXPECT_EQ(Shell("cmp '" + stored + "' '" + Archive() + "' && echo same"), "same\n");
}

}  // namespace
