// A whole INI model on one line, for comparing models in tests and in the
// fuzzer: "#comment [section;comment] name=<v1><v2>;comment ...". The marks
// and every character outside printable ASCII are escaped (\xHH, \uHHHH),
// so two models dump alike only when they are alike.
#pragma once
#include <cstdio>
#include <string>

#include "ini/ini.h"

namespace vtest {

inline std::string IniText(std::u16string_view text, const char* before = "") {
  std::string out = before;
  for (char16_t c : text) {
    char buf[8];
    const bool plain = c > ' ' && c <= '~' && std::u16string_view(u"#[]<>;=\\").find(c) == text.npos;
    std::snprintf(buf, sizeof buf, plain ? "%c" : c > 0xFF ? "\\u%04X" : "\\x%02X", unsigned{c});
    out += buf;
  }
  return out;
}

inline std::string DumpIni(const ini::TINIFile& file) {
  std::string out = file.GetComment().empty() ? "" : IniText(file.GetComment(), "#");
  for (const ini::TINISection& s : file.Sections()) {
    out += (out.empty() ? "[" : " [") + IniText(s.GetName());
    if (!s.GetComment().empty()) out += IniText(s.GetComment(), ";");
    out += ']';
    for (const ini::TINIParameter& p : s.Parameters()) {
      out += IniText(p.GetName(), " ") + "=";
      for (const std::u16string& v : p.GetValues()) out += IniText(v, "<") + ">";
      if (!p.GetComment().empty()) out += IniText(p.GetComment(), ";");
    }
  }
  return out;
}

}  // namespace vtest
