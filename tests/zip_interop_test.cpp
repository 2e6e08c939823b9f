// Archives checked against tools no one here wrote: Info-ZIP's unzip,
// zipinfo and zip, Python's zipfile and, where installed, 7-Zip. Each test
// is skipped when a tool it needs is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
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

TEST_F(ZipInterop, Zip64MembersAreAllExtracted) {
  for (const char* tool : {"zip", "python3"})
    if (!Have(tool)) GTEST_SKIP() << tool << " is missing";
  // All keep the sizes in the Zip64 extra field and 0xFFFFFFFF in the local
  // header; `zip -fz` does so in the central directory too.
  Write("make.py",
        "import zipfile\n"
        "with zipfile.ZipFile('forced.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "  for n in ('a', 'b', 'c'):\n"
        "    with z.open(n, 'w', force_zip64=True) as f: f.write(b'abc')\n");
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i * 7 % 256);
  ASSERT_TRUE(plat::CreateDir("tree") && plat::CreateDir("tree/sub"));
  Write("tree/a.txt", Body(3));
  Write("tree/sub/b.dat", bytes);
  Write("tree/sub/empty", "");
  std::string out;
  ASSERT_EQ(Shell("python3 make.py && printf abc | zip -q - - > piped.zip && zip -q -fz -r forcedzip.zip tree", out), 0)
      << out;
  using Members = std::map<std::string, std::string>;  // in the list's order
  const std::pair<const char*, Members> cases[] = {
      {"forced.zip", {{"a", "abc"}, {"b", "abc"}, {"c", "abc"}}},
      {"piped.zip", {{"-", "abc"}}},
      {"forcedzip.zip",
       {{"tree/", ""}, {"tree/a.txt", Body(3)}, {"tree/sub/", ""}, {"tree/sub/b.dat", bytes}, {"tree/sub/empty", ""}}}};
  for (const auto& [archive, members] : cases) {
    zip::ZipReader r;
    ASSERT_EQ(r.openZip(archive), 1) << archive;
    ASSERT_EQ(r.getFileCount(), static_cast<int>(members.size())) << archive;
    int i = 0;
    for (const auto& [name, text] : members) {
      const zip::SZipFileEntry e = r.getFileInfo(i++);
      EXPECT_EQ(e.fullName, name) << archive;
      EXPECT_EQ(e.header.descriptor.uncompressedSize, text.size()) << name;
      EXPECT_EQ(Text(r.extractFile(name, 1, "").get()), text) << name;
    }
  }
}

TEST_F(ZipInterop, ArchivesStopAtTheClassicMemberCount) {
  if (!Have("unzip")) GTEST_SKIP() << "unzip is missing";
  const auto checked = [](const std::string& archive) {
    std::string out;
    EXPECT_EQ(Shell("unzip -tq " + archive, out), 0) << out;
    if (Have("7z")) {
      EXPECT_EQ(Shell("7z t " + archive, out), 0) << out;
    }
  };
  // Each added member's result, in order.
  const auto add = [](zip::ZipWriter& w, const std::string& prefix, int count) {
    std::vector<int> results;
    for (int i = 0; i < count; ++i) {
      plat::MemoryStream empty;
      results.push_back(w.addStream(&empty, prefix + std::to_string(i), ""));
    }
    return results;
  };
  const auto results = [](size_t written, size_t refused) {
    std::vector<int> r(written, 0);
    r.resize(written + refused, zip::kArchiveFull);
    return r;
  };
  zip::ZipWriter w;
  ASSERT_EQ(w.openZip("new.zip", 0), 1);
  EXPECT_EQ(add(w, "n", 65541), results(65535, 6));
  EXPECT_NE(w.closeZip(""), 0);
  checked("new.zip");

  ASSERT_EQ(w.openZip("appended.zip", 0), 1);
  ASSERT_EQ(add(w, "n", 65533), results(65533, 0));
  ASSERT_EQ(w.closeZip(""), 0);
  ASSERT_EQ(w.openZip("appended.zip", 1), 1);
  EXPECT_EQ(add(w, "a", 3), results(2, 1));
  EXPECT_NE(w.closeZip(""), 0);
  checked("appended.zip");

  // Full: not even opened, so nothing rewrites their directories.
  for (const char* full : {"new.zip", "appended.zip"}) {
    const std::string before = Read(full);
    EXPECT_EQ(w.openZip(full, 1), 0) << full;
    EXPECT_EQ(Read(full), before) << full;
  }
}

TEST_F(ZipInterop, LookupKeepsTheFirstOfEqualNames) {
  if (!Have("python3")) GTEST_SKIP() << "python3 is missing";
  // Names past the library's old 255-byte search limit are found too.
  const std::string longName(300, 'n');
  Write("make.py",
        "import warnings, zipfile\n"
        "warnings.simplefilter('ignore')\n"
        "with zipfile.ZipFile('dup.zip', 'w') as z:\n"
        "  for n, t in (('Dup', 'first'), ('Dup', 'second'), ('" + longName + "', 'long')):\n"
        "    z.writestr(n, t)\n");
  std::string out;
  ASSERT_EQ(Shell("python3 make.py", out), 0) << out;
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("dup.zip"), 1);
  EXPECT_EQ(Text(r.extractFile("Dup", 1, "").get()), "first");
  EXPECT_EQ(Text(r.extractFile("DUP", 0, "").get()), "first");
  EXPECT_EQ(Text(r.extractFile(longName, 1, "").get()), "long");
}

TEST_F(ZipInterop, Utf8NamesAreMarked) {
  for (const char* tool : {"unzip", "python3"})
    if (!Have(tool)) GTEST_SKIP() << tool << " is missing";
  const std::string utf8 = "Zo\xC3\xAB\\levels\\1.doy", latin1 = "Zo\xEB.doy";
  zip::ZipWriter w;
  ASSERT_EQ(w.openZip("names.zip", 0), 1);
  for (const std::string& name : {utf8, std::string("plain.doy"), latin1}) {
    plat::MemoryStream s(Bytes{'x'});
    ASSERT_EQ(w.addStream(&s, name, ""), 0);
  }
  ASSERT_EQ(w.closeZip(""), 0);
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("names.zip"), 1);
  for (const auto& [name, flags] : {std::pair{utf8, 0x800}, {"plain.doy", 0}, {latin1, 0}})
    EXPECT_EQ(r.findFile(name).value().header.flags, flags) << name;  // the local header's
  Write("check.py",
        "import zipfile\n"
        "print([(i.filename, i.flag_bits) for i in zipfile.ZipFile('names.zip').infolist()][:2])\n");
  std::string out;
  EXPECT_EQ(Shell("LC_ALL=C.UTF-8 python3 check.py", out), 0) << out;
  EXPECT_EQ(out, "[('Zo\xC3\xAB\\\\levels\\\\1.doy', 2048), ('plain.doy', 0)]\n");
  EXPECT_EQ(Shell("LC_ALL=C.UTF-8 unzip -l names.zip", out), 0) << out;
  EXPECT_NE(out.find(" " + utf8 + "\n"), std::string::npos) << out;
}

TEST_F(ZipInterop, EmptyCommentReplacesTheOldOne) {
  for (const char* tool : {"zip", "zipinfo"})
    if (!Have(tool)) GTEST_SKIP() << tool << " is missing";
  Write("one.txt", Body(1));
  std::string out;
  ASSERT_EQ(Shell("echo 'old words' | zip -q -z c.zip one.txt && zipinfo -z c.zip", out), 0) << out;
  ASSERT_NE(out.find("old words"), std::string::npos) << out;
  zip::ZipWriter w;
  ASSERT_EQ(w.openZip("c.zip", 1), 1);
  ASSERT_EQ(w.addFile("one.txt", "two.txt", ""), 0);
  ASSERT_EQ(w.closeZip(""), 0);
  EXPECT_EQ(Shell("zipinfo -z c.zip", out), 0) << out;
  EXPECT_EQ(out.find("old words"), std::string::npos) << out;
}

}  // namespace
