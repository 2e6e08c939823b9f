// The INI model: the number rules, the typed getters and setters, the
// create-missing rules, absent elements, names and sorting.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <limits>

#include "ini/ini.h"
#include "support/ini_dump.h"

namespace {

using ini::TextArray;
using ini::TINIFile;
using vtest::DumpIni;

// A file holding section S with parameter p, whose values are given.
void Hold(TINIFile& f, const TextArray& values) {
  f.AddSection(u"S", u"");
  f.AddParameter(u"S", u"p");
  f.SetValues(u"S", u"p", values);
}

// Texts that read as zero give the default: 99 here.
struct IntegerCase {
  std::u16string_view text;
  int32_t asInt;
  int64_t asLong;
};
const IntegerCase kIntegerCases[] = {
    {u"$1F", 31, 31},
    {u"%101", 5, 5},
    {u"  -12abc", -12, -12},
    {u"\t\r\n\v\f+7", 7, 7},
    {u"$fFz", 255, 255},
    {u"%1021", 2, 2},
    {u"-$10", -16, -16},
    {u"0x10", 99, 99},
    {u"abc", 99, 99},
    {u"", 99, 99},
    {u"- 5", 99, 99},
    {u"+-5", 99, 99},
    {u"\u0661", 99, 99},  // a digit of another script is no digit
    {u"2147483648", std::numeric_limits<int32_t>::min(), 2147483648},
    {u"4294967297", 1, 4294967297},
    {u"-2147483649", std::numeric_limits<int32_t>::max(), -2147483649},
    {u"9223372036854775808", 99, std::numeric_limits<int64_t>::min()},
    {u"-9223372036854775809", -1, std::numeric_limits<int64_t>::max()},
    {u"18446744073709551617", 1, 1},
    {u"$FFFFFFFFFFFFFFFF", -1, -1},
};

TEST(IniIntegerRule, ReadsEachTextInThirtyTwoAndSixtyFourBits) {
  for (const IntegerCase& c : kIntegerCases) {
    TINIFile f;
    Hold(f, {std::u16string(c.text)});
    const std::string dump = DumpIni(f);
    EXPECT_EQ(f.GetIntValue(u"S", u"p", 99), c.asInt) << dump;
    EXPECT_EQ(f.GetLongValue(u"S", u"p", 99), c.asLong) << dump;
  }
}

TEST(IniIntegerRule, BoolKeepsEightBitsAndShortSixteen) {
  struct Case {
    std::u16string_view text;
    uint8_t asBool;     // default 42
    uint16_t asShort;   // default 4242
  };
  const Case cases[] = {
      {u"256", 42, 256}, {u"257", 1, 257}, {u"-1", 255, 65535}, {u"65536", 42, 4242}, {u"65537", 1, 1},
  };
  for (const Case& c : cases) {
    TINIFile f;
    Hold(f, {std::u16string(c.text)});
    EXPECT_EQ(f.GetBoolValue(u"S", u"p", 42), c.asBool) << DumpIni(f);
    EXPECT_EQ(f.GetShortValue(u"S", u"p", 4242), c.asShort) << DumpIni(f);
  }
}

void CheckFloatingRule() {
  struct Case {
    std::u16string_view text;
    float asFloat;  // default 9
    double asDouble;
  };
  const Case cases[] = {
      {u"0.5", 0.5f, 0.5},
      {u"  -1.5e2xyz", -150.0f, -150.0},
      {u"1,5", 1.0f, 1.0},  // a comma is no decimal point
      {u"abc", 9.0f, 9.0},
      {u"-0", 9.0f, 9.0},
      {u"2\u0135", 25.0f, 25.0},  // each character as its low 8 bits
      {u"1e-50", 9.0f, 1e-50},    // zero once rounded to a float
      {u"0.1", 0.1f, 0.1},
  };
  for (const Case& c : cases) {
    TINIFile f;
    Hold(f, {std::u16string(c.text)});
    EXPECT_EQ(f.GetFloatValue(u"S", u"p", 9.0f), c.asFloat) << DumpIni(f);
    EXPECT_EQ(f.GetDoubleValue(u"S", u"p", 9.0), c.asDouble) << DumpIni(f);
  }
  TINIFile f;
  Hold(f, {u"nan"});
  EXPECT_TRUE(std::isnan(f.GetDoubleValue(u"S", u"p", 9.0)));  // NaN is not zero
}

TEST(IniFloatingRule, ReadsLikeAtofThenRoundsForFloat) { CheckFloatingRule(); }

void CheckWritingRule() {
  struct Case {
    std::function<void(TINIFile&)> set;
    TextArray stored;
  };
  const Case cases[] = {
      {[](TINIFile& f) { f.SetFloatValue(u"S", u"p", 0.1f); }, {u"0.100000001"}},
      {[](TINIFile& f) { f.SetFloatValue(u"S", u"p", 0.5f); }, {u"0.500000000"}},
      {[](TINIFile& f) { f.SetFloatValue(u"S", u"p", 1.5f); }, {u"1.50000000"}},
      {[](TINIFile& f) { f.SetDoubleValue(u"S", u"p", 0.1); }, {u"0.10000000000000001"}},
      {[](TINIFile& f) { f.SetDoubleValue(u"S", u"p", 0.5); }, {u"0.50000000000000000"}},
      {[](TINIFile& f) { f.SetBoolValue(u"S", u"p", 200); }, {u"200"}},
      {[](TINIFile& f) { f.SetShortValue(u"S", u"p", 65535); }, {u"65535"}},
      {[](TINIFile& f) { f.SetIntValue(u"S", u"p", -5); }, {u"-5"}},
      {[](TINIFile& f) { f.SetLongValue(u"S", u"p", INT64_MIN); }, {u"-9223372036854775808"}},
      {[](TINIFile& f) { f.SetBoolValues(u"S", u"p", {1, 255}); }, {u"1", u"255"}},
      {[](TINIFile& f) { f.SetShortValues(u"S", u"p", {}); }, {}},
      {[](TINIFile& f) { f.SetIntValues(u"S", u"p", {300, -2}); }, {u"300", u"-2"}},
      {[](TINIFile& f) { f.SetLongValues(u"S", u"p", {1LL << 40}); }, {u"1099511627776"}},
      {[](TINIFile& f) { f.SetFloatValues(u"S", u"p", {0.5f, 2.0f}); }, {u"0.500000000", u"2.00000000"}},
      {[](TINIFile& f) { f.SetDoubleValues(u"S", u"p", {-1.0}); }, {u"-1.0000000000000000"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    TINIFile f;
    Hold(f, {u"old", u"older"});
    cases[i].set(f);
    EXPECT_EQ(f.GetValues(u"S", u"p", {}), cases[i].stored) << "case " << i;
  }
}

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

TEST(IniArrayGetters, ConvertEveryValueOrGiveTheDefault) {
  TINIFile f;
  Hold(f, {u"300", u"x", u"-2"});
  EXPECT_EQ(f.GetIntValues(u"S", u"p", {7}), (std::vector<int32_t>{300, 0, -2}));
  EXPECT_EQ(f.GetBoolValues(u"S", u"p", {}), (std::vector<uint8_t>{44, 0, 254}));
  EXPECT_EQ(f.GetShortValues(u"S", u"p", {}), (std::vector<uint16_t>{300, 0, 65534}));
  EXPECT_EQ(f.GetDoubleValues(u"S", u"p", {}), (std::vector<double>{300, 0, -2}));

  // No values read like an absent parameter in every array getter.
  f.SetValues(u"S", u"p", {});
  EXPECT_EQ(f.GetValues(u"S", u"p", {u"d"}), TextArray{u"d"});
  EXPECT_EQ(f.GetBoolValues(u"S", u"p", {3}), std::vector<uint8_t>{3});
  EXPECT_EQ(f.GetShortValues(u"S", u"p", {3}), std::vector<uint16_t>{3});
  EXPECT_EQ(f.GetIntValues(u"S", u"p", {3}), std::vector<int32_t>{3});
  EXPECT_EQ(f.GetLongValues(u"S", u"p", {3}), std::vector<int64_t>{3});
  EXPECT_EQ(f.GetFloatValues(u"S", u"p", {3}), std::vector<float>{3});
  EXPECT_EQ(f.GetDoubleValues(u"S", u"p", {3}), std::vector<double>{3});
  EXPECT_EQ(DumpIni(f), "[S] p=");
}

TEST(IniCreateMissing, StoresANonZeroDefaultOnly) {
  TINIFile f;
  EXPECT_EQ(f.GetIntValue(u"A", u"k", 7), 7);  // flag off
  EXPECT_EQ(DumpIni(f), "");
  f.SetCreateMissing(1);
  EXPECT_EQ(f.GetIntValue(u"A", u"k", 0), 0);
  EXPECT_EQ(f.GetValue(u"A", u"k", u""), u"");
  EXPECT_EQ(f.GetIntValues(u"A", u"k", {}), std::vector<int32_t>{});
  EXPECT_EQ(DumpIni(f), "");
  EXPECT_EQ(f.GetIntValue(u"A", u"k", 7), 7);
  EXPECT_EQ(DumpIni(f), "[A] k=<7>");
  EXPECT_EQ(f.GetFloatValues(u"A", u"f", {0.5f}), std::vector<float>{0.5f});
  EXPECT_EQ(DumpIni(f), "[A] k=<7> f=<0.500000000>");
}

TEST(IniCreateMissing, ReplacesAStoredZeroOrEmptyFirstValueInPlace) {
  TINIFile f;
  f.SetCreateMissing(1);
  f.AddSection(u"S", u"");
  for (const char16_t* name : {u"a", u"zero", u"empty", u"b"}) f.AddParameter(u"S", name);
  f.SetValues(u"S", u"zero", {u"0", u"9"});
  f.SetParameterComment(u"S", u"zero", u"note");
  f.SetValues(u"S", u"empty", {u"", u"x"});

  EXPECT_EQ(f.GetIntValue(u"S", u"zero", 5), 5);
  EXPECT_EQ(f.GetValue(u"S", u"empty", u"d"), u"d");
  EXPECT_EQ(DumpIni(f), "[S] a= zero=<5>;note empty=<d> b=");
  EXPECT_EQ(f.GetBoolValue(u"S", u"a", 0), 0);  // a zero default stores nothing
  EXPECT_EQ(DumpIni(f), "[S] a= zero=<5>;note empty=<d> b=");
}

TEST(IniAbsent, EveryGetterGivesItsDefaultAndEverySetterChangesNothing) {
  for (const auto& [section, name] : {std::pair{u"X", u"p"}, std::pair{u"S", u"q"}}) {
    TINIFile f;
    Hold(f, {u"1"});
    f.SetParameterComment(u"S", u"p", u"c");
    const std::string before = DumpIni(f);
    EXPECT_EQ(f.GetValue(section, name, u"d"), u"d");
    EXPECT_EQ(f.GetValues(section, name, {u"d"}), TextArray{u"d"});
    EXPECT_EQ(f.GetBoolValue(section, name, 3), 3);
    EXPECT_EQ(f.GetShortValue(section, name, 3), 3);
    EXPECT_EQ(f.GetIntValue(section, name, 3), 3);
    EXPECT_EQ(f.GetLongValue(section, name, 3), 3);
    EXPECT_EQ(f.GetFloatValue(section, name, 3), 3);
    EXPECT_EQ(f.GetDoubleValue(section, name, 3), 3);
    EXPECT_EQ(f.GetParameterComment(section, name), u"");
    EXPECT_EQ(f.ParameterExists(section, name), 0);
    EXPECT_EQ(f.DeleteParameter(section, name), 0);
    f.SetValue(section, name, u"v");
    f.SetValues(section, name, {u"v"});
    f.SetBoolValue(section, name, 1);
    f.SetShortValue(section, name, 1);
    f.SetIntValue(section, name, 1);
    f.SetLongValue(section, name, 1);
    f.SetFloatValue(section, name, 1);
    f.SetDoubleValue(section, name, 1);
    f.SetBoolValues(section, name, {1});
    f.SetShortValues(section, name, {1});
    f.SetIntValues(section, name, {1});
    f.SetLongValues(section, name, {1});
    f.SetFloatValues(section, name, {1});
    f.SetDoubleValues(section, name, {1});
    f.SetParameterComment(section, name, u"x");
    EXPECT_EQ(DumpIni(f), before) << DumpIni(f);
  }
  TINIFile f;
  EXPECT_EQ(f.AddParameter(u"X", u"p"), 0);
  EXPECT_EQ(f.GetParameterNames(u"X"), TextArray{});
  EXPECT_EQ(f.GetSectionComment(u"X"), u"");
  EXPECT_EQ(f.SetSectionComment(u"X", u"c"), 0);
  EXPECT_EQ(f.DeleteSection(u"X"), 0);
  f.SortParameters(u"X");
  EXPECT_EQ(DumpIni(f), "");
}

TEST(IniNames, AreExactAndAddingNeverReplaces) {
  TINIFile f;
  EXPECT_EQ(f.AddSection(u"main", u"first"), 1);
  EXPECT_EQ(f.AddSection(u"main", u"second"), 0);
  EXPECT_EQ(f.SectionExists(u"Main"), 0);
  EXPECT_EQ(f.SectionExists(u"main "), 0);
  EXPECT_EQ(f.AddParameter(u"main", u"k"), 1);
  EXPECT_EQ(f.AddParameter(u"main", u"k"), 0);
  EXPECT_EQ(f.AddParameter(u"main", u"K"), 1);
  EXPECT_EQ(f.GetParameterNames(u"main"), (TextArray{u"k", u"K"}));
  EXPECT_EQ(f.DeleteParameter(u"main", u"k"), 1);
  EXPECT_EQ(f.DeleteParameter(u"main", u"k"), 0);
  EXPECT_EQ(DumpIni(f), "[main;first] K=");
  EXPECT_EQ(f.DeleteSection(u"main"), 1);
  EXPECT_EQ(f.GetSectionNames(), TextArray{});
}

TEST(IniSort, OrdersByUnsignedCodeUnitsWithPrefixesFirst) {
  struct Case {
    TextArray names, sorted;
  };
  const Case cases[] = {
      {{u"b", u"B", u"ab", u"a"}, {u"B", u"a", u"ab", u"b"}},
      {{u"\u0100", u"\u00e9", u"z", u""}, {u"", u"z", u"\u00e9", u"\u0100"}},
  };
  for (const Case& c : cases) {
    TINIFile f;
    for (const auto& n : c.names) {
      f.AddSection(n, u"");
      f.AddSection(u"P", u"");
      f.AddParameter(u"P", n);
    }
    f.SortParameters(u"P");
    EXPECT_EQ(f.GetParameterNames(u"P"), c.sorted);
    f.SortSections();
    TextArray sections = f.GetSectionNames();
    std::erase(sections, u"P");
    EXPECT_EQ(sections, c.sorted);
  }
}

TEST(IniSort, KeepsEveryElementWhenARenameMadeTwoNamesAlike) {
  TINIFile f;
  for (const char16_t* name : {u"c", u"b", u"a", u"d"}) {
    f.AddSection(name, name);
    f.AddParameter(u"c", name);
    f.SetParameterComment(u"c", name, name);
  }
  f.Sections()[2]->SetName(u"c");           // sections c, b, c(was a), d
  f.Sections()[0]->Parameters()[3]->SetName(u"b");  // parameters c, b, a, b(was d)
  EXPECT_EQ(f.GetSectionComment(u"c"), u"c");  // the first of the name
  EXPECT_EQ(f.SectionExists(u"a"), 0);
  EXPECT_EQ(f.GetParameterComment(u"c", u"b"), u"b");

  f.Sort();
  EXPECT_EQ(DumpIni(f), "[b;b] [c;c] a=;a b=;b b=;d c=;c [c;a] [d;d]");
  EXPECT_EQ(f.GetSectionComment(u"c"), u"c");

  // Deleting the first of a name uncovers the second.
  EXPECT_EQ(f.DeleteSection(u"c"), 1);
  EXPECT_EQ(f.GetSectionComment(u"c"), u"a");
  EXPECT_EQ(DumpIni(f), "[b;b] [c;a] [d;d]");
}

}  // namespace
