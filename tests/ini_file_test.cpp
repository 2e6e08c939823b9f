// INI files on disk: the writer's bytes, the reader's cases, round trips,
// and failures that must leave the file and the model as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "ini/ini.h"
#include "platform/files.h"
#include "support/ini_dump.h"
#include "support/sandbox.h"
#include "support/unprivileged.h"

namespace {

using namespace std::string_literals;
using ini::TINIFile;
using vtest::DumpIni;

class IniFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = vtest::MakeTempDir("ini"); }
  void TearDown() override { vtest::RemoveTree(dir_); }

  std::u16string Name(const std::string& file) const {
    const std::string p = dir_ + "/" + file;
    return std::u16string(p.begin(), p.end());
  }
  void Write(const std::string& file, const std::string& bytes) const {
    std::ofstream(dir_ + "/" + file, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& file) const {
    std::ifstream in(dir_ + "/" + file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
};

TEST_F(IniFile, WriterLinesByteForByte) {
  TINIFile f(Name("out.ini"));
  EXPECT_EQ(f.Save(0), 1);
  EXPECT_EQ(Read("out.ini"), "");  // no sections, no comment: an empty file

  f.SetComment(u" top");
  f.AddSection(u"s", u"sc");
  f.AddParameter(u"s", u"p");
  f.SetValues(u"s", u"p", {u"a", u"b\"", u"c"});  // nothing is escaped
  f.SetParameterComment(u"s", u"p", u"note");
  f.AddParameter(u"s", u"q");
  f.AddParameter(u"s", u"r");
  f.SetValue(u"s", u"r", u"");
  f.AddSection(u"\u00e9\u0141", u"");  // above 255: the low 8 bits
  EXPECT_EQ(f.Save(0), 1);
  const std::string section = "[s]\t;sc\r\np=\"a\", \"b\"\", \"c\"\t;note\r\nq=\r\nr=\"\"\r\n";
  EXPECT_EQ(Read("out.ini"), "; top\r\n" + section + "\r\n[\xE9\x41]\r\n\r\n");

  // The element writers give the same lines, and nothing without a stream.
  plat::MemoryStream out;
  f.Sections()[0].Save(&out);
  f.Sections()[0].Save(nullptr);
  f.Sections()[0].Parameters()[0].Save(nullptr);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), section);
  EXPECT_EQ(ini::TINIParameter::QuoteValue(u"x"), u"\"x\"");
}

TEST_F(IniFile, ReaderCases) {
  const struct {
    std::string bytes, model;
  } cases[] = {
      {"", ""},
      {"[s]\r\nk=\"a\"b\"\r\n", "[s] k=<a>"},  // three quotes: one value
      {"[s]\nk=\"a\n", "[s] k="},              // one: none
      {"[s]\nk=x\"a\"y, \"b\"z\n", "[s] k=<a><b>"},
      {"[s]\nk=\"a\"\t;x\"y\"z\nj=\"a\"\t;c\"d\" ;e\n", "[s] k=<a><y> j=<a><d>;e"},
      {"[s]\nk=5\t; c\n", "[s] k=;\\x20c"},  // the unquoted value is lost, the comment kept
      {"[s]\nk  =\"v\"\n", "[s] k\\x20\\x20=<v>"},
      {"[s]\n;x=\"1\"\n; a note\n", "[s] \\x3Bx=<1>"},
      // A header without "]" ends the section until the next header.
      {"[s]\nk=\"1\"\n[broken\nj=\"2\"\n;fc\n[t]\nm=\"3\"\n", "#fc [s] k=<1> [t] m=<3>"},
      // A repeated header continues its section; its comment replaces.
      {"[s]\na=\"1\"\n[t]\t;tc\n[s]\t;new\nb=\"2\"\n[t]\n", "[s;new] a=<1> b=<2> [t;tc]"},
      {"[a;b]\n", "[a\\x3Bb;b\\x5D]"},
      {"[]junk\nk=\"\"\n", "[] k=<>"},
      {"junk\n;one\nk=\"v\"\n;two\n", "#two"},
      {"[s]\nk=\"1\"\t;c1\nj=\"2\"\nk=\"3\", \"4\"\n", "[s] k=<3><4>;c1 j=<2>"},
      {"\t [s] \r\nk=\"a\rb\"\0x=\"y\"\n\x01"s, "[s] k=<ab> x=<y>"},
      {"[\xE9]\t;\xFF\n", "[\\xE9;\\xFF]"},
  };
  for (const auto& c : cases) {
    Write("in.ini", c.bytes);
    TINIFile f(Name("in.ini"));
    EXPECT_EQ(f.Load(), 1);
    EXPECT_EQ(DumpIni(f), c.model) << c.bytes;
  }
}

TEST_F(IniFile, LoadingAddsToTheModelWithoutCopies) {
  Write("a.ini", "[s]\nk=\"1\"\n");
  TINIFile f(Name("a.ini"));
  f.AddSection(u"first", u"");
  EXPECT_EQ(f.Load() + f.Load(), 2);
  EXPECT_EQ(DumpIni(f), "[first] [s] k=<1>");
  Write("a.ini", "[s]\nk=\"2\"\nj=\"3\"\n");
  EXPECT_EQ(f.Load(), 1);
  EXPECT_EQ(DumpIni(f), "[first] [s] k=<2> j=<3>");
}

TEST_F(IniFile, SavedModelLoadsBackAlike) {
  TINIFile f(Name("r.ini"));
  f.SetComment(u" file \u00e9");
  f.AddSection(u"", u"");
  const std::u16string s = u" spaced [x ";
  f.AddSection(s, u" note");
  f.AddParameter(s, u"k ");
  f.SetValues(s, u"k ", {u"", u" a, b ", u"\u00ff;="});
  f.SetParameterComment(s, u"k ", u"; c ;");
  f.AddParameter(s, u"none");
  ASSERT_EQ(f.Save(0), 1);
  TINIFile g(Name("r.ini"));
  ASSERT_EQ(g.Load(), 1);
  EXPECT_EQ(DumpIni(g), DumpIni(f));
  const std::string first = Read("r.ini");
  ASSERT_EQ(g.Save(0), 1);
  EXPECT_EQ(Read("r.ini"), first);
}

TEST_F(IniFile, FailedSavesChangeNeitherTheFileNorTheModel) {
  Write("keep.ini", "old bytes");
  TINIFile f;
  f.AddSection(u"b", u"");
  f.AddSection(u"a", u"");
  for (int step : {1, 2, 3}) {  // each step of the safe write failing in turn
    f.SetFilename(Name("keep.ini"));
    plat::SetSafeSaveFaultForTests(step);
    EXPECT_EQ(f.Save(1), 0) << step;
  }
  std::filesystem::create_directory(dir_ + "/dir.ini");
  // The zero character would name another file.
  for (const std::u16string& name : {Name("missing/x.ini"), Name("dir.ini"), std::u16string(),
                                      Name("keep.ini") + u'\0' + u"x"}) {
    f.SetFilename(name);
    EXPECT_EQ(f.Save(1), 0);
  }
  // A file the user made read-only, even for a sorted save.
  Write("ro.ini", "old bytes");
  ::chmod((dir_ + "/ro.ini").c_str(), 0444);
  vtest::GiveToOrdinaryUser(dir_);
  f.SetFilename(Name("ro.ini"));
  EXPECT_EQ(vtest::AsOrdinaryUser([&] { return f.Save(1) == 0 && DumpIni(f) == "[b] [a]"; }), 1);
  EXPECT_EQ(Read("ro.ini"), "old bytes");
  EXPECT_EQ(Read("keep.ini"), "old bytes");
  EXPECT_EQ(DumpIni(f), "[b] [a]");

  f.SetFilename(Name("keep.ini"));
  EXPECT_EQ(f.Save(1), 1);
  EXPECT_EQ(Read("keep.ini"), "[a]\r\n\r\n[b]\r\n\r\n");
  EXPECT_EQ(DumpIni(f), "[a] [b]");
}

TEST_F(IniFile, UnreadableFilesLeaveTheModelAlone) {
  std::filesystem::create_directory(dir_ + "/dir.ini");
  Write("fault.ini", "[s]\n");
  plat::SetReadFaultForTests("fault.ini");
  TINIFile f;
  f.AddSection(u"mine", u"");
  for (const char* name : {"absent.ini", "dir.ini", "fault.ini", ""}) {
    f.SetFilename(*name ? Name(name) : u"");
    EXPECT_EQ(f.Load(), 0) << name;
  }
  plat::SetReadFaultForTests("");
  EXPECT_EQ(DumpIni(f), "[mine]");
}

// A file of any size loads as its bytes read at once would, lines across
// the reader's blocks and lines longer than one included.
TEST_F(IniFile, LargeFilesLoadAsTheirBytesRead) {
  std::string text;
  std::mt19937 rng(1);
  for (int s = 0; text.size() < (size_t{6} << 20); ++s) {
    text += "[s" + std::to_string(s % 50) + "]\t;c\r\n";
    for (int p = rng() % 200; p > 0; --p) {
      text += "k" + std::to_string(rng() % 300) + (p % 9 ? "=" : "\r=") + std::string(rng() % 40, '"');
      text += std::string(rng() % 80, 'v') + "\"" + (p % 7 ? "\n" : std::string("\0", 1));
    }
    if (s == 20) text += "[long]\nk=\"" + std::string(size_t{3} << 20, 'x') + "\"\n";
  }
  Write("large.ini", text);
  TINIFile loaded(Name("large.ini")), read;
  ASSERT_EQ(loaded.Load(), 1);
  ini::ReadIniText(read, text);
  EXPECT_TRUE(ini::WriteIniText(loaded, false) == ini::WriteIniText(read, false));
}

}  // namespace
