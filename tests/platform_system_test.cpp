#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/files.h"
#include "platform/system.h"
#include "support/fake_opener.h"

namespace fs = std::filesystem;

namespace {

struct Ended {
  int code;
};

class SystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/velkor-sys-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    cwd_ = plat::CurrentDir();
    oldPath_ = getenv("PATH") ? getenv("PATH") : "";
  }
  void TearDown() override {
    plat::SetEndProgramHandler(nullptr);
    setenv("PATH", oldPath_.c_str(), 1);
    plat::ChangeDir(cwd_);
    fs::remove_all(dir_);
  }
  std::string dir_, cwd_, oldPath_;
};

TEST_F(SystemTest, EndProgramAndRuntimeErrorUseTheHandler) {
  plat::SetEndProgramHandler([](int code) { throw Ended{code}; });
  try {
    plat::EndProgram(3);
    FAIL();
  } catch (const Ended& e) {
    EXPECT_EQ(e.code, 3);
  }
  testing::internal::CaptureStderr();
  try {
    plat::RuntimeError("Stream read failed");
    FAIL();
  } catch (const Ended& e) {
    EXPECT_EQ(e.code, -1);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Stream read failed\n");
}

TEST_F(SystemTest, RuntimeErrorWithoutHandlerExits255) {
  EXPECT_EXIT(plat::RuntimeError("boom here"), testing::ExitedWithCode(255), "boom here");
}

TEST_F(SystemTest, InitProcessRecordsArgsAndProgramDir) {
  const char* args[] = {"velkor", "", "x y"};
  plat::InitProcess(3, const_cast<char**>(args));
  EXPECT_EQ(plat::ProgramArgs(), (std::vector<std::string>{"velkor", "", "x y"}));
  std::string exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(plat::ProgramDir(), fs::path(exe).parent_path().string());
  EXPECT_EQ(plat::CurrentDir(), plat::ProgramDir());
}

TEST_F(SystemTest, LoadsLibrariesFromTheProgramFolder) {
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&zlibVersion), &info), 0);
  fs::path lib = fs::canonical(info.dli_fname);
  void* h = plat::LoadLibrary(lib.string());
  ASSERT_NE(h, nullptr);
  EXPECT_NE(plat::LibrarySymbol(h, "zlibVersion"), nullptr);
  EXPECT_EQ(plat::LibrarySymbol(h, "noSuchEntryPoint"), nullptr);
  plat::FreeLibrary(h);

  plat::SetProgramDir(lib.parent_path().string());
  h = plat::LoadLibrary(lib.filename().string());
  EXPECT_NE(h, nullptr);
  plat::FreeLibrary(h);
  plat::SetProgramDir(dir_);
  EXPECT_EQ(plat::LoadLibrary("bass.dll"), nullptr);
  EXPECT_EQ(plat::LoadLibrary(dir_ + "/missing.so"), nullptr);
}

TEST_F(SystemTest, OpenURLPassesOneArgumentWithoutAShell) {
  std::string pwned;
  {
    vtest::FakeUrlOpener opener;
    pwned = opener.Dir() + "/pwned";
    const std::string url = "http://example.test/up load.php?f=\"a'b\";touch " + pwned + " $(id)";
    ASSERT_TRUE(plat::OpenURL(url));
    // The opener is no child of ours: nothing is left to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(opener.WaitForArgs(), "1\n" + url + "\n");
    EXPECT_FALSE(fs::exists(pwned));
  }
  setenv("PATH", (dir_ + "/empty").c_str(), 1);
  EXPECT_FALSE(plat::OpenURL("http://example.test/"));
}

}  // namespace
