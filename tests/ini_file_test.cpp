// INI files on disk: the writer's bytes, the reader's cases, round trips,
// and failures that must leave the file and the model as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "ini/ini.h"
#include "platform/files.h"
#include "support/ini_dump.h"
#include "support/sandbox.h"

namespace {

using namespace std::string_literals;
using ini::TINIFile;
using vtest::DumpIni;

class IniFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = vtest::MakeTempDir("ini"); }
  void TearDown() override { vtest::RemoveTree(dir_); }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
  std::u16string NameOf(const std::string& name) const {
    const std::string p = PathOf(name);
    return std::u16string(p.begin(), p.end());
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Loaded(const std::string& bytes) {
    Write("in.ini", bytes);
    TINIFile f(NameOf("in.ini"));
    EXPECT_EQ(f.Load(), 1);
    return DumpIni(f);
  }

  std::string dir_;
};

TEST_F(IniFile, WriterLinesByteForByte) {
  struct Case {
    std::function<void(TINIFile&)> build;
    std::string bytes;
  };
  const Case cases[] = {
      {[](TINIFile&) {}, ""},
      {[](TINIFile& f) { f.SetComment(u" top"); }, "; top\r\n"},
      {[](TINIFile& f) { f.AddSection(u"a", u""); }, "[a]\r\n\r\n"},
      {[](TINIFile& f) {
         f.AddSection(u"s", u"sc");
         f.AddParameter(u"s", u"p");
         f.SetValues(u"s", u"p", {u"a", u"b", u"c"});
         f.SetParameterComment(u"s", u"p", u"note");
         f.AddParameter(u"s", u"q");
         f.AddParameter(u"s", u"r");
         f.SetValue(u"s", u"r", u"");
         f.AddSection(u"t", u"");
       },
       "[s]\t;sc\r\np=\"a\", \"b\", \"c\"\t;note\r\nq=\r\nr=\"\"\r\n\r\n[t]\r\n\r\n"},
      // Nothing is escaped; characters above 255 keep their low 8 bits.
      {[](TINIFile& f) {
         f.SetComment(u"c");
         f.AddSection(u"\u00e9\u0141", u"");
         f.AddParameter(u"\u00e9\u0141", u"k");
         f.SetValue(u"\u00e9\u0141", u"k", u"a\"b");
       },
       ";c\r\n[\xE9\x41]\r\nk=\"a\"b\"\r\n\r\n"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    TINIFile f(NameOf("out.ini"));
    cases[i].build(f);
    EXPECT_EQ(f.Save(0), 1);
    EXPECT_EQ(Read("out.ini"), cases[i].bytes) << "case " << i;
  }

  // The element writers give the same lines, and nothing without a stream.
  TINIFile f;
  cases[3].build(f);
  plat::MemoryStream out;
  f.Sections()[0]->Save(&out);
  f.Sections()[0]->Parameters()[0]->Save(nullptr);
  f.Sections()[0]->Save(nullptr);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()),
            "[s]\t;sc\r\np=\"a\", \"b\", \"c\"\t;note\r\nq=\r\nr=\"\"\r\n");
}

TEST_F(IniFile, ReaderCases) {
  struct Case {
    std::string bytes;
    std::string model;
  };
  const Case cases[] = {
      {"", ""},
      {"[s]\r\nk=\"a\"b\"\r\n", "[s] k=<a>"},  // three quotes: one value
      {"[s]\nk=\"a\n", "[s] k="},              // one: none
      {"[s]\nk=x\"a\"y, \"b\"z\n", "[s] k=<a><b>"},
      {"[s]\nk=\"a\"\t;x\"y\"z\nj=\"a\"\t;c\"d\" ;e\n", "[s] k=<a><y> j=<a><d>;e"},
      {"[s]\nk=5\t; c\n", "[s] k=;\\x20c"},     // unquoted value lost, comment kept
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
  for (const Case& c : cases) EXPECT_EQ(Loaded(c.bytes), c.model) << c.bytes;
}

TEST_F(IniFile, LoadingAddsToTheModelWithoutCopies) {
  Write("a.ini", "[s]\nk=\"1\"\n");
  TINIFile f(NameOf("a.ini"));
  f.AddSection(u"first", u"");
  EXPECT_EQ(f.Load(), 1);
  EXPECT_EQ(f.Load(), 1);
  EXPECT_EQ(DumpIni(f), "[first] [s] k=<1>");
  Write("a.ini", "[s]\nk=\"2\"\nj=\"3\"\n");
  EXPECT_EQ(f.Load(), 1);
  EXPECT_EQ(DumpIni(f), "[first] [s] k=<2> j=<3>");
}

TEST_F(IniFile, SavedModelLoadsBackAlike) {
  TINIFile f(NameOf("r.ini"));
  f.SetComment(u" file \u00e9");
  f.AddSection(u"", u"");
  f.AddSection(u" spaced [x ", u" note");
  f.AddParameter(u" spaced [x ", u"k ");
  f.SetValues(u" spaced [x ", u"k ", {u"", u" a, b ", u"\u00ff;="});
  f.SetParameterComment(u" spaced [x ", u"k ", u"; c ;");
  f.AddParameter(u" spaced [x ", u"none");
  f.AddSection(u"last", u"");
  f.AddParameter(u"last", u"one");
  f.SetValue(u"last", u"one", u"1");
  ASSERT_EQ(f.Save(0), 1);

  TINIFile g(NameOf("r.ini"));
  ASSERT_EQ(g.Load(), 1);
  EXPECT_EQ(DumpIni(g), DumpIni(f));
  const std::string first = Read("r.ini");
  ASSERT_EQ(g.Save(0), 1);
  EXPECT_EQ(Read("r.ini"), first);
}

TEST_F(IniFile, SaveSortsOnlyWhenTheFileIsWritten) {
  Write("keep.ini", "old bytes");
  TINIFile f(NameOf("keep.ini"));
  for (const char16_t* name : {u"b", u"a"}) f.AddSection(name, u"");
  // Each step of the safe write failing in turn: nothing changes.
  for (int step : {1, 2, 3}) {
    plat::SetSafeSaveFaultForTests(step);
    EXPECT_EQ(f.Save(1), 0) << step;
    EXPECT_EQ(Read("keep.ini"), "old bytes");
    EXPECT_EQ(DumpIni(f), "[b] [a]");
  }
  f.SetFilename(NameOf("missing/dir.ini"));
  EXPECT_EQ(f.Save(1), 0);
  f.SetFilename(u"");
  EXPECT_EQ(f.Save(1), 0);
  f.SetFilename(NameOf("keep.ini") + u'\0' + u"x");  // would name another file
  EXPECT_EQ(f.Save(1), 0);
  EXPECT_EQ(DumpIni(f), "[b] [a]");
  EXPECT_EQ(Read("keep.ini"), "old bytes");

  f.SetFilename(NameOf("keep.ini"));
  EXPECT_EQ(f.Save(1), 1);
  EXPECT_EQ(Read("keep.ini"), "[a]\r\n\r\n[b]\r\n\r\n");
  EXPECT_EQ(DumpIni(f), "[a] [b]");
}

TEST_F(IniFile, UnreadableFilesLeaveTheModelAlone) {
  TINIFile f;
  f.AddSection(u"mine", u"");
  const auto loads = [&](const std::u16string& name) {
    f.SetFilename(name);
    return f.Load();
  };
  std::filesystem::create_directory(PathOf("dir.ini"));
  std::ofstream(PathOf("huge.ini")).close();
  std::filesystem::resize_file(PathOf("huge.ini"), TINIFile::kMaxFileBytes + 1);
  EXPECT_EQ(loads(NameOf("absent.ini")), 0);
  EXPECT_EQ(loads(NameOf("dir.ini")), 0);
  EXPECT_EQ(loads(NameOf("huge.ini")), 0);
  EXPECT_EQ(loads(u""), 0);
  EXPECT_EQ(DumpIni(f), "[mine]");
}

}  // namespace
