// The file format: lines read into the model, the model written as lines.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

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

void AppendComment(std::string& out, const detail::Text& comment) {
  if (comment.empty()) return;
  out += "\t;";
  comment.AppendNarrow(out);
}

constexpr size_t kReadBlock = size_t{256} << 10;

bool HasCr(std::string_view s) { return std::memchr(s.data(), '\r', s.size()) != nullptr; }

// A line read drops its carriage returns wherever they stand; the copy is
// made only for the rare text that has one.
std::string_view WithoutCr(std::string_view s, std::string& scratch) {
  if (!HasCr(s)) return s;
  scratch.assign(s);
  scratch.erase(std::remove(scratch.begin(), scratch.end(), '\r'), scratch.end());
  return scratch;
}

// Where the line that starts at pos ends: a line feed, a zero byte or the end.
size_t LineEnd(std::string_view bytes, size_t pos) {
  const char* p = bytes.data() + pos;
  size_t n = bytes.size() - pos;
  if (const void* lf = std::memchr(p, '\n', n)) n = static_cast<size_t>(static_cast<const char*>(lf) - p);
  if (const void* zero = std::memchr(p, '\0', n)) n = static_cast<size_t>(static_cast<const char*>(zero) - p);
  return pos + n;
}

// The values of a parameter line: count of them, taken from the double-quoted
// runs from the "=" on; those with no run left stay empty. Measured first,
// so they go straight into one block of their exact size.
detail::Tail* ReadValues(std::string_view fromEq, size_t count) {
  size_t chars = 0, runs = 0, open = 0;  // open: characters of a run not yet closed
  bool inside = false;
  for (size_t i = 0; i < fromEq.size() && runs < count; ++i) {
    const char c = fromEq[i];
    if (c == '"') {
      if (inside) {
        ++runs;
        chars += open;
        open = 0;
      }
      inside = !inside;
    } else if (inside && c != '\r') {
      ++open;
    }
  }
  detail::Tail* t = detail::Tail::Make(count, chars, false);
  unsigned char* out = t->Bytes();
  size_t end = 0, value = 0;
  inside = false;
  for (size_t i = 0; value < runs; ++i) {
    const char c = fromEq[i];
    if (c == '"') {
      if (inside) t->SetEnd(value++, end);
      inside = !inside;
    } else if (inside && c != '\r') {
      out[end++] = static_cast<unsigned char>(c);
    }
  }
  for (; value < count; ++value) t->SetEnd(value, end);
  return t;
}

}  // namespace

// Lines into the model, as many at a time as the caller has; the section a
// line opened carries over to the next call.
class LineReader {
 public:
  explicit LineReader(TINIFile& file) : file_(file) {}
  void Lines(std::string_view bytes);

 private:
  void Line(std::string_view line);
  TINIFile& file_;
  TINISection* section_ = nullptr;  // inside a section while set
  std::string scratch_;
};

void LineReader::Lines(std::string_view bytes) {
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t end = LineEnd(bytes, pos);
    // Carriage returns are below 33: trimmed at the ends like blanks.
    Line(Trim(bytes.substr(pos, end - pos)));
    pos = end + 1;
  }
}

// --- writing ----------------------------------------------------------------

void TINIParameter::AppendLine(std::string& out) const {
  Name().AppendNarrow(out);
  out += '=';
  for (size_t i = 0; i < ValueCount(); ++i) {
    if (i != 0) out += ", ";
    // What QuoteValue gives, without a text of its own for every value.
    out += '"';
    values_.AppendNarrow(out, i);
    out += '"';
  }
  if (const detail::Text* comment = values_.Comment()) AppendComment(out, *comment);
  out += "\r\n";
}

void TINIParameter::Save(plat::Stream* stream) const {
  if (!stream) return;
  std::string line;
  AppendLine(line);
  stream->WriteString(line);
}

void TINISection::AppendLines(std::string& out, bool sorted) const {
  out += '[';
  Name().AppendNarrow(out);
  out += ']';
  if (body_) AppendComment(out, body_->comment);
  out += "\r\n";
  if (body_) {
    for (const TINIParameter* p : body_->params.InOrder(sorted)) p->AppendLine(out);
  }
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

// The line's texts are taken from the bytes as they stand, carriage returns
// left out, so no line is ever copied whole.
void LineReader::Line(std::string_view line) {
  if (line.empty()) return;
  if (line[0] == '[') section_ = nullptr;
  if (!section_) {
    if (line[0] == ';') {
      file_.comment_ = Widen(WithoutCr(line.substr(1), scratch_));
    } else if (line[0] == '[') {
      // A header without "]" is skipped and leaves reading outside.
      const size_t close = line.find(']');
      if (close == std::string_view::npos) return;
      // A repeated name continues the section it names.
      section_ = file_.sections_.FindOrAppend(WithoutCr(line.substr(1, close - 1), scratch_));
      const size_t semi = line.find(';');
      if (semi != std::string_view::npos) {
        const std::string_view comment = line.substr(semi + 1);
        if (section_->body_ || !WithoutCr(comment, scratch_).empty()) section_->Own().comment.AssignBytes(comment);
      }
    }
    return;
  }
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  TINIParameter* p = section_->Own().params.FindOrAppend(WithoutCr(line.substr(0, eq), scratch_));
  // Every double quote of the line counts, even in the name or comment.
  const size_t quotes = static_cast<size_t>(std::count(line.begin(), line.end(), '"'));
  p->values_.Replace(ReadValues(line.substr(eq), quotes / 2));
  const size_t lastQuote = line.rfind('"');
  const std::string_view tail = lastQuote == std::string_view::npos ? line : line.substr(lastQuote + 1);
  const size_t semi = tail.find(';');
  if (semi != std::string_view::npos) {
    p->values_.CommentToChange().AssignBytes(tail.substr(semi + 1));
    p->values_.Tidy();
  }
}

void ReadIniText(TINIFile& file, std::string_view bytes) { LineReader(file).Lines(bytes); }

int TINIFile::Load() {
  std::string path;
  if (!PathOf(fileName_, path)) return 0;
  plat::OpenStatus status;
  plat::StreamPtr in = plat::ReadFile(path, status);
  if (!in) return 0;
  // Whole lines go into the model as the blocks come in, so loading costs
  // the model and the longest line, not the file's size on top. A line
  // longer than the buffer gets room for the rest of the file at once: the
  // buffer is copied once, not at every doubling, and the room beyond what
  // is read is never touched.
  LineReader reader(*this);
  std::unique_ptr<char, decltype(&std::free)> buf(nullptr, &std::free);
  const size_t fileSize = static_cast<size_t>(std::max<int64_t>(in->Size(), 0));
  size_t cap = 0, have = 0, scanned = 0, consumed = 0;
  for (;;) {
    if (cap - have < kReadBlock) {
      const size_t rest = fileSize > consumed ? fileSize - consumed : 0;
      const size_t grown = cap == 0 ? 2 * kReadBlock : std::max(cap * 2, rest + kReadBlock);
      char* p = static_cast<char*>(std::realloc(buf.get(), grown));
      if (!p) throw std::bad_alloc();
      buf.release();
      buf.reset(p);
      cap = grown;
    }
    const size_t n = in->Read(buf.get() + have, kReadBlock);
    if (n == 0) break;
    have += n;
    // The last line end so far; what follows it waits for more bytes.
    size_t last = have;
    while (last > scanned && buf.get()[last - 1] != '\n' && buf.get()[last - 1] != '\0') --last;
    if (last == scanned) {
      scanned = have;
      continue;
    }
    reader.Lines(std::string_view(buf.get(), last));
    std::memmove(buf.get(), buf.get() + last, have - last);
    have -= last;
    consumed += last;
    scanned = 0;
  }
  reader.Lines(std::string_view(buf.get(), have));
  // A read that failed part way: what came before it stays added.
  return in->Failed() ? 0 : 1;
}

}  // namespace ini
