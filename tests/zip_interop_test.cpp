// Archives checked against tools no one here wrote: Info-ZIP's unzip,
// zipinfo and zip, and Python's zipfile. Each test is skipped when its tool
// is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/tempdir_test.h"
#include "zip/zipfile.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Have(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its exit code, with stdout and stderr in `out`.
int Shell(const std::string& command, std::string& out) {
  out.clear();
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return -1;
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  const int status = pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ZipInterop : public vtest::InTempDir {
 protected:
  static std::string Body(int n) { return "level " + std::to_string(n) + std::string(n * 7, 'a' + n % 26); }
};

TEST_F(ZipInterop, ToolsAcceptOurArchives) {
  for (const char* tool : {"unzip", "zipinfo", "python3"})
    if (!Have(tool)) GTEST_SKIP() << tool << " is missing";
  // A pack as the export makes it, with empty, many and password members,
  // and one member added to the finished archive afterwards.
  zip::ZipWriter w;
  ASSERT_EQ(w.openZip("mine.zip", 0), 1);
  for (int n = 0; n <= 50; ++n) {
    const std::string body = Body(n);
    plat::MemoryStream s(Bytes(body.begin(), body.end()));
    ASSERT_EQ(w.addStream(&s, "mine\\levels\\" + std::to_string(n) + ".doy", ""), 0);
  }
  plat::MemoryStream empty, secret(Bytes{'k', 'e', 'y'});
  ASSERT_EQ(w.addStream(&empty, "mine\\scores.dat", ""), 0);
  ASSERT_EQ(w.addStream(&secret, "secret.txt", "Open Sesame"), 0);
  ASSERT_EQ(w.closeZip(""), 0);
  Write("late", "added later");
  ASSERT_EQ(w.openZip("mine.zip", 1), 1);
  ASSERT_EQ(w.addFile("late", ""), 0);
  ASSERT_EQ(w.closeZip(""), 0);

  std::string out;
  EXPECT_EQ(Shell("unzip -t -P 'Open Sesame' mine.zip", out), 0) << out;
  EXPECT_NE(out.find("No errors detected in compressed data of mine.zip."), std::string::npos) << out;
  EXPECT_EQ(Shell("zipinfo -1 mine.zip", out), 0) << out;
  EXPECT_NE(out.find("mine\\levels\\50.doy\n"), std::string::npos) << out;
  Write("check.py",
        "import zipfile\n"
        "z = zipfile.ZipFile('mine.zip'); z.setpassword(b'Open Sesame')\n"
        "assert z.testzip() is None\n"
        "print(len(z.namelist()), z.read('secret.txt').decode(), z.read(r'mine\\levels\\7.doy').decode())\n");
  EXPECT_EQ(Shell("python3 check.py", out), 0) << out;
  EXPECT_EQ(out, "54 key " + Body(7) + "\n");
}

TEST_F(ZipInterop, WeReadArchivesOfOtherTools) {
  for (const char* tool : {"zip", "python3"})
    if (!Have(tool)) GTEST_SKIP() << tool << " is missing";
  Write("one.txt", Body(1));
  Write("two.dat", "");
  std::string out;
  ASSERT_EQ(Shell("zip -q deflated.zip one.txt two.dat && zip -q -0 stored.zip one.txt two.dat && "
                "zip -q -e -P pw encrypted.zip one.txt two.dat",
                out),
            0)
      << out;
  // Python writing to a stream it cannot seek: sizes follow each member's data.
  Write("make.py",
        "import zipfile\n"
        "class Pipe:\n"
        "  def __init__(s, f): s.f = f\n"
        "  def write(s, b): return s.f.write(b)\n"
        "  def flush(s): s.f.flush()\n"
        "with zipfile.ZipFile(Pipe(open('streamed.zip', 'wb')), 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "  z.writestr('one.txt', open('one.txt').read()); z.writestr('two.dat', '')\n"
        "zipfile.ZipFile('empty.zip', 'w').close()\n");
  ASSERT_EQ(Shell("python3 make.py", out), 0) << out;
  struct Case {
    const char* archive;
    const char* password;
  } cases[] = {{"deflated.zip", ""}, {"stored.zip", ""}, {"encrypted.zip", "pw"}, {"streamed.zip", ""}};
  for (const Case& c : cases) {
    zip::ZipReader r;
    ASSERT_EQ(r.openZip(c.archive), 1) << c.archive;
    ASSERT_EQ(r.getFileCount(), 2) << c.archive;
    EXPECT_EQ(r.getFileInfo(1).fullName, "two.dat");
    EXPECT_EQ(Text(r.extractFile("one.txt", 1, c.password).get()), Body(1)) << c.archive;
    EXPECT_EQ(Text(r.extractFile("two.dat", 1, c.password).get()), "") << c.archive;
  }
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("encrypted.zip"), 1);
  EXPECT_EQ(r.extractFile("one.txt", 1, "wrong"), nullptr);
  ASSERT_EQ(r.openZip("empty.zip"), 1);
  EXPECT_EQ(r.getFileCount(), 0);
  for (const char* notArchive : {"one.txt", "two.dat", "missing.zip"}) EXPECT_EQ(r.openZip(notArchive), 0);
}

}  // namespace
