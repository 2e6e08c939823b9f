// The file format: lines read into the model, the model written as lines.
#include <algorithm>
#include <cstring>

#include "ini/ini.h"
#include "platform/files.h"

namespace ini {

namespace {

// One byte per character, as ISO 8859-1 reads it.
std::u16string Widen(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

void AppendNarrow(std::string& out, std::u16string_view text) {
  const size_t at = out.size();
  out.resize(at + text.size());
  for (size_t i = 0; i < text.size(); ++i) out[at + i] = static_cast<char>(text[i] & 0xFF);
}

// The file system takes UTF-8 names. False for a name it cannot take: an
// empty one, or one holding a zero character, which would silently name
// another file.
bool PathOf(std::u16string_view name, std::string& path) {
  path.clear();
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    uint32_t c = name[i];
    if (c == 0) return false;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
        name[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00u);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate names no character
    }
    if (c < 0x80) {
      path += static_cast<char>(c);
    } else if (c < 0x800) {
      path += static_cast<char>(0xC0 | (c >> 6));
      path += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      path += static_cast<char>(0xE0 | (c >> 12));
      path += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      path += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      path += static_cast<char>(0xF0 | (c >> 18));
      path += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      path += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      path += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  auto low = [](char c) { return static_cast<unsigned char>(c) < 33; };
  size_t a = 0, b = s.size();
  while (a < b && low(s[a])) ++a;
  while (b > a && low(s[b - 1])) --b;
  return s.substr(a, b - a);
}

void AppendComment(std::string& out, std::u16string_view comment) {
  if (comment.empty()) return;
  out += "\t;";
  AppendNarrow(out, comment);
}

void AppendParameterLine(std::string& out, const TINIParameter& p) {
  AppendNarrow(out, p.GetName());
  out += '=';
  bool first = true;
  for (const TINIValue& v : p.Values()) {
    if (!first) out += ", ";
    first = false;
    // What QuoteValue gives, without a text of its own for every value.
    out += '"';
    AppendNarrow(out, v.GetValue());
    out += '"';
  }
  AppendComment(out, p.GetComment());
  out += "\r\n";
}

}  // namespace

// --- writing ----------------------------------------------------------------

void TINIParameter::Save(plat::Stream* stream) const {
  if (!stream) return;
  std::string line;
  AppendParameterLine(line, *this);
  stream->WriteString(line);
}

void TINISection::AppendLines(std::string& out, bool sorted) const {
  out += '[';
  AppendNarrow(out, GetName());
  out += ']';
  AppendComment(out, comment_);
  out += "\r\n";
  for (const TINIParameter* p : params_.InOrder(sorted)) AppendParameterLine(out, *p);
}

void TINISection::Save(plat::Stream* stream) const {
  if (!stream) return;
  std::string lines;
  AppendLines(lines, false);
  stream->WriteString(lines);
}

std::vector<uint8_t> WriteIniText(const TINIFile& file, bool sorted) {
  std::string text;
  if (!file.comment_.empty()) {
    text += ';';
    AppendNarrow(text, file.comment_);
    text += "\r\n";
  }
  for (const TINISection* s : file.sections_.InOrder(sorted)) {
    s->AppendLines(text, sorted);
    text += "\r\n";
  }
  return std::vector<uint8_t>(text.begin(), text.end());
}

int TINIFile::Save(int sortFirst) {
  std::string path;
  if (!PathOf(fileName_, path)) return 0;
  // The sorted text is written first and the model sorted only after, so a
  // failed save leaves both the file and the model as they were.
  if (!plat::SaveFileSafely(path, WriteIniText(*this, sortFirst != 0))) return 0;
  if (sortFirst) Sort();
  return 1;
}

// --- reading ----------------------------------------------------------------

void ReadIniText(TINIFile& file, std::string_view bytes) {
  TINISection* section = nullptr;  // inside a section while set
  std::string buffer;
  size_t pos = 0;
  while (pos < bytes.size()) {
    // A line ends at a line feed, a zero byte or the end; carriage returns
    // anywhere in it are dropped.
    size_t end = pos;
    bool hasCr = false;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\0') hasCr |= bytes[end++] == '\r';
    std::string_view raw = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (hasCr) {
      buffer.assign(raw);
      buffer.erase(std::remove(buffer.begin(), buffer.end(), '\r'), buffer.end());
      raw = buffer;
    }
    const std::string_view line = Trim(raw);
    if (line.empty()) continue;
    if (line[0] == '[') section = nullptr;

    if (!section) {
      if (line[0] == ';') {
        file.comment_ = Widen(line.substr(1));
      } else if (line[0] == '[') {
        // A header without "]" is skipped and leaves reading outside.
        const size_t close = line.find(']');
        if (close == std::string_view::npos) continue;
        // A repeated name continues the section it names.
        section = file.sections_.FindOrAppend(Widen(line.substr(1, close - 1)));
        const size_t semi = line.find(';');
        if (semi != std::string_view::npos) section->comment_ = Widen(line.substr(semi + 1));
      }
      continue;
    }

    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    // Every double quote of the line counts, even in the name or comment;
    // the values are the quoted runs from the "=" on, and a count with no
    // run left to fill it gives empty values.
    std::vector<TINIValue> values(static_cast<size_t>(std::count(line.begin(), line.end(), '"')) / 2);
    size_t from = eq;
    for (TINIValue& v : values) {
      const size_t open = line.find('"', from);
      const size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
      if (close == std::string_view::npos) break;
      v = TINIValue(Widen(line.substr(open + 1, close - open - 1)));
      from = close + 1;
    }
    TINIParameter* p = section->params_.FindOrAppend(Widen(line.substr(0, eq)));
    p->values_ = std::move(values);
    const size_t lastQuote = line.rfind('"');
    const std::string_view tail = lastQuote == std::string_view::npos ? line : line.substr(lastQuote + 1);
    const size_t semi = tail.find(';');
    if (semi != std::string_view::npos) p->comment_ = Widen(tail.substr(semi + 1));
  }
}

int TINIFile::Load() {
  std::string path;
  std::vector<uint8_t> bytes;
  // A file too large to be settings is refused whole rather than half read.
  if (!PathOf(fileName_, path) || !plat::LoadFileBytes(path, bytes, kMaxFileBytes)) return 0;
  ReadIniText(*this, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return 1;
}

}  // namespace ini
