// Pack upload's pure pieces: the site's answer words, the web form's
// address, and the screenshot tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frontend/startup.h"
#include "frontend/upload.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace fs = std::filesystem;

namespace {

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

TEST(Screenshots, NextFreeNumberAndEveryLevel) {
  vtest::GameSandbox sandbox;
  fe::StartUp();
  ASSERT_TRUE(plat::GraphicsOpen());
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
  plat::ChangeDir(sandbox.Dir());
}

}  // namespace
