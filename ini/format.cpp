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

void PutNarrow(detail::ByteOut& out, std::u16string_view text) {
  for (char16_t c : text) out.Put(static_cast<char>(c & 0xFF));
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

void PutComment(detail::ByteOut& out, const detail::Text& comment) {
  if (comment.empty()) return;
  out.Put("\t;", 2);
  comment.PutNarrow(out);
}

constexpr size_t kWriteBlock = size_t{256} << 10;
// The element writers' lines are short beside a file's.
constexpr size_t kStreamBlock = size_t{4} << 10;

struct TailFree {
  void operator()(detail::Tail* t) const { detail::Tail::Destroy(t); }
};
using TailPtr = std::unique_ptr<detail::Tail, TailFree>;

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

// The one writer of lines: the file's, and each element's on its own.
void TINIParameter::PutLine(detail::ByteOut& out) const {
  Name().PutNarrow(out);
  out.Put('=');
  for (size_t i = 0; i < ValueCount(); ++i) {
    if (i != 0) out.Put(", ", 2);
    // What QuoteValue gives, without a text of its own for every value.
    out.Put('"');
    values_.PutNarrow(out, i);
    out.Put('"');
  }
  if (const detail::Text* comment = values_.Comment()) PutComment(out, *comment);
  out.Put("\r\n", 2);
}

void TINISection::PutLines(detail::ByteOut& out, bool sorted) const {
  out.Put('[');
  Name().PutNarrow(out);
  out.Put(']');
  if (body_) PutComment(out, body_->comment);
  out.Put("\r\n", 2);
  if (body_) {
    body_->params.EachInOrder(sorted, [&](const TINIParameter& p) {
      p.PutLine(out);
      return !out.Stopped();
    });
  }
}

void TINIFile::PutText(detail::ByteOut& out, bool sorted) const {
  if (!comment_.empty()) {
    out.Put(';');
    PutNarrow(out, comment_);
    out.Put("\r\n", 2);
  }
  sections_.EachInOrder(sorted, [&](const TINISection& s) {
    s.PutLines(out, sorted);
    out.Put("\r\n", 2);
    return !out.Stopped();
  });
}

namespace {

// Lines put through a small block on the stack into drain.
template <class Put>
void PutThrough(const detail::ByteOut::Drain& drain, Put put) {
  char block[kStreamBlock];
  detail::ByteOut out(block, sizeof block, drain);
  put(out);
  out.Finish();
}

template <class Put>
void WriteTo(plat::Stream* stream, Put put) {
  if (!stream) return;
  PutThrough([stream](const void* data, size_t n) { return stream->Write(data, n) == n; }, put);
}

}  // namespace

void TINIParameter::Save(plat::Stream* stream) const {
  WriteTo(stream, [this](detail::ByteOut& out) { PutLine(out); });
}

void TINISection::Save(plat::Stream* stream) const {
  WriteTo(stream, [this](detail::ByteOut& out) { PutLines(out, false); });
}

std::vector<uint8_t> WriteIniText(const TINIFile& file, bool sorted) {
  std::vector<uint8_t> bytes;
  PutThrough(
      [&bytes](const void* data, size_t n) {
        bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
        return true;
      },
      [&](detail::ByteOut& out) { file.PutText(out, sorted); });
  return bytes;
}

int TINIFile::Save(int sortFirst) {
  // Running short of memory fails the save like any other fault: the file
  // stays as it was, with no temporary beside it.
  try {
    std::string path;
    if (!PathOf(fileName_, path)) return 0;
    // The text goes to the file a block at a time as it is made, so saving
    // costs the block beside the model whatever the file's size (and, for a
    // sorted save, the order of the longest list while it is written).
    const std::unique_ptr<char[]> block(new char[kWriteBlock]);
    const bool sorted = sortFirst != 0;
    const bool saved = plat::SaveFileSafelyFrom(path, [&](const plat::ByteSink& sink) {
      detail::ByteOut out(block.get(), kWriteBlock, sink);
      PutText(out, sorted);
      return out.Finish();
    });
    if (!saved) return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  // The sorted text is written first and the model sorted only after, so a
  // failed save leaves both the file and the model as they were.
  if (sortFirst) Sort();
  return 1;
}

// --- reading ----------------------------------------------------------------

// The line's texts are taken from the bytes as they stand, carriage returns
// left out, so no line is ever copied whole. Everything a line needs is made
// before the model changes, so running short of memory part way through a
// line leaves the model as the lines before it left it.
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
      const size_t semi = line.find(';');
      detail::Text comment;
      std::unique_ptr<TINISection::Body> body;
      if (semi != std::string_view::npos) {
        comment.AssignBytes(line.substr(semi + 1));
        if (!comment.empty()) body = std::make_unique<TINISection::Body>();
      }
      // A repeated name continues the section it names.
      TINISection* s = file_.sections_.FindOrAppend(WithoutCr(line.substr(1, close - 1), scratch_));
      if (semi != std::string_view::npos && (s->body_ || body)) {
        if (!s->body_) s->body_ = std::move(body);
        s->body_->comment = std::move(comment);
      }
      section_ = s;
    }
    return;
  }
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  // Every double quote of the line counts, even in the name or comment.
  const size_t quotes = static_cast<size_t>(std::count(line.begin(), line.end(), '"'));
  TailPtr values(ReadValues(line.substr(eq), quotes / 2));
  const size_t lastQuote = line.rfind('"');
  const std::string_view tail = lastQuote == std::string_view::npos ? line : line.substr(lastQuote + 1);
  const size_t semi = tail.find(';');
  if (semi != std::string_view::npos) values->comment.AssignBytes(tail.substr(semi + 1));
  TINIParameter* p = section_->Own().params.FindOrAppend(WithoutCr(line.substr(0, eq), scratch_));
  // A line without a comment keeps the one the parameter has.
  p->values_.Replace(values.release(), semi == std::string_view::npos);
}

void ReadIniText(TINIFile& file, std::string_view bytes) { LineReader(file).Lines(bytes); }

int TINIFile::Load() {
  // Running short of memory ends the load like a read error part way: the
  // lines read before stay added.
  try {
    return LoadLines();
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int TINIFile::LoadLines() {
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
