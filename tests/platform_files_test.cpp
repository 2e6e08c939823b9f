#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/wait.h>

#include "platform/bank.h"
#include "platform/files.h"
#include "platform/packpath.h"
#include "support/unprivileged.h"

namespace fs = std::filesystem;
using plat::ResolvePath;

namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/velkor-files-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string P(const std::string& rel) const { return dir_ + "/" + rel; }
  void Put(const std::string& rel, const std::string& text) const {
    fs::create_directories(fs::path(P(rel)).parent_path());
    std::ofstream(P(rel), std::ios::binary) << text;
  }
  std::string Get(const std::string& rel) const {
    std::vector<uint8_t> b;
    EXPECT_TRUE(plat::LoadFileBytes(P(rel), b));
    return std::string(b.begin(), b.end());
  }

  std::string dir_;
};

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST_F(FilesTest, ResolvesCaseBackslashesAndNewComponents) {
  Put("GFX/Menu/Title.png", "x");
  EXPECT_EQ(ResolvePath(dir_ + "/gfx\\menu\\title.PNG"), P("GFX/Menu/Title.png"));
  EXPECT_EQ(ResolvePath(dir_ + "\\Gfx\\MENU\\"), P("GFX/Menu/"));
  // Missing components keep their spelling, so new things are made as spelled.
  EXPECT_EQ(ResolvePath(dir_ + "/gfx/NewDir/Sub.TXT"), P("GFX/NewDir/Sub.TXT"));
  EXPECT_EQ(ResolvePath(dir_ + "/gfx/menu/title.png/x"), P("GFX/Menu/Title.png/x"));

  // Relative paths start from the current directory and stay relative.
  std::string cwd = plat::CurrentDir();
  ASSERT_TRUE(plat::ChangeDir(dir_ + "/gfx"));
  EXPECT_EQ(plat::CurrentDir(), P("GFX"));
  EXPECT_EQ(ResolvePath("menu\\TITLE.png"), "Menu/Title.png");
  ASSERT_TRUE(plat::ChangeDir(cwd));
}

TEST_F(FilesTest, PrefersExactCaseThenFirstSorted) {
  fs::create_directories(P("data/packs"));
  fs::create_directories(P("Data/Packs"));
  EXPECT_EQ(ResolvePath(dir_ + "/data/packs"), P("data/packs"));
  EXPECT_EQ(ResolvePath(dir_ + "/Data/Packs"), P("Data/Packs"));
  EXPECT_EQ(ResolvePath(dir_ + "/DATA/PACKS"), P("Data/Packs"));
  EXPECT_EQ(ResolvePath(dir_ + "/data/PACKS"), P("data/packs"));
}

TEST_F(FilesTest, FileOperationsGoThroughTheResolver) {
  Put("Data/Packs/base/Levels/1.doy", "abcd");
  EXPECT_EQ(plat::FileType(dir_ + "/data/packs/BASE/levels/1.DOY"), plat::kFileNormal);
  EXPECT_EQ(plat::FileType(dir_ + "/data\\packs"), plat::kFileDir);
  EXPECT_EQ(plat::FileType(dir_ + "/data/none"), plat::kFileNone);
  EXPECT_EQ(plat::FileSize(dir_ + "/data/packs/base/levels/1.doy"), 4);
  EXPECT_EQ(plat::FileSize(dir_ + "/nothing"), -1);

  // CreateDir makes no parents; the new name keeps its spelling.
  EXPECT_FALSE(plat::CreateDir(dir_ + "/data/packs/new/levels"));
  EXPECT_TRUE(plat::CreateDir(dir_ + "/data/packs/New"));
  EXPECT_TRUE(plat::CreateDir(dir_ + "/data/packs/new/levels"));
  EXPECT_TRUE(fs::is_directory(P("Data/Packs/New/levels")));

  auto w = plat::WriteFile(dir_ + "/DATA/packs/new/LEVELS/2.doy");
  ASSERT_TRUE(w);
  w->WriteInt(7);
  w->Close();
  EXPECT_EQ(fs::file_size(P("Data/Packs/New/levels/2.doy")), 4u);
  EXPECT_TRUE(plat::DeleteFile(dir_ + "/data/packs/NEW/levels/2.DOY"));
  EXPECT_FALSE(plat::DeleteFile(dir_ + "/data/packs/NEW/levels/2.DOY"));

  Put("d/b", "");
  Put("d/a", "");
  Put("d/C", "");
  fs::create_directories(P("d/a2"));
  EXPECT_EQ(plat::ReadDir(dir_ + "/D"), (std::vector<std::string>{"C", "a", "a2", "b"}));
  EXPECT_TRUE(plat::ReadDir(dir_ + "/missing").empty());
}

TEST_F(FilesTest, IncbinFiles) {
  static const uint8_t data[] = {5, 0, 0, 0, 'h', 'i'};
  plat::RegisterIncbin("test-1.doy", data, sizeof data);
  EXPECT_TRUE(plat::IncbinExists("test-1.doy"));
  auto s = plat::ReadFile("incbin::test-1.doy");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Size(), 6);
  EXPECT_EQ(s->ReadInt(), 5);
  EXPECT_EQ(s->ReadLine(), "hi");
  EXPECT_EQ(s->Write("x", 1), 0u);  // read-only
  EXPECT_EQ(plat::ReadFile("incbin::missing.doy"), nullptr);
  EXPECT_EQ(plat::WriteFile("incbin::test-1.doy"), nullptr);
  EXPECT_EQ(plat::OpenFile("incbin::test-1.doy", true, true), nullptr);
  std::vector<uint8_t> all;
  EXPECT_TRUE(plat::LoadFileBytes("incbin::test-1.doy", all));
  EXPECT_EQ(all.size(), 6u);
}

TEST(StreamTest, ReadsPastTheEndGiveZerosAndEmptyLines) {
  plat::MemoryStream s({0x01, 0x02, 0x03}, true, false);
  EXPECT_EQ(s.ReadInt(), 0x030201);  // missing high byte reads as 0
  EXPECT_TRUE(s.Eof());
  EXPECT_EQ(s.ReadInt(), 0);
  EXPECT_EQ(s.ReadShort(), 0);
  EXPECT_EQ(s.ReadLong(), 0);
  EXPECT_EQ(s.ReadFloat(), 0.0f);
  EXPECT_EQ(s.ReadByte(), 0);
  EXPECT_EQ(s.ReadLine(), "");
  EXPECT_EQ(s.ReadString(4), "");
  uint8_t buf[4];
  EXPECT_EQ(s.Read(buf, 4), 0u);
  EXPECT_EQ(s.Seek(99), 3);
  EXPECT_EQ(s.Seek(-5), 0);
}

TEST(StreamTest, LineRules) {
  const char text[] = "ab\r\ncd\nx\ry\n\0ef\nlast";
  plat::MemoryStream s(std::vector<uint8_t>(text, text + sizeof text - 1));
  EXPECT_EQ(s.ReadLine(), "ab");
  EXPECT_EQ(s.ReadLine(), "cd");
  EXPECT_EQ(s.ReadLine(), "xy");
  EXPECT_EQ(s.ReadLine(), "");  // the 0 byte ends a line
  EXPECT_EQ(s.ReadLine(), "ef");
  EXPECT_EQ(s.ReadLine(), "last");
  EXPECT_TRUE(s.Eof());
  EXPECT_EQ(s.ReadLine(), "");
}

TEST_F(FilesTest, CappedLinesKeepTheirStartAndSkipTheRest) {
  Put("lines.txt", "abcdefghij\r\nxy\r\n" + std::string(3 << 20, 'z'));
  for (bool memory : {false, true}) {
    std::vector<uint8_t> all;
    ASSERT_TRUE(plat::LoadFileBytes(P("lines.txt"), all));
    plat::StreamPtr s = memory ? std::make_unique<plat::MemoryStream>(all) : plat::ReadFile(P("lines.txt"));
    EXPECT_EQ(s->ReadLine(4), "abcd");
    EXPECT_EQ(s->ReadLine(4), "xy");
    EXPECT_EQ(s->ReadLine(4), "zzzz");
    EXPECT_TRUE(s->Eof());
    EXPECT_FALSE(s->Failed());
  }
}

TEST_F(FilesTest, MissingIsToldFromUnreadable) {
  Put("here.dat", "abc");
  fs::create_directories(P("adir"));
  plat::OpenStatus st;
  EXPECT_TRUE(plat::ReadFile(P("here.dat"), st));
  EXPECT_EQ(st, plat::OpenStatus::kOpened);
  for (const char* missing : {"none.dat", "none/x.dat", "here.dat/x"}) {
    EXPECT_FALSE(plat::ReadFile(P(missing), st));
    EXPECT_EQ(st, plat::OpenStatus::kMissing) << missing;
  }
  EXPECT_FALSE(plat::ReadFile(P("adir"), st));
  EXPECT_EQ(st, plat::OpenStatus::kUnreadable);
  std::vector<uint8_t> b;
  EXPECT_EQ(plat::ReadFileBytes(P("here.dat"), b, 2), plat::OpenStatus::kUnreadable);  // too big

  // An injected I/O error: unreadable, and never replaced by a save.
  plat::SetReadFaultForTests("here.dat");
  EXPECT_FALSE(plat::ReadFile(P("here.dat"), st));
  EXPECT_EQ(st, plat::OpenStatus::kUnreadable);
  EXPECT_EQ(plat::ReadFileBytes(P("here.dat"), b), plat::OpenStatus::kUnreadable);
  EXPECT_FALSE(plat::SaveFileSafely(P("here.dat"), Bytes("new")));
  plat::SetReadFaultForTests("");
  EXPECT_EQ(Get("here.dat"), "abc");
}

// Leftovers of saves cut short by a kill go at the next start; those of a
// process still saving stay.
TEST_F(FilesTest, StaleSaveTemporariesAreRemoved) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  const std::string live = std::to_string(getppid());
  const std::string gone = std::to_string(dead), self = std::to_string(getpid());
  for (const std::string& name : std::vector<std::string>{".save" + gone + "_3.tmp", ".save" + self + "_0.tmp",
                                  ".save" + live + "_1.tmp", ".save" + live + "_2.tmp",
                                  ".savex_1.tmp", ".save1_1.tmp.keep", "scores.dat"})
    Put("d/" + name, "x");
  const std::string oldFile = P("d/.save" + live + "_2.tmp");
  const fs::file_time_type twoHoursAgo = fs::last_write_time(oldFile) - std::chrono::hours(2);
  fs::last_write_time(oldFile, twoHoursAgo);
  EXPECT_EQ(plat::RemoveStaleSaveTemps(P("D")), 3);
  std::vector<std::string> kept = {".save" + live + "_1.tmp", ".save1_1.tmp.keep", ".savex_1.tmp",
                                   "scores.dat"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(plat::ReadDir(P("d")), kept);
}

TEST(PackPathTest, NamesThatWouldLeaveThePacksFolderAreRefused) {
  for (const char* good : {"base", "My Pack", "a.b", "..x", "x..", "ÆØÅ"}) {
    EXPECT_TRUE(plat::IsSafePackName(good)) << good;
    EXPECT_EQ(plat::PackPath(good, "/scores.dat"), std::string("data/packs/") + good + "/scores.dat");
  }
  for (const char* bad : {"", ".", "..", "../x", "a/b", "..\\x", "a\\b", "/abs", "tab\there", "x\x7f"}) {
    EXPECT_FALSE(plat::IsSafePackName(bad)) << bad;
    EXPECT_EQ(plat::PackPath(bad, "/Levels/1.doy"), "") << bad;
  }
}

TEST_F(FilesTest, WritesAreByteExact) {
  auto w = plat::WriteFile(P("out.bin"));
  ASSERT_TRUE(w);
  w->WriteLine(std::string("h\xE9", 2));
  w->WriteByte(0x1FF);
  w->WriteShort(-2);
  w->WriteInt(0x01020304);
  w->WriteLong(-1);
  w->WriteFloat(1.0f);
  w->WriteString("z");
  EXPECT_EQ(w->Size(), 4 + 1 + 2 + 4 + 8 + 4 + 1);
  w.reset();
  const std::string want = std::string("h\xE9\r\n\xFF\xFE\xFF\x04\x03\x02\x01", 11) +
                           std::string(8, '\xFF') + std::string("\x00\x00\x80\x3F", 4) + "z";
  EXPECT_EQ(Get("out.bin"), want);

  auto r = plat::ReadFile(P("OUT.bin"));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->ReadLine(), std::string("h\xE9", 2));
  EXPECT_EQ(r->ReadByte(), 0xFF);
  EXPECT_EQ(r->ReadShort(), -2);
  EXPECT_EQ(r->ReadInt(), 0x01020304);
  EXPECT_EQ(r->ReadLong(), -1);
  EXPECT_EQ(r->ReadFloat(), 1.0f);
  EXPECT_FALSE(r->Eof());
  EXPECT_EQ(r->ReadString(5), "z");
  EXPECT_TRUE(r->Eof());
  EXPECT_EQ(r->ReadInt(), 0);
}

TEST_F(FilesTest, ReadWriteFileStream) {
  Put("rw.bin", "abcdef");
  EXPECT_EQ(plat::OpenFile(P("missing.bin"), true, true), nullptr);
  EXPECT_EQ(plat::ReadFile(dir_), nullptr);  // a directory is no file
  auto s = plat::OpenFile(P("RW.bin"), true, true);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->ReadString(2), "ab");
  s->WriteString("XY");  // switching direction mid-file
  EXPECT_EQ(s->ReadString(1), "e");
  EXPECT_EQ(s->Pos(), 5);
  s->WriteString("FGH");
  EXPECT_EQ(s->Size(), 8);
  EXPECT_EQ(s->Seek(1), 1);
  EXPECT_EQ(s->ReadString(100), "bXYeFGH");
  EXPECT_TRUE(s->Eof());
  s->Close();
  EXPECT_EQ(s->Read(nullptr, 0), 0u);
  EXPECT_EQ(Get("rw.bin"), "abXYeFGH");
}

TEST_F(FilesTest, LoadFileBytesLimits) {
  Put("big.bin", std::string(100, 'x'));
  std::vector<uint8_t> b = {1};
  EXPECT_FALSE(plat::LoadFileBytes(P("big.bin"), b, 50));
  EXPECT_TRUE(b.empty());
  EXPECT_TRUE(plat::LoadFileBytes(P("big.bin"), b, 100));
  EXPECT_EQ(b.size(), 100u);
  EXPECT_FALSE(plat::LoadFileBytes(P("none.bin"), b));
}

TEST_F(FilesTest, SaveFileSafely) {
  auto names = [&] { return plat::ReadDir(dir_); };
  ASSERT_TRUE(plat::SaveFileSafely(P("s.dat"), Bytes("one")));
  EXPECT_EQ(Get("s.dat"), "one");
  ::chmod(P("s.dat").c_str(), 0640);
  struct stat before, after;
  ASSERT_EQ(::stat(P("s.dat").c_str(), &before), 0);

  // Same bytes: nothing is written, the file stays the same inode.
  ASSERT_TRUE(plat::SaveFileSafely(P("S.DAT"), Bytes("one")));
  ASSERT_EQ(::stat(P("s.dat").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);

  // Without skipIfSame, or with new bytes, the file is replaced (new inode).
  ASSERT_TRUE(plat::SaveFileSafely(P("s.dat"), Bytes("one"), false));
  ASSERT_EQ(::stat(P("s.dat").c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  ASSERT_TRUE(plat::SaveFileSafely(P("s.dat"), Bytes("two!")));
  EXPECT_EQ(Get("s.dat"), "two!");

  // Failure at any step leaves the old file and no temporary behind, and
  // says why in the system's words as they read inside a sentence.
  std::string why;
  for (int step = 1; step <= 3; ++step) {
    plat::SetSafeSaveFaultForTests(step);
    EXPECT_FALSE(plat::SaveFileSafely(P("s.dat"), Bytes("three"), true, &why)) << step;
    EXPECT_EQ(why, "input/output error") << step;
    EXPECT_EQ(Get("s.dat"), "two!") << step;
    EXPECT_EQ(names(), std::vector<std::string>{"s.dat"}) << step;
  }
  EXPECT_FALSE(plat::SaveFileSafely(P("nodir/s.dat"), Bytes("x"), true, &why));
  EXPECT_EQ(why, "no such file or directory");
  fs::create_directories(P("adir"));
  EXPECT_FALSE(plat::SaveFileSafely(P("adir"), Bytes("x"), true, &why));
  EXPECT_EQ(why, "is a directory");
  EXPECT_TRUE(plat::SaveFileSafely(P("s.dat"), Bytes("two!"), true, &why));
  EXPECT_EQ(why, "");
  EXPECT_TRUE(fs::is_directory(P("adir")));
  EXPECT_EQ(names(), (std::vector<std::string>{"adir", "s.dat"}));

  // A link is followed: the file it names is replaced, the link stays.
  ASSERT_EQ(::symlink("s.dat", P("link.dat").c_str()), 0);
  ASSERT_TRUE(plat::SaveFileSafely(P("link.dat"), Bytes("via link")));
  EXPECT_TRUE(fs::is_symlink(P("link.dat")));
  EXPECT_EQ(Get("s.dat"), "via link");

  if (geteuid() != 0) {  // root writes into any folder
    fs::create_directories(P("ro"));
    Put("ro/f.dat", "old");
    ::chmod(P("ro").c_str(), 0555);
    EXPECT_FALSE(plat::SaveFileSafely(P("ro/f.dat"), Bytes("new")));
    EXPECT_EQ(Get("ro/f.dat"), "old");
    ::chmod(P("ro").c_str(), 0755);
  }
}

// Bytes made a piece at a time: a file that already holds them is left
// alone, whatever the pieces, and any other is replaced; a maker that fails
// or throws leaves the old file and no temporary.
TEST_F(FilesTest, SaveFileSafelyFromPieces) {
  const struct {
    const char* old;  // nullptr: no file
    std::vector<std::string> pieces;
    bool throws, saved, sameFile;
    const char* after;
  } cases[] = {
      {"abcdef", {"abc", "", "def"}, false, true, true, "abcdef"},
      {"abcdef", {"abc", "de"}, false, true, false, "abcde"},
      {"abcdef", {"abc", "defg"}, false, true, false, "abcdefg"},
      {"abcdef", {"abX", "def"}, false, true, false, "abXdef"},
      {"", {}, false, true, true, ""},
      {"", {"a"}, false, true, false, "a"},
      {nullptr, {"new", std::string(100000, 'x')}, false, true, false, nullptr},
      {"old", {"new", "!"}, true, false, true, "old"},
  };
  for (const auto& c : cases) {
    fs::remove(P("f.dat"));
    if (c.old) Put("f.dat", c.old);
    struct stat before {}, after {};
    ::stat(P("f.dat").c_str(), &before);
    const auto produce = [&](const plat::ByteSink& sink) {
      for (const std::string& piece : c.pieces) {
        if (!sink(piece.data(), piece.size())) return false;
        if (c.throws) throw std::bad_alloc();
      }
      return true;
    };
    std::string expected = c.after ? c.after : "";
    if (!c.after)
      for (const std::string& piece : c.pieces) expected += piece;
    bool saved = false;
    try {
      saved = plat::SaveFileSafelyFrom(P("f.dat"), produce);
    } catch (const std::bad_alloc&) {
    }
    EXPECT_EQ(saved, c.saved) << expected;
    EXPECT_EQ(Get("f.dat"), expected);
    ASSERT_EQ(::stat(P("f.dat").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile) << expected;
    EXPECT_EQ(plat::ReadDir(dir_), std::vector<std::string>{"f.dat"}) << expected;  // no temporaries
  }
  // A maker that gives up fails the save, as does one step of it failing.
  const auto halfway = [](const plat::ByteSink& sink) { return sink("x", 1) && false; };
  EXPECT_FALSE(plat::SaveFileSafelyFrom(P("f.dat"), halfway));
  plat::SetSafeSaveFaultForTests(2);
  EXPECT_FALSE(plat::SaveFileSafelyFrom(P("f.dat"), [](const plat::ByteSink& sink) { return sink("y", 1); }));
  EXPECT_EQ(Get("f.dat"), "old");
  EXPECT_EQ(plat::ReadDir(dir_), std::vector<std::string>{"f.dat"});
}

// A file the user made read-only is never replaced, whoever writes it and
// even with the bytes it holds; one that may be written is.
TEST_F(FilesTest, ReadOnlyFilesAreNeverReplaced) {
  Put("ro.dat", "old");
  Put("rw.dat", "old");
  ::chmod(P("ro.dat").c_str(), 0444);
  vtest::GiveToOrdinaryUser(dir_);
  const auto writeVia = [](const std::string& temp) {
    std::ofstream(temp) << "via";
    return true;
  };
  const struct {
    const char* name;
    std::function<bool(const std::string&)> save;
    int saved;
    const char* after;
  } cases[] = {
      {"ro.dat", [](const std::string& p) { return plat::SaveFileSafely(p, Bytes("new")); }, 0, "old"},
      {"ro.dat", [](const std::string& p) { return plat::SaveFileSafely(p, Bytes("old")); }, 0, "old"},
      {"ro.dat", [&](const std::string& p) { return plat::SaveFileSafelyWith(p, writeVia); }, 0, "old"},
      {"rw.dat", [](const std::string& p) { return plat::SaveFileSafely(p, Bytes("new")); }, 1, "new"},
      {"rw.dat", [&](const std::string& p) { return plat::SaveFileSafelyWith(p, writeVia); }, 1, "via"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vtest::AsOrdinaryUser([&] { return c.save(P(c.name)); }), c.saved) << c.name;
    EXPECT_EQ(Get(c.name), c.after) << c.name;
  }
  EXPECT_EQ(plat::ReadDir(dir_), (std::vector<std::string>{"ro.dat", "rw.dat"}));  // no temporaries
}

TEST(BankTest, LittleEndianAccessAndBounds) {
  plat::Bank b(8);
  b.PokeInt(0, 0x11223344);
  b.PokeShort(4, 0xABCD);
  b.PokeByte(6, 0x1FE);
  EXPECT_EQ(b.PeekByte(0), 0x44);
  EXPECT_EQ(b.PeekShort(4), 0xABCD);
  EXPECT_EQ(b.PeekByte(6), 0xFE);
  EXPECT_EQ(b.PeekLong(0), 0x0000FEABCD11223344LL);
  b.PokeInt(6, -1);  // would cross the end: ignored
  b.PokeLong(-1, -1);
  EXPECT_EQ(b.PeekByte(7), 0);
  EXPECT_EQ(b.PeekInt(5), 0);
  EXPECT_EQ(b.PeekInt(-1), 0);
  EXPECT_EQ(b.PeekByte(8), 0);
  b.Resize(10);
  EXPECT_EQ(b.PeekShort(8), 0);
  EXPECT_EQ(b.PeekInt(0), 0x11223344);

  plat::MemoryStream s({1, 2, 3, 4, 5});
  EXPECT_EQ(b.ReadFromStream(s, 7, 100), 3u);  // cut at the block's end
  EXPECT_EQ(b.PeekByte(9), 3);
  EXPECT_EQ(b.ReadFromStream(s, 0, 100), 2u);  // the stream's end
  EXPECT_EQ(b.PeekShort(0), 0x0504);
}

}  // namespace
