// A whole INI model on one line, for comparing models in tests and in the
// fuzzer: "#comment [section;comment] name=<v1><v2>;comment ...". The marks
// and every character outside printable ASCII are escaped (\xHH, \uHHHH),
// so two models dump alike only when they are alike.
#pragma once
#include <cstdio>
#include <string>

#include "ini/ini.h"

namespace vtest {

inline void AppendEscaped(std::string& out, std::u16string_view text) {
  for (char16_t c : text) {
    char buf[8];
    if (c > 0xFF) {
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    } else if (c <= ' ' || c > '~' || std::u16string_view(u"#[]<>;=\\").find(c) != std::u16string_view::npos) {
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
}

inline void AppendComment(std::string& out, std::u16string_view comment) {
  if (comment.empty()) return;
  out += ';';
  AppendEscaped(out, comment);
}

inline std::string DumpIni(const ini::TINIFile& file) {
  std::string out;
  if (!file.GetComment().empty()) {
    out += '#';
    AppendEscaped(out, file.GetComment());
  }
  for (const auto& s : file.Sections()) {
    if (!out.empty()) out += ' ';
    out += '[';
    AppendEscaped(out, s->GetName());
    AppendComment(out, s->GetComment());
    out += ']';
    for (const auto& p : s->Parameters()) {
      out += ' ';
      AppendEscaped(out, p->GetName());
      out += '=';
      for (const ini::TINIValue& v : p->Values()) {
        out += '<';
        AppendEscaped(out, v.GetValue());
        out += '>';
      }
      AppendComment(out, p->GetComment());
    }
  }
  return out;
}

}  // namespace vtest
