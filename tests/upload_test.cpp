// Pack upload in the front end: the site's answer words and the web form's
// address; the dialog driven headlessly through its pages as the options
// screen carries it (name, uploading, success or failure with the fades, the
// archive as the site receives it, the failure page's click zones, the window
// closed while an upload runs); the screenshot tools.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "frontend/dispatcher.h"
#include "frontend/menuframe.h"
#include "frontend/startup.h"
#include "frontend/upload.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "platform/system.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/resources.h"
#include "services/textfield.h"
#include "support/fake_opener.h"
#include "support/net_support.h"
#include "support/sandbox.h"
#include "support/screen_script.h"
#include "support/screenshots.h"
#include "support/wait.h"

namespace fs = std::filesystem;

namespace {

fe::UploadDialogVars& D() { return fe::Upload; }

std::string Read(const std::string& path) {
  std::vector<uint8_t> b;
  plat::LoadFileBytes(path, b);
  return std::string(b.begin(), b.end());
}

std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  char b[4096];
  for (size_t k; (k = std::fread(b, 1, sizeof b, p)) > 0;) out.append(b, k);
  return ::pclose(p) == 0 ? out : "failed: " + out;
}

void UseSite(const std::string& address) { ::setenv("VELKOR_SITE", address.c_str(), 1); }

TEST(UploadAnswer, FirstAnswerWordDecides) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"HTTP/1.0 200 OK", "", "SUCCESS"}, fe::kUploadOk},
      {{"OK", "TEMP"}, fe::kUploadTemp},
      {{"PERM", "SUCCESS"}, fe::kUploadPerm},
      {{"ERROR", "SUCCESS"}, fe::kUploadError},
      {{"success"}, fe::kUploadError},
      {{"SUCCESS "}, fe::kUploadError},
      {{}, fe::kUploadError},
  };
  for (const auto& [lines, result] : cases) EXPECT_EQ(fe::UploadResultFromLines(lines), result);
}

TEST(UploadPageAddress, SlashesBecomeSemicolonsAndTheRestIsEncoded) {
  const std::string base = "http://site.test/velkor/upload.php?filename=";
  const std::pair<std::string, std::string> cases[] = {
      {"C:/Games/x\\Data\\Packs\\mine.zip", "C:;Games;x;Data;Packs;mine.zip"},
      {"/home/a b/Data/Packs/#1&2%+.zip", ";home;a%20b;Data;Packs;%231%262%25%2B.zip"},
      {"/g/caf\xE9\x7F~=?;.zip", ";g;caf%E9%7F~=?;.zip"},
      {"/g/tab\there.zip", ";g;tab%09here.zip"},
  };
  for (const auto& [path, query] : cases)
    EXPECT_EQ(fe::UploadPageAddress({"site.test", 80}, path), base + query);
  EXPECT_EQ(fe::UploadPageAddress({"127.0.0.1", 8080}, "a"),
            "http://127.0.0.1:8080/velkor/upload.php?filename=a");
}

class UploadDialogTest : public vtest::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    fs::create_directories(Pack("levels"));
    fs::create_directories(Pack("replays"));
    Put(Pack("scores.dat"), "scores");
    fe::Game.CurrentPack = "mine";
    fe::Game.GameState = fe::kStateOptions;
    fe::EnterUploadDialog();
  }
  void TearDown() override {
    fe::ResetUploadDialog();
    ::unsetenv("VELKOR_SITE");
    ScreenTest::TearDown();
  }
  std::string Pack(const std::string& rel) { return sandbox_->Path("Data/Packs/mine/" + rel); }
  std::string Archive() { return sandbox_->Path("Data/Packs/mine.zip"); }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // The dialog's part of one options frame; the backdrop only for
  // screenshots, as it is the slow part.
  void Frame(bool backdrop = false) {
    plat::Cls();
    play::PollMouseClick();
    play::PollInput(0);
    fe::UpdateUploadDialog();
    if (backdrop) fe::TileLevelBack();
    fe::DrawUploadDialog();
    plat::Flip();
  }
  // Frames until done() holds: at most `limit` frames for what the frames do
  // by themselves; without a limit, for as long as the upload's thread or the
  // site may take on a busy machine.
  bool FramesUntil(const std::function<bool()>& done, int limit = 0) {
    const auto until = std::chrono::steady_clock::now() + vtest::kEventDeadline;
    for (int i = 0; !done(); ++i) {
      if (limit > 0 ? i >= limit : std::chrono::steady_clock::now() >= until) return false;
      Frame();
    }
    return true;
  }
  bool Showing(int page) {
    return FramesUntil([&] { return D().UploadDialogShownPage == page && D().UploadDialogFade == 2; });
  }
  void Shot(const std::string& name) {
    Frame(true);
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath(name)));
  }
  void Open(int page) {
    D().UploadDialogPage = D().UploadDialogShownPage = page;
    D().UploadDialogFade = 2;
    D().UploadDialogAlpha = 1.0f;
  }
};

// The whole road against the reference endpoint under PHP.
TEST_F(UploadDialogTest, NameUploadSuccessAndClose) {
  vtest::PhpSite site;
  if (!site.Started()) GTEST_SKIP() << "php is not installed";
  UseSite(site.Address());
  Put(Pack("levels/3.doy"), std::string(28812, '\3'));
  Put(Pack("levels/1.doy"), std::string(28812, '\1'));
  Put(Pack("replays/1.doyplay"), "replay bytes");

  fe::Button::DoAction(19);
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadName);
  Frame();
  EXPECT_EQ(D().UploadDialogFade, 1);
  ASSERT_TRUE(Showing(fe::kUploadName));
  EXPECT_FLOAT_EQ(D().UploadDialogAlpha, 1.0f);
  for (char ch : std::string("Ann Lee")) plat::test::TypeChar(ch);
  EXPECT_TRUE(FramesUntil([] { return D().UploadFields[1] == "Ann Lee"; }, 20));
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
  EXPECT_EQ(D().UploadFields[0], "mine");

  std::string stored, name;
  for (const auto& e : fs::directory_iterator(site.StoreDir()))
    (e.path().extension() == ".name" ? name : stored) = e.path();
  EXPECT_EQ(Read(name), "Ann Lee");
  EXPECT_NE(Shell("unzip -t '" + stored + "'").find("No errors detected"), std::string::npos);
  EXPECT_EQ(Shell("unzip -Z1 '" + stored + "'"),
            "mine\\levels\\1.doy\nmine\\levels\\3.doy\nmine\\replays\\1.doyplay\nmine\\scores.dat\n");
  EXPECT_EQ(Read(stored), Read(Archive()));

  plat::test::KeyTap(plat::vk::Space);
  EXPECT_TRUE(FramesUntil([] { return D().UploadDialogFade == 0 && D().UploadDialogShownPage == 0; }));
}

// A site that cannot store the pack now ("TEMP"), and no site at all.
TEST_F(UploadDialogTest, RefusedOrUnreachableShowsTheFailurePage) {
  vtest::PhpSite site;
  if (site.Started()) {
    vtest::RemoveTree(site.StoreDir());
    Put(site.StoreDir(), "in the way");
    UseSite(site.Address());
    D().UploadDialogPage = fe::kUploadRunning;
    EXPECT_TRUE(Showing(fe::kUploadFailure));
    fe::ResetUploadDialog();
  }
  const vtest::RefusingPort nobody;
  UseSite("127.0.0.1:" + std::to_string(nobody.Port()));
  D().UploadDialogPage = fe::kUploadRunning;
  ASSERT_TRUE(Showing(fe::kUploadFailure));
  Shot("upload_failure");
}

// Each byte comes long before the idle limit, but the answer never ends:
// the answer limit gives up on it, though it has said "SUCCESS".
TEST_F(UploadDialogTest, ATricklingSiteEndsOnTheFailurePage) {
  vtest::LittleServer server([](int c) {
    vtest::SendAll(c, "HTTP/1.0 200 OK\r\n\r\nSUCCESS\n");
    // Until the client hangs up; closing would end the answer whole.
    const auto until = std::chrono::steady_clock::now() + 2 * vtest::kEventDeadline;
    while (::send(c, "x", 1, MSG_NOSIGNAL) == 1 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  });
  UseSite("127.0.0.1:" + std::to_string(server.Port()));
  fe::UploadLimits.idleMs = 20000;  // far above the trickle's pauses, however busy the machine
  fe::UploadLimits.answerMs = 500;
  D().UploadDialogPage = fe::kUploadRunning;
  EXPECT_TRUE(Showing(fe::kUploadFailure));
}

TEST_F(UploadDialogTest, FailurePageClickZones) {
  UseSite("site.test");
  plat::SetProgramDir("C:/Games/x");
  D().UploadFields[0] = "mine";
  const struct {
    int x, y, page;
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
    vtest::Click(c.x, c.y);
    Frame();
    EXPECT_EQ(D().UploadDialogPage, c.page) << c.x << "," << c.y;
    if (c.browser) {
      EXPECT_EQ(opener.WaitForArgs(),
                "1\nhttp://site.test/velkor/upload.php?filename=C:;Games;x;Data;Packs;mine.zip\n");
    }
  }
  plat::SetProgramDir(sandbox_->Dir());
  Open(fe::kUploadFailure);
  plat::test::KeyTap(plat::vk::Space);
  Frame();
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadNone);
}

TEST_F(UploadDialogTest, UploadButtonAndTheNamePage) {
  for (const char* pack : {"base", "BASE", "Base"}) {
    fe::Game.CurrentPack = pack;
    fe::Button::DoAction(19);
    EXPECT_EQ(D().UploadDialogPage, fe::kUploadNone) << pack;
  }
  fe::Game.CurrentPack = "mine";
  plat::test::TypeChar('q');  // typed before the page opened: not part of the name
  fe::Button::DoAction(19);
  ASSERT_TRUE(Showing(fe::kUploadName));
  plat::test::KeyTap(plat::vk::Space);
  Frame();
  Frame();
  EXPECT_EQ(fe::Res.UploaderNameInput->text, " ");
  EXPECT_EQ(D().UploadDialogPage, fe::kUploadName);
}

// The window keeps its frames while the site is silent, and closing it
// leaves through the quit state without waiting for the site.
TEST_F(UploadDialogTest, WindowLivesAndClosesDuringAnUpload) {
  vtest::LittleServer server([](int c) {
    char b[4096];
    while (::recv(c, b, sizeof b, 0) > 0) {
    }
  });
  UseSite("127.0.0.1:" + std::to_string(server.Port()));
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
  EXPECT_TRUE(fe::UploadDialogClosed());
  fe::DispatcherPass();
  EXPECT_EQ(fe::Game.QuitRequested, 99);
}

// The archive is replaced only by a whole new one, the working directory
// never moves, and a failed export posts nothing.
TEST_F(UploadDialogTest, FailedExportKeepsTheOldArchive) {
  const std::string cwd = plat::CurrentDir();
  Put(Pack("levels/1.doy"), "level one");
  ASSERT_TRUE(fe::ExportPack(sandbox_->Dir(), "mine"));
  EXPECT_EQ(Shell("unzip -tq '" + Archive() + "' >/dev/null && echo ok"), "ok\n");
  const std::string good = Read(Archive());
  fs::remove(Pack("scores.dat"));
  EXPECT_FALSE(fe::ExportPack(sandbox_->Dir(), "mine"));
  EXPECT_EQ(Read(Archive()), good);
  EXPECT_FALSE(fs::exists(Archive() + ".part"));
  EXPECT_FALSE(fe::ExportPack(sandbox_->Dir(), "../Packs/mine"));  // names stay inside the packs folder
  EXPECT_EQ(plat::CurrentDir(), cwd);

  int port = 0;
  const int listener = vtest::ListenOnLoopback(port);
  UseSite("127.0.0.1:" + std::to_string(port));
  D().UploadDialogPage = fe::kUploadRunning;
  EXPECT_TRUE(Showing(fe::kUploadFailure));
  pollfd p{listener, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 0), 0);
  ::close(listener);
}

// The temporary file that process `owner` is saving in dir, once it holds
// at least `size` bytes; "" while there is none.
std::string SaveTempOf(const std::string& dir, pid_t owner, uint64_t size) {
  const std::string prefix = ".save" + std::to_string(owner) + "_";
  for (const std::string& name : plat::ReadDir(dir)) {
    std::error_code ec;
    if (name.starts_with(prefix) && fs::file_size(dir + "/" + name, ec) >= size && !ec) return name;
  }
  return "";
}

// Killed mid-export again and again, each time further into it, the pack
// keeps its whole archive, and the next start leaves no temporary behind
// (nor one of an earlier version); two exports at once both finish.
TEST_F(UploadDialogTest, KilledOrConcurrentExportsKeepAWholeArchive) {
  for (int n = 0; n <= 50; ++n) {
    std::string level(28812, '\0');
    for (size_t i = 0; i < level.size(); ++i) level[i] = static_cast<char>((i * 2654435761u + n) >> 13);
    Put(Pack("levels/" + std::to_string(n) + ".doy"), level);
  }
  ASSERT_TRUE(fe::ExportPack(sandbox_->Dir(), "mine"));
  const std::string whole = Read(Archive());
  Put(Archive() + ".part", "left by an earlier version");
  const std::string packs = sandbox_->Path("Data/Packs");
  constexpr int kRounds = 24;
  for (int round = 0; round < kRounds; ++round) {
    const pid_t child = ::fork();
    if (child == 0) {
      for (;;) fe::ExportPack(sandbox_->Dir(), "mine");
    }
    // The kill lands while the child is stopped with its temporary in place
    // and holding this round's share of the archive: mid-export.
    const uint64_t share = whole.size() * round / kRounds;
    std::string temp;
    const bool caught = vtest::WaitUntil([&] {
      if (SaveTempOf(packs, child, share).empty()) return false;
      ::kill(child, SIGSTOP);
      ::waitpid(child, nullptr, WUNTRACED);
      temp = SaveTempOf(packs, child, share);
      if (temp.empty()) ::kill(child, SIGCONT);
      return !temp.empty();
    });
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(caught) << "round " << round << ": no export reached " << share << " bytes";
    EXPECT_TRUE(fs::exists(packs + "/" + temp)) << round;
    ASSERT_EQ(Read(Archive()), whole) << round;
  }
  fe::RemoveLeftoverSaves();
  EXPECT_EQ(plat::ReadDir(packs), (std::vector<std::string>{"base", "mine", "mine.zip"}));

  std::atomic<int> done{0};
  std::thread other([&] {
    for (int i = 0; i < 8; ++i) done += fe::ExportPack(sandbox_->Dir(), "mine");
  });
  for (int i = 0; i < 8; ++i) done += fe::ExportPack(sandbox_->Dir(), "mine");
  other.join();
  EXPECT_EQ(done, 16);
  EXPECT_EQ(Read(Archive()), whole);
}

// Only the pack's own files go in: a link, to a file or to a folder, stays out.
TEST_F(UploadDialogTest, ExportSkipsSymbolicLinks) {
  const std::string elsewhere = sandbox_->Path("elsewhere");
  fs::create_directories(elsewhere);
  Put(elsewhere + "/0.doyplay", "not the pack's");
  Put(Pack("levels/1.doy"), "one");
  fs::create_symlink("/etc/passwd", Pack("levels/2.doy"));
  fs::remove_all(Pack("replays"));
  fs::create_directory_symlink(elsewhere, Pack("replays"));
  const auto names = [&] {
    std::string out;
    for (const fe::PackMember& m : fe::PackMembers(sandbox_->Dir(), "mine")) out += m.memberName + " ";
    return out;
  };
  EXPECT_EQ(names(), "mine\\levels\\1.doy mine\\scores.dat ");
  fs::rename(Pack("scores.dat"), elsewhere + "/scores.dat");
  fs::create_symlink(elsewhere + "/scores.dat", Pack("scores.dat"));
  EXPECT_EQ(names(), "mine\\levels\\1.doy ");
}

TEST_F(UploadDialogTest, ScreenshotsTakeTheNextFreeNumber) {
  fe::Game.CurrentPack = "base";
  for (int n = 1; n <= 10; ++n) std::ofstream(fe::ScreenshotName(n)) << "";
  fe::SaveScreenshot();
  EXPECT_GT(plat::FileSize("screen011.png"), 1000);
  fs::create_directory("screen012.png");  // a folder takes its number too
  for (int n = 13; n <= 999; ++n) std::ofstream(fe::ScreenshotName(n)) << "";
  fe::SaveScreenshot();
  EXPECT_EQ(plat::FileType("screen1000.png"), plat::kFileNormal);

  fs::create_directory("shots");
  plat::ChangeDir("shots");
  fe::ScreenshotAllLevels();
  for (int n = 1; n <= 50; ++n) EXPECT_GT(plat::FileSize(fe::ScreenshotName(n)), 1000) << n;
  EXPECT_EQ(plat::FileType("screen051.png"), plat::kFileNone);
  fs::copy_file("screen001.png", vtest::ShotPath("screenshot_level1"),
                fs::copy_options::overwrite_existing);
  plat::ChangeDir(sandbox_->Dir());
}

}  // namespace
