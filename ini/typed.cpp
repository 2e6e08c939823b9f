// Typed access: the number rules between stored texts and values, and the
// getters and setters built on them.
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ini/ini.h"

namespace ini {

namespace {

// The user's locale may want a comma as decimal point; files must not
// change with it, so every floating conversion runs in the C locale.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

class InCLocale {
 public:
  InCLocale() : old_(CLocale() ? uselocale(CLocale()) : nullptr) {}
  ~InCLocale() {
    if (old_) uselocale(old_);
  }
  InCLocale(const InCLocale&) = delete;
  InCLocale& operator=(const InCLocale&) = delete;

 private:
  locale_t old_;
};

bool IsCSpace(char16_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int DigitValue(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Unsigned arithmetic wraps around in the rule's width where a signed
// accumulator would overflow; negating at the end gives the same bits.
template <class U>
U ReadInteger(std::u16string_view t) {
  size_t i = 0;
  while (i < t.size() && IsCSpace(t[i])) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  U base = 10;
  if (i < t.size() && t[i] == '%') {
    base = 2;
    ++i;
  } else if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  }
  U value = 0;
  for (; i < t.size(); ++i) {
    const int d = DigitValue(t[i]);
    if (d >= static_cast<int>(base)) break;
    value = static_cast<U>(value * base + static_cast<U>(d));
  }
  return negative ? static_cast<U>(U{0} - value) : value;
}

double ReadFloating(std::u16string_view t) {
  // atof takes 8-bit text: each character as its low 8 bits (a character
  // whose low bits are 0 ends the text, as a terminator would).
  std::string bytes(t.size(), '\0');
  for (size_t i = 0; i < t.size(); ++i) bytes[i] = static_cast<char>(t[i] & 0xFF);
  InCLocale c;
  return std::strtod(bytes.c_str(), nullptr);
}

std::u16string Widen(const char* s, size_t n) {
  return std::u16string(s, s + n);  // ASCII only: digits, signs, letters
}

template <class T>
std::u16string WriteInteger(T v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return Widen(buf, static_cast<size_t>(r.ptr - buf));
}

std::u16string WriteFloating(const char* format, double v) {
  char buf[64];
  int n;
  {
    InCLocale c;
    n = std::snprintf(buf, sizeof buf, format, v);
  }
  return Widen(buf, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
}

// The kinds: how a text reads as a value, when a value counts as missing,
// how a value is written.
struct BoolKind {
  static uint8_t Read(std::u16string_view t) { return static_cast<uint8_t>(ReadInteger<uint32_t>(t)); }
  static std::u16string Write(uint8_t v) { return WriteInteger(static_cast<unsigned>(v)); }
};
struct ShortKind {
  static uint16_t Read(std::u16string_view t) { return static_cast<uint16_t>(ReadInteger<uint32_t>(t)); }
  static std::u16string Write(uint16_t v) { return WriteInteger(static_cast<unsigned>(v)); }
};
struct IntKind {
  static int32_t Read(std::u16string_view t) { return static_cast<int32_t>(ReadInteger<uint32_t>(t)); }
  static std::u16string Write(int32_t v) { return WriteInteger(v); }
};
struct LongKind {
  static int64_t Read(std::u16string_view t) { return static_cast<int64_t>(ReadInteger<uint64_t>(t)); }
  static std::u16string Write(int64_t v) { return WriteInteger(v); }
};
struct FloatKind {
  static float Read(std::u16string_view t) { return static_cast<float>(ReadFloating(t)); }
  static std::u16string Write(float v) { return WriteFloating("%#.9g", v); }
};
struct DoubleKind {
  static double Read(std::u16string_view t) { return ReadFloating(t); }
  static std::u16string Write(double v) { return WriteFloating("%#.17g", v); }
};

}  // namespace

void InitIniUnit() {
  static bool started = false;
  if (started) return;
  started = true;
  CLocale();
}

template <class Kind, class Value>
Value TINIFile::GetTyped(std::u16string_view section, std::u16string_view name, Value def) {
  // A value that reads as zero counts as missing (NaN is not zero).
  const TINIParameter* p = FindParameter(section, name);
  if (p && p->ValueCount() != 0) {
    const Value v = Kind::Read(p->ValueAt(0));
    if (v != 0) return v;
  }
  if (createMissing_ && def != 0) CreateMissing(section, name, {Kind::Write(def)});
  return def;
}

template <class Kind, class Value>
std::vector<Value> TINIFile::GetTypedArray(std::u16string_view section, std::u16string_view name,
                                           const std::vector<Value>& def) {
  const TINIParameter* p = FindParameter(section, name);
  if (p && p->ValueCount() != 0) {
    std::vector<Value> out(p->ValueCount());
    for (size_t i = 0; i < out.size(); ++i) out[i] = Kind::Read(p->ValueAt(i));
    return out;
  }
  if (createMissing_ && !def.empty()) {
    TextArray texts;
    for (Value v : def) texts.push_back(Kind::Write(v));
    CreateMissing(section, name, std::move(texts));
  }
  return def;
}

template <class Kind, class Value>
void TINIFile::SetTypedArray(std::u16string_view section, std::u16string_view name,
                             const std::vector<Value>& values) {
  TINIParameter* p = FindParameter(section, name);
  if (!p) return;
  TextArray texts;
  texts.reserve(values.size());
  for (Value v : values) texts.push_back(Kind::Write(v));
  p->SetValues(texts);
}

// One line per kind and operation; the rules live in the kinds above.
#define VELKOR_INI_KIND(W, K, T)                                                                 \
  T TINIFile::Get##W##Value(std::u16string_view s, std::u16string_view n, T def) {                \
    return GetTyped<K>(s, n, def);                                                                \
  }                                                                                               \
  std::vector<T> TINIFile::Get##W##Values(std::u16string_view s, std::u16string_view n,           \
                                          const std::vector<T>& def) {                            \
    return GetTypedArray<K>(s, n, def);                                                           \
  }                                                                                               \
  void TINIFile::Set##W##Value(std::u16string_view s, std::u16string_view n, T v) {               \
    SetValue(s, n, K::Write(v));                                                                  \
  }                                                                                               \
  void TINIFile::Set##W##Values(std::u16string_view s, std::u16string_view n,                     \
                                const std::vector<T>& v) {                                        \
    SetTypedArray<K>(s, n, v);                                                                    \
  }
VELKOR_INI_KIND(Bool, BoolKind, uint8_t)
VELKOR_INI_KIND(Short, ShortKind, uint16_t)
VELKOR_INI_KIND(Int, IntKind, int32_t)
VELKOR_INI_KIND(Long, LongKind, int64_t)
VELKOR_INI_KIND(Float, FloatKind, float)
VELKOR_INI_KIND(Double, DoubleKind, double)
#undef VELKOR_INI_KIND

}  // namespace ini
