// Pack upload in the front end: the site's answer words, the web form's
// address, the upload against the reference endpoint under PHP, and the
// screenshot tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frontend/startup.h"
#include "frontend/upload.h"
#include "httpupload/http.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/system.h"
#include "support/fake_opener.h"
#include "support/net_support.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace fs = std::filesystem;

namespace {

TEST(UploadAnswer, FirstAnswerWordDecides) {
  const struct {
    std::vector<std::string> lines;
    int result;
  } cases[] = {
      {{"HTTP/1.0 200 OK", "", "SUCCESS"}, fe::kUploadOk},
      {{"OK", "TEMP"}, fe::kUploadTemp},
      {{"PERM", "SUCCESS"}, fe::kUploadPerm},
      {{"ERROR", "SUCCESS"}, fe::kUploadError},
      {{"success"}, fe::kUploadError},
      {{"SUCCESS "}, fe::kUploadError},
      {{"x", ""}, fe::kUploadError},
      {{}, fe::kUploadError},
  };
  for (const auto& c : cases) EXPECT_EQ(fe::UploadResultFromLines(c.lines), c.result);
}

TEST(UploadPageAddress, SlashesBecomeSemicolonsAndTheRestIsEncoded) {
  const http::SiteAddress site{"site.test", 80};
  const std::string base = "http://site.test/velkor/upload.php?filename=";
  const struct {
    std::string path;
    std::string query;
  } cases[] = {
      {"C:/Games/x\\Data\\Packs\\mine.zip", "C:;Games;x;Data;Packs;mine.zip"},
      {"/home/a b/Data/Packs/#1&2%+.zip", ";home;a%20b;Data;Packs;%231%262%25%2B.zip"},
      {"/g/caf\xE9\x7F~=?;.zip", ";g;caf%E9%7F~=?;.zip"},
      {"/g/tab\there.zip", ";g;tab%09here.zip"},
  };
  for (const auto& c : cases) EXPECT_EQ(fe::UploadPageAddress(site, c.path), base + c.query);
  EXPECT_EQ(fe::UploadPageAddress({"127.0.0.1", 8080}, "a"),
            "http://127.0.0.1:8080/velkor/upload.php?filename=a");
}

TEST(UploadPageAddress, OpenedThroughThePlatform) {
  vtest::ResetAllState();
  vtest::FakeUrlOpener opener;
  ::setenv("VELKOR_SITE", "site.test:8080", 1);
  plat::SetProgramDir("C:/Games/x");
  fe::UploadDialog.UploadFields[0] = "mine";
  fe::OpenUploadPage();
  EXPECT_EQ(opener.WaitForArgs(),
            "1\nhttp://site.test:8080/velkor/upload.php?filename=C:;Games;x;Data;Packs;mine.zip\n");
  ::unsetenv("VELKOR_SITE");
}

// The reference endpoint's refusals, each with its word (its SUCCESS is
// seen through the whole dialog in uploaddialog_test).
TEST(UploadToPhp, EndpointRefusals) {
  vtest::PhpSite site;
  if (!site.Started()) GTEST_SKIP() << "php is not installed";
  const http::SiteAddress addr{"127.0.0.1", site.Port()};
  const std::string zip = site.StoreDir() + ".zip", text = site.StoreDir() + ".txt";
  std::ofstream(zip, std::ios::binary) << std::string("PK\x05\x06", 4) << std::string(18, '\0');
  std::ofstream(text) << "plain text";
  EXPECT_EQ(fe::UploadPack(text, "x", addr), fe::kUploadPerm);
  EXPECT_EQ(fe::UploadPack(zip + ".missing", "x", addr), fe::kUploadError);
  http::tsendhttp nameOnly;
  nameOnly.AddField("ud_NAME", "x");
  EXPECT_EQ(fe::UploadResultFromLines(nameOnly.Post(addr.host, addr.port, "/velkor/updated.php")),
            fe::kUploadError);
  vtest::RemoveTree(site.StoreDir());
  std::ofstream(site.StoreDir()) << "in the way";  // no store: try again later
  EXPECT_EQ(fe::UploadPack(zip, "x", addr), fe::kUploadTemp);
  fs::remove(site.StoreDir());
  fs::remove(zip);
  fs::remove(text);
}

TEST(Screenshots, NextFreeNumberAndEveryLevel) {
  vtest::GameSandbox sandbox;
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
  EXPECT_EQ(fe::ScreenshotName(42), "screen042.png");
  for (int n = 1; n <= 10; ++n) std::ofstream(fe::ScreenshotName(n)) << "";
  fe::SaveScreenshot();
  EXPECT_GT(plat::FileSize("screen011.png"), 1000);
  fs::create_directory("screen012.png");  // a folder takes its number too
  for (int n = 13; n <= 999; ++n) std::ofstream(fe::ScreenshotName(n)) << "";
  fe::SaveScreenshot();
  EXPECT_EQ(plat::FileType("screen1000.png"), plat::kFileNormal);

  const std::string shots = sandbox.Path("shots");
  fs::create_directory(shots);
  plat::ChangeDir(shots);
  fe::ScreenshotAllLevels();
  for (int n = 1; n <= 50; ++n) EXPECT_GT(plat::FileSize(fe::ScreenshotName(n)), 1000) << n;
  EXPECT_EQ(plat::FileType("screen051.png"), plat::kFileNone);
  // Level 1 as the site would show it (kept for looking at).
  fs::copy_file("screen001.png", vtest::ShotPath("screenshot_level1"),
                fs::copy_options::overwrite_existing);
  plat::ChangeDir(sandbox.Dir());
}

}  // namespace
