// INI files on disk: the writer's bytes, the reader's cases, round trips,
// and failures that must leave the file and the model as they were.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
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

// The sanitizers reserve far more address space at start than a limit on
// it would let a test have.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kAddressLimits = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kAddressLimits = false;
#else
constexpr bool kAddressLimits = true;
#endif
#else
constexpr bool kAddressLimits = true;
#endif

// Lets the process's address space grow by room bytes beyond what it holds
// now, or (room 0) as far as it may.
bool LimitGrowth(size_t room) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0) return false;
  limit.rlim_cur = limit.rlim_max;
  if (room != 0) {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    if (!(statm >> pages)) return false;
    limit.rlim_cur = pages * static_cast<size_t>(::sysconf(_SC_PAGESIZE)) + room;
  }
  return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

// fn's exit code in a child process: 8 when it threw, -1 when the child
// did not end of itself. A throw must not reach the test runner's copy in
// the child, which would go on with the other tests.
int InChild(const std::function<int()>& fn) {
  const pid_t child = ::fork();
  if (child < 0) return -2;
  if (child == 0) {
    int code = 8;
    try {
      code = fn();
    } catch (...) {
    }
    ::_exit(code);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
  const std::vector<uint8_t> written = ini::WriteIniText(read, false);
  EXPECT_TRUE(ini::WriteIniText(loaded, false) == written);

  // Saved a block at a time, a file of any size has the bytes written at once.
  const std::vector<uint8_t> sorted = ini::WriteIniText(read, true);
  for (int sortFirst : {0, 1}) {
    loaded.SetFilename(Name("saved.ini"));
    ASSERT_EQ(loaded.Save(sortFirst), 1);
    const std::string saved = Read("saved.ini");
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), (sortFirst ? sorted : written).begin(),
                           (sortFirst ? sorted : written).end()));
  }
}

// Running short of memory gives an answer, not an end: a save with room
// for little beside the model writes the whole file; a sorted one without
// room for the order fails, with no file left and the model unsorted; a
// load without room for the model returns 0, keeping whole the lines it
// read, and the model takes the rest of the file later.
TEST_F(IniFile, RunningShortOfMemoryGivesAnAnswer) {
  if (!kAddressLimits) GTEST_SKIP() << "the sanitizers reserve more address space than a limit allows";
  // Sections in falling order, so sorting has work to do.
  std::string text = "; short\r\n";
  for (int i = 9999999; text.size() < (size_t{8} << 20); --i)
    text += "[s" + std::to_string(i) + "]\r\nk=\"1\"\r\n\r\n";
  Write("in.ini", text);
  // Room for the save's block; the order of some 400 000 sections would take twice it.
  constexpr size_t kRoom = size_t{768} << 10;
  const struct {
    bool save;  // else a load
    int sortFirst, answer;
    const char* after;  // out.ini, nullptr for none
  } cases[] = {
      {true, 0, 1, text.c_str()},
      {true, 1, 0, nullptr},
      {false, 0, 0, nullptr},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir_ + "/out.ini");
    const int code = InChild([&] {
      TINIFile f(Name("in.ini"));
      if ((c.save && f.Load() != 1) || !LimitGrowth(kRoom)) return 9;
      f.SetFilename(c.save ? Name("out.ini") : Name("in.ini"));
      const int answer = c.save ? f.Save(c.sortFirst) : f.Load();
      if (!LimitGrowth(0)) return 9;
      if (answer != c.answer) return 1;
      // The model as loaded, or the lines before the failure and a blank line.
      const std::vector<uint8_t> model = ini::WriteIniText(f, false);
      const std::string_view have(reinterpret_cast<const char*>(model.data()), model.size());
      if (c.save && have != text) return 2;
      if (!c.save && (have.size() < 4 || have.size() >= text.size() || !have.ends_with("\r\n\r\n") ||
                      !text.starts_with(have.substr(0, have.size() - 2))))
        return 2;
      if (!c.save && (f.Load() != 1 || ini::WriteIniText(f, false) != std::vector<uint8_t>(text.begin(), text.end())))
        return 3;
      return 0;
    });
    EXPECT_EQ(code, 0) << c.save << c.sortFirst;
    if (c.after) {
      EXPECT_TRUE(Read("out.ini") == c.after);
    }
    const std::vector<std::string> names = c.after ? std::vector<std::string>{"in.ini", "out.ini"}
                                                   : std::vector<std::string>{"in.ini"};
    EXPECT_EQ(plat::ReadDir(dir_), names);  // no temporaries
  }
}

}  // namespace
