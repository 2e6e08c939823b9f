// The INI model: the number rules, the typed getters and setters, the
// create-missing rules, absent elements, names and sorting.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "ini/ini.h"
#include "support/ini_dump.h"

namespace {

using ini::TextArray;
using ini::TINIFile;
using vtest::DumpIni;
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kLongMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int64_t>::max();

// A file holding section S with parameter p and these values.
void Hold(TINIFile& f, const TextArray& values) {
  f.AddSection(u"S", u"");
  f.AddParameter(u"S", u"p");
  f.SetValues(u"S", u"p", values);
}

TEST(IniIntegerRule, ReadsEachTextInThirtyTwoAndSixtyFourBits) {
  // Texts that read as zero give the default, 99.
  const struct {
    std::u16string_view text;
    int32_t asInt;
    int64_t asLong;
  } cases[] = {
      {u"$1F", 31, 31}, {u"%101", 5, 5}, {u"  -12abc", -12, -12}, {u"\t\r\n\v\f+7", 7, 7},
      {u"$fFz", 255, 255}, {u"%1021", 2, 2}, {u"-$10", -16, -16}, {u"0x10", 99, 99},
      {u"abc", 99, 99}, {u"", 99, 99}, {u"- 5", 99, 99}, {u"+-5", 99, 99}, {u"\u0661", 99, 99},
      {u"2147483648", kIntMin, 2147483648}, {u"4294967297", 1, 4294967297},
      {u"-2147483649", kIntMax, -2147483649}, {u"9223372036854775808", 99, kLongMin},
      {u"-9223372036854775809", -1, kLongMax}, {u"18446744073709551617", 1, 1},
      {u"$FFFFFFFFFFFFFFFF", -1, -1}};
  for (const auto& c : cases) {
    TINIFile f;
    Hold(f, {std::u16string(c.text)});
    EXPECT_EQ(f.GetIntValue(u"S", u"p", 99), c.asInt) << DumpIni(f);
    EXPECT_EQ(f.GetLongValue(u"S", u"p", 99), c.asLong) << DumpIni(f);
  }
  // Bool keeps the low 8 bits, Short the low 16 (defaults 42 and 4242).
  const struct {
    std::u16string_view text;
    uint8_t asBool;
    uint16_t asShort;
  } narrow[] = {{u"256", 42, 256}, {u"257", 1, 257}, {u"-1", 255, 65535}, {u"65536", 42, 4242}};
  for (const auto& c : narrow) {
    TINIFile f;
    Hold(f, {std::u16string(c.text)});
    EXPECT_EQ(f.GetBoolValue(u"S", u"p", 42), c.asBool) << DumpIni(f);
    EXPECT_EQ(f.GetShortValue(u"S", u"p", 4242), c.asShort) << DumpIni(f);
  }
}

void CheckFloatingRule() {
  // Texts that read as zero give the default, 9.
  const struct {
    std::u16string_view text;
    float asFloat;
    double asDouble;
  } cases[] = {
      {u"0.5", 0.5f, 0.5}, {u"  -1.5e2xyz", -150.0f, -150.0}, {u"1,5", 1.0f, 1.0},
      {u"abc", 9.0f, 9.0}, {u"-0", 9.0f, 9.0}, {u"0.1", 0.1f, 0.1},
      {u"2\u0135", 25.0f, 25.0},  // each character as its low 8 bits
      {u"1e-50", 9.0f, 1e-50}};   // zero once rounded to a float
  for (const auto& c : cases) {
    TINIFile f;
    Hold(f, {std::u16string(c.text)});
    EXPECT_EQ(f.GetFloatValue(u"S", u"p", 9.0f), c.asFloat) << DumpIni(f);
    EXPECT_EQ(f.GetDoubleValue(u"S", u"p", 9.0), c.asDouble) << DumpIni(f);
  }
  TINIFile f;
  Hold(f, {u"nan"});
  EXPECT_TRUE(std::isnan(f.GetDoubleValue(u"S", u"p", 9.0)));  // NaN is not zero
}

void CheckWritingRule() {
  TINIFile f;
  f.AddSection(u"S", u"");
  for (const char16_t* name : {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h"}) {
    f.AddParameter(u"S", name);
    f.SetValues(u"S", name, {u"old", u"older"});
  }
  f.SetFloatValue(u"S", u"a", 0.1f);
  f.SetFloatValues(u"S", u"b", {0.5f, 1.5f});
  f.SetDoubleValue(u"S", u"c", 0.1);
  f.SetDoubleValues(u"S", u"d", {0.5, -1});
  f.SetBoolValues(u"S", u"e", {200, 0});
  f.SetShortValue(u"S", u"f", 65535);
  f.SetIntValues(u"S", u"g", {-5, 300});
  f.SetLongValues(u"S", u"h", {kLongMin, 1LL << 40});
  EXPECT_EQ(DumpIni(f),
            "[S] a=<0.100000001> b=<0.500000000><1.50000000> c=<0.10000000000000001> "
            "d=<0.50000000000000000><-1.0000000000000000> e=<200><0> f=<65535> g=<-5><300> "
            "h=<-9223372036854775808><1099511627776>");
  f.SetShortValues(u"S", u"f", {});
  f.SetBoolValue(u"S", u"e", 1);
  f.SetIntValue(u"S", u"g", 7);
  f.SetLongValue(u"S", u"h", -1);
  EXPECT_EQ(DumpIni(f),
            "[S] a=<0.100000001> b=<0.500000000><1.50000000> c=<0.10000000000000001> "
            "d=<0.50000000000000000><-1.0000000000000000> e=<1> f= g=<7> h=<-1>");
}

TEST(IniFloatingRule, ReadsLikeAtofThenRoundsForFloat) { CheckFloatingRule(); }
TEST(IniWritingRule, EachKindWritesItsText) { CheckWritingRule(); }

// A user's locale with a comma as decimal point changes nothing.
TEST(IniLocale, NumbersReadAndWriteAlikeUnderAGermanOrFrenchLocale) {
  const std::string old = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "fr_FR"}) {
    if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",") {
      chosen = name;
      break;
    }
  }
  if (!chosen) {
    std::setlocale(LC_ALL, old.c_str());
    GTEST_SKIP() << "no German or French locale is installed";
  }
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 0.5);
  EXPECT_STREQ(probe, "0,5") << chosen;  // the locale is really in force
  CheckFloatingRule();
  CheckWritingRule();
  std::setlocale(LC_ALL, old.c_str());
}

TEST(IniArrayGetters, ConvertEveryValueZerosIncluded) {
  TINIFile f;
  Hold(f, {u"300", u"x", u"-2"});
  EXPECT_EQ(f.GetIntValues(u"S", u"p", {7}), (std::vector<int32_t>{300, 0, -2}));
  EXPECT_EQ(f.GetBoolValues(u"S", u"p", {}), (std::vector<uint8_t>{44, 0, 254}));
  EXPECT_EQ(f.GetShortValues(u"S", u"p", {}), (std::vector<uint16_t>{300, 0, 65534}));
  EXPECT_EQ(f.GetDoubleValues(u"S", u"p", {}), (std::vector<double>{300, 0, -2}));
}

TEST(IniCreateMissing, StoresANonZeroDefaultOnlyAndKeepsThePlace) {
  TINIFile f;
  EXPECT_EQ(f.GetIntValue(u"A", u"k", 7), 7);  // flag off
  f.SetCreateMissing(1);
  EXPECT_EQ(f.GetIntValue(u"A", u"k", 0), 0);
  EXPECT_EQ(f.GetValue(u"A", u"k", u""), u"");
  EXPECT_EQ(f.GetIntValues(u"A", u"k", {}), std::vector<int32_t>{});
  EXPECT_EQ(DumpIni(f), "");
  EXPECT_EQ(f.GetIntValue(u"A", u"k", 7), 7);
  EXPECT_EQ(f.GetFloatValues(u"A", u"f", {0.5f}), std::vector<float>{0.5f});
  EXPECT_EQ(DumpIni(f), "[A] k=<7> f=<0.500000000>");

  // A stored zero and an empty first value read as missing and are replaced.
  TINIFile g;
  g.SetCreateMissing(1);
  g.AddSection(u"S", u"");
  for (const char16_t* name : {u"a", u"zero", u"empty"}) g.AddParameter(u"S", name);
  g.SetValues(u"S", u"zero", {u"0", u"9"});
  g.SetParameterComment(u"S", u"zero", u"note");
  g.SetValues(u"S", u"empty", {u"", u"x"});
  EXPECT_EQ(g.GetIntValue(u"S", u"zero", 5), 5);
  EXPECT_EQ(g.GetValue(u"S", u"empty", u"d"), u"d");
  EXPECT_EQ(g.GetBoolValue(u"S", u"a", 0), 0);
  EXPECT_EQ(DumpIni(g), "[S] a= zero=<5>;note empty=<d>");
}

TEST(IniAbsent, EveryGetterGivesItsDefaultAndEverySetterChangesNothing) {
  // An absent section, an absent parameter, and a parameter without values,
  // which reads like an absent one.
  for (const auto& [s, n] : {std::pair{u"X", u"p"}, std::pair{u"S", u"q"}, std::pair{u"S", u"e"}}) {
    TINIFile f;
    Hold(f, {u"1"});
    f.SetParameterComment(u"S", u"p", u"c");
    f.AddParameter(u"S", u"e");
    EXPECT_EQ(f.GetValue(s, n, u"d"), u"d");
    EXPECT_EQ(f.GetValues(s, n, {u"d"}), TextArray{u"d"});
    EXPECT_EQ(f.GetBoolValue(s, n, 3) + f.GetShortValue(s, n, 3) + f.GetIntValue(s, n, 3), 9);
    EXPECT_EQ(f.GetLongValue(s, n, 3) + f.GetFloatValue(s, n, 3) + f.GetDoubleValue(s, n, 3), 9);
    EXPECT_EQ(f.GetBoolValues(s, n, {3}), std::vector<uint8_t>{3});
    EXPECT_EQ(f.GetShortValues(s, n, {3}), std::vector<uint16_t>{3});
    EXPECT_EQ(f.GetIntValues(s, n, {3}), std::vector<int32_t>{3});
    EXPECT_EQ(f.GetLongValues(s, n, {3}), std::vector<int64_t>{3});
    EXPECT_EQ(f.GetFloatValues(s, n, {3}), std::vector<float>{3});
    EXPECT_EQ(f.GetDoubleValues(s, n, {3}), std::vector<double>{3});
    EXPECT_EQ(f.GetParameterComment(s, n), u"");
    if (n == std::u16string_view(u"e")) continue;
    EXPECT_EQ(f.ParameterExists(s, n) + f.DeleteParameter(s, n), 0);
    f.SetValue(s, n, u"v"); f.SetValues(s, n, {u"v"}); f.SetParameterComment(s, n, u"x");
    f.SetBoolValue(s, n, 1); f.SetShortValue(s, n, 1); f.SetIntValue(s, n, 1);
    f.SetLongValue(s, n, 1); f.SetFloatValue(s, n, 1); f.SetDoubleValue(s, n, 1);
    f.SetBoolValues(s, n, {1}); f.SetShortValues(s, n, {1}); f.SetIntValues(s, n, {1});
    f.SetLongValues(s, n, {1}); f.SetFloatValues(s, n, {1}); f.SetDoubleValues(s, n, {1});
    EXPECT_EQ(DumpIni(f), "[S] p=<1>;c e=");
  }
  TINIFile f;
  EXPECT_EQ(f.AddParameter(u"X", u"p") + f.SetSectionComment(u"X", u"c") + f.DeleteSection(u"X"), 0);
  EXPECT_EQ(f.GetParameterNames(u"X"), TextArray{});
  EXPECT_EQ(f.GetSectionComment(u"X"), u"");
  f.SortParameters(u"X");
  EXPECT_EQ(DumpIni(f), "");
}

TEST(IniNames, AreExactAndAddingNeverReplaces) {
  TINIFile f;
  EXPECT_EQ(f.AddSection(u"main", u"first"), 1);
  EXPECT_EQ(f.AddSection(u"main", u"second"), 0);
  EXPECT_EQ(f.SectionExists(u"Main") + f.SectionExists(u"main "), 0);
  EXPECT_EQ(f.AddParameter(u"main", u"k") + f.AddParameter(u"main", u"K"), 2);
  EXPECT_EQ(f.AddParameter(u"main", u"k"), 0);
  EXPECT_EQ(f.GetParameterNames(u"main"), (TextArray{u"k", u"K"}));
  EXPECT_EQ(f.DeleteParameter(u"main", u"k"), 1);
  EXPECT_EQ(DumpIni(f), "[main;first] K=");
}

TEST(IniSort, OrdersByUnsignedCodeUnitsWithPrefixesFirst) {
  const struct {
    TextArray names, sorted;
  } cases[] = {{{u"b", u"B", u"ab", u"a"}, {u"B", u"a", u"ab", u"b"}},
               {{u"\u0100", u"\u00e9", u"z", u""}, {u"", u"z", u"\u00e9", u"\u0100"}}};
  for (const auto& c : cases) {
    TINIFile f;
    f.AddSection(u"P", u"");
    for (const auto& n : c.names) {
      f.AddSection(n, u"");
      f.AddParameter(u"P", n);
    }
    f.SortParameters(u"P");
    EXPECT_EQ(f.GetParameterNames(u"P"), c.sorted);
    f.DeleteSection(u"P");
    f.SortSections();
    EXPECT_EQ(f.GetSectionNames(), c.sorted);
  }
}

TEST(IniSort, KeepsEveryElementWhenARenameMadeTwoNamesAlike) {
  TINIFile f;
  for (const char16_t* name : {u"c", u"b", u"a", u"d"}) {
    f.AddSection(name, name);
    f.AddParameter(u"c", name);
    f.SetParameterComment(u"c", name, name);
  }
  f.EditSections()[2].SetName(u"c");                       // sections c, b, c (was a), d
  f.EditSections()[0].EditParameters()[3].SetName(u"b");  // parameters c, b, a, b (was d)
  EXPECT_EQ(f.GetSectionComment(u"c") + f.GetParameterComment(u"c", u"b"), u"cb");
  EXPECT_EQ(f.SectionExists(u"a"), 0);
  f.Sort();
  EXPECT_EQ(DumpIni(f), "[b;b] [c;c] a=;a b=;b b=;d c=;c [c;a] [d;d]");
  // Deleting the first of a name uncovers the second.
  EXPECT_EQ(f.DeleteSection(u"c"), 1);
  EXPECT_EQ(f.GetSectionComment(u"c"), u"a");
  EXPECT_EQ(DumpIni(f), "[b;b] [c;a] [d;d]");
}

// Lists long enough for their name tables and short ones, texts of every
// form, driven at random beside plain lists: every road (adding, deleting,
// renaming, sorting, changing) gives the same model.
TEST(IniLists, BehaveLikePlainListsAtAnyLength) {
  struct P {
    std::u16string name, comment;
    TextArray values;
  };
  struct S {
    std::u16string name, comment;
    std::vector<P> params;
  };
  std::vector<S> ref;
  TINIFile f;
  std::mt19937 rng(23);
  const auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  const std::u16string texts[] = {u"", u"1", u"seven77", u"eight888", u"\u0101", u"a text longer than most"};
  const auto text = [&] { return texts[pick(6)]; };
  const auto name = [&] { return u"n" + std::u16string(1, static_cast<char16_t>(u'a' + pick(20))) + texts[pick(6)]; };
  const auto first = [](auto& list, const std::u16string& n) {
    return std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.name == n; });
  };
  const auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
  const auto dump = [&] {
    std::string out;
    for (const S& sec : ref) {
      out += (out.empty() ? "[" : " [") + vtest::IniText(sec.name);
      if (!sec.comment.empty()) out += vtest::IniText(sec.comment, ";");
      out += ']';
      for (const P& p : sec.params) {
        out += vtest::IniText(p.name, " ") + "=";
        for (const auto& v : p.values) out += vtest::IniText(v, "<") + ">";
        if (!p.comment.empty()) out += vtest::IniText(p.comment, ";");
      }
    }
    return out;
  };
  for (int step = 0; step < 3000; ++step) {
    const std::u16string s = name().substr(0, 2 + pick(2)), n = name(), t = text();
    const auto sec = first(ref, s);
    const auto par = sec == ref.end() ? std::vector<P>::iterator() : first(sec->params, n);
    const bool has = sec != ref.end() && par != sec->params.end();
    switch (pick(12)) {
      case 0:
        EXPECT_EQ(f.AddSection(s, t), sec == ref.end() ? 1 : 0);
        if (sec == ref.end()) ref.push_back({s, t, {}});
        break;
      case 2:
        EXPECT_EQ(f.DeleteSection(s), sec != ref.end() ? 1 : 0);
        if (sec != ref.end()) ref.erase(sec);
        break;
      case 3:
      case 4:
      case 9:
      case 10:
        EXPECT_EQ(f.AddParameter(s, n), sec != ref.end() && !has ? 1 : 0);
        if (sec != ref.end() && !has) sec->params.push_back({n, u"", {}});
        break;
      case 5:
        EXPECT_EQ(f.DeleteParameter(s, n), has ? 1 : 0);
        if (has) sec->params.erase(par);
        break;
      case 6: {
        const TextArray values(pick(3), text());
        f.SetValues(s, n, values);
        f.SetParameterComment(s, n, t);
        if (has) *par = {n, t, values};
        break;
      }
      case 7:
        if (!ref.empty()) {
          const size_t i = pick(ref.size());
          if (!ref[i].params.empty() && pick(2) == 0) {
            const size_t j = pick(ref[i].params.size());
            f.EditSections()[i].EditParameters()[j].SetName(n);
            ref[i].params[j].name = n;
          } else {
            f.EditSections()[i].SetName(n);
            ref[i].name = n;
          }
        }
        break;
      case 8:
        f.SortParameters(s);
        if (sec != ref.end()) std::stable_sort(sec->params.begin(), sec->params.end(), byName);
        break;
      default:
        f.Sort();
        std::stable_sort(ref.begin(), ref.end(), byName);
        for (S& each : ref) std::stable_sort(each.params.begin(), each.params.end(), byName);
        break;
    }
    ASSERT_EQ(DumpIni(f), dump()) << step;
  }
}

}  // namespace
