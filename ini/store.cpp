// Texts kept small: see store.h.
#include "ini/store.h"

namespace ini::detail {

namespace {

constexpr size_t kInlineMax = 7;
constexpr uint64_t kFnvBasis = 14695981039346656037ull, kFnvPrime = 1099511628211ull;

uint64_t Mix(uint64_t h, char16_t c) { return (h ^ c) * kFnvPrime; }
// The low bits pick the slot, and FNV's low bits depend on the characters'
// low bits alone: fold the high ones in.
uint64_t Finish(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  return h ^ (h >> 33);
}

}  // namespace

// The length and whether the characters are 16-bit, then the characters.
struct Text::Block {
  uint64_t meta;  // length << 1 | wide
  size_t Length() const { return static_cast<size_t>(meta >> 1); }
  bool Wide() const { return (meta & 1) != 0; }
  const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(this + 1); }
  const char16_t* Units() const { return reinterpret_cast<const char16_t*>(this + 1); }
  unsigned char* Bytes() { return reinterpret_cast<unsigned char*>(this + 1); }
  char16_t* Units() { return reinterpret_cast<char16_t*>(this + 1); }

  static Block* Make(size_t n, bool wide) {
    void* p = std::malloc(sizeof(Block) + n * (wide ? 2 : 1));
    if (!p) throw std::bad_alloc();
    return new (p) Block{static_cast<uint64_t>(n) << 1 | (wide ? 1u : 0u)};
  }
};

const Text::Block* Text::Heap() const { return reinterpret_cast<const Block*>(static_cast<uintptr_t>(bits_)); }

void Text::Free() {
  if (bits_ != 0 && !Inline()) std::free(reinterpret_cast<void*>(static_cast<uintptr_t>(bits_)));
  bits_ = 0;
}

// A new block is made before the old one goes, so running short of memory
// leaves the text as it was.
void Text::Assign(std::u16string_view s) {
  if (s.empty()) {
    Free();
    return;
  }
  const bool wide = std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 0xFF; });
  if (!wide && s.size() <= kInlineMax) {
    uint64_t bits = s.size() << 1 | 1;
    for (size_t i = 0; i < s.size(); ++i) bits |= static_cast<uint64_t>(s[i]) << (8 * (i + 1));
    Free();
    bits_ = bits;
    return;
  }
  Block* b = Block::Make(s.size(), wide);
  if (wide) {
    std::copy(s.begin(), s.end(), b->Units());
  } else {
    for (size_t i = 0; i < s.size(); ++i) b->Bytes()[i] = static_cast<unsigned char>(s[i]);
  }
  Free();
  bits_ = reinterpret_cast<uintptr_t>(b);
}

void Text::AssignBytes(std::string_view bytes) {
  size_t n = bytes.size();
  const bool crs = std::memchr(bytes.data(), '\r', bytes.size()) != nullptr;
  if (crs) n -= static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
  unsigned char small[kInlineMax];
  Block* b = n <= kInlineMax ? nullptr : Block::Make(n, false);
  unsigned char* out = b ? b->Bytes() : small;
  if (crs) {
    for (char c : bytes)
      if (c != '\r') *out++ = static_cast<unsigned char>(c);
  } else if (n != 0) {
    std::memcpy(out, bytes.data(), n);
  }
  Free();
  if (b) {
    bits_ = reinterpret_cast<uintptr_t>(b);
    return;
  }
  if (n == 0) return;
  uint64_t bits = n << 1 | 1;
  for (size_t i = 0; i < n; ++i) bits |= static_cast<uint64_t>(small[i]) << (8 * (i + 1));
  bits_ = bits;
}

size_t Text::size() const {
  if (bits_ == 0) return 0;
  return Inline() ? static_cast<size_t>((bits_ >> 1) & 7) : Heap()->Length();
}

char16_t Text::operator[](size_t i) const {
  if (Inline()) return static_cast<char16_t>((bits_ >> (8 * (i + 1))) & 0xFF);
  const Block* b = Heap();
  return b->Wide() ? b->Units()[i] : b->Bytes()[i];
}

std::u16string Text::Str() const {
  std::u16string out(size(), u'\0');
  if (!Inline() && bits_ != 0 && Heap()->Wide()) {
    std::copy(Heap()->Units(), Heap()->Units() + out.size(), out.begin());
  } else {
    for (size_t i = 0; i < out.size(); ++i) out[i] = (*this)[i];
  }
  return out;
}

void Text::PutNarrow(ByteOut& out) const {
  const size_t n = size();
  if (n == 0) return;
  unsigned char buf[8];
  if (const unsigned char* c = Narrow(buf)) {
    out.Put(reinterpret_cast<const char*>(c), n);
    return;
  }
  for (size_t i = 0; i < n; ++i) out.Put(static_cast<char>(Heap()->Units()[i] & 0xFF));
}

// The characters of an 8-bit text (an inline one copied into buf); nullptr
// for a text with 16-bit characters.
const unsigned char* Text::Narrow(unsigned char (&buf)[8]) const {
  if (bits_ == 0 || Inline()) {
    for (size_t i = 0; i < 7; ++i) buf[i] = static_cast<unsigned char>(bits_ >> (8 * (i + 1)));
    return buf;
  }
  return Heap()->Wide() ? nullptr : Heap()->Bytes();
}

bool Text::Equals(std::u16string_view s) const {
  if (s.size() != size()) return false;
  unsigned char buf[8];
  if (const unsigned char* c = Narrow(buf)) {
    for (size_t i = 0; i < s.size(); ++i)
      if (c[i] != s[i]) return false;
    return true;
  }
  return std::equal(s.begin(), s.end(), Heap()->Units());
}

bool Text::Equals(std::string_view bytes) const {
  if (bytes.size() != size()) return false;
  unsigned char buf[8];
  if (const unsigned char* c = Narrow(buf)) return std::memcmp(c, bytes.data(), bytes.size()) == 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (Heap()->Units()[i] != static_cast<unsigned char>(bytes[i])) return false;
  return true;
}

bool Text::Less(const Text& o) const {
  if ((bits_ == 0 || Inline()) && (o.bits_ == 0 || o.Inline())) {
    // The characters as one number, the first the most significant.
    const uint64_t a = __builtin_bswap64(bits_ >> 8), b = __builtin_bswap64(o.bits_ >> 8);
    return a != b ? a < b : bits_ < o.bits_;  // then the shorter (its length is in the low bits)
  }
  const size_t n = size(), m = o.size();
  unsigned char abuf[8], bbuf[8];
  const unsigned char *a = Narrow(abuf), *b = o.Narrow(bbuf);
  if (a && b) {
    const int c = std::memcmp(a, b, std::min(n, m));
    return c != 0 ? c < 0 : n < m;
  }
  for (size_t i = 0; i < n && i < m; ++i) {
    const char16_t x = (*this)[i], y = o[i];
    if (x != y) return x < y;
  }
  return n < m;
}

uint64_t Text::Hash() const {
  uint64_t h = kFnvBasis;
  const size_t n = size();
  unsigned char buf[8];
  if (const unsigned char* c = Narrow(buf)) {
    for (size_t i = 0; i < n; ++i) h = Mix(h, c[i]);
  } else {
    for (size_t i = 0; i < n; ++i) h = Mix(h, Heap()->Units()[i]);
  }
  return Finish(h);
}

void ByteOut::Spill(const char* p, size_t n) {
  if (stopped_) return;
  while (n > 0) {
    const size_t room = static_cast<size_t>(end_ - at_), k = std::min(n, room);
    std::memcpy(at_, p, k);
    at_ += k;
    p += k;
    n -= k;
    if (at_ == end_ && !Finish()) return;
  }
}

bool ByteOut::Finish() {
  if (stopped_) return false;
  if (at_ == block_) return true;
  const size_t n = static_cast<size_t>(at_ - block_);
  at_ = block_;
  if ((*drain_)(block_, n)) return true;
  // Nothing more goes in: the room is gone.
  stopped_ = true;
  at_ = end_ = block_;
  return false;
}

Tail* Tail::Make(size_t count, size_t chars, bool wide) {
  const bool big = chars > UINT32_MAX;
  void* p = std::malloc(sizeof(Tail) + count * (big ? 8 : 4) + chars * (wide ? 2 : 1));
  if (!p) throw std::bad_alloc();
  Tail* t = new (p) Tail();
  t->meta_ = static_cast<uint64_t>(count) | (big ? kBigEnds : 0) | (wide ? kWide : 0);
  return t;
}

void Tail::Destroy(Tail* t) {
  if (!t) return;
  t->~Tail();
  std::free(t);
}

std::u16string Tail::Value(size_t i) const {
  const size_t b = Begin(i), e = End(i);
  std::u16string out(e - b, u'\0');
  if (Wide()) {
    const char16_t* u = reinterpret_cast<const char16_t*>(CharsAt());
    std::copy(u + b, u + e, out.begin());
  } else {
    const unsigned char* c = reinterpret_cast<const unsigned char*>(CharsAt());
    std::copy(c + b, c + e, out.begin());
  }
  return out;
}

void Tail::PutNarrow(ByteOut& out, size_t i) const {
  const size_t b = Begin(i), e = End(i);
  if (!Wide()) {
    out.Put(CharsAt() + b, e - b);
    return;
  }
  const char16_t* u = reinterpret_cast<const char16_t*>(CharsAt());
  for (size_t k = b; k < e; ++k) out.Put(static_cast<char>(u[k] & 0xFF));
}

size_t Values::Count() const {
  if (bits_ == 0) return 0;
  return Inline() ? 1 : Heap()->Count();
}

std::u16string Values::Value(size_t i) const {
  if (!Inline()) return Heap()->Value(i);
  std::u16string out(InlineLength(), u'\0');
  for (size_t k = 0; k < out.size(); ++k) out[k] = static_cast<char16_t>((bits_ >> (8 * (k + 1))) & 0xFF);
  return out;
}

void Values::PutNarrow(ByteOut& out, size_t i) const {
  if (!Inline()) return Heap()->PutNarrow(out, i);
  char buf[8];
  for (size_t k = 0; k < InlineLength(); ++k) buf[k] = static_cast<char>((bits_ >> (8 * (k + 1))) & 0xFF);
  out.Put(buf, InlineLength());
}

Text& Values::CommentToChange() {
  if (Tail* t = Heap()) return t->comment;
  const size_t count = Count(), n = Inline() ? InlineLength() : 0;
  Tail* t = Tail::Make(count, n, false);
  for (size_t k = 0; k < n; ++k) t->Bytes()[k] = static_cast<unsigned char>((bits_ >> (8 * (k + 1))) & 0xFF);
  if (count) t->SetEnd(0, n);
  bits_ = reinterpret_cast<uintptr_t>(t);
  return t->comment;
}

void Values::Replace(Tail* fresh, bool keepComment) {
  if (Tail* t = Heap(); t && keepComment) fresh->comment = std::move(t->comment);
  Free();
  bits_ = reinterpret_cast<uintptr_t>(fresh);
  Tidy();
}

void Values::Tidy() {
  Tail* t = Heap();
  if (!t || !t->comment.empty()) return;
  if (t->Count() == 0) {
    Free();
  } else if (t->Count() == 1 && !t->Wide() && t->End(0) <= kInlineMax) {
    const size_t n = t->End(0);
    uint64_t bits = n << 1 | 1;
    for (size_t k = 0; k < n; ++k) bits |= static_cast<uint64_t>(t->Bytes()[k]) << (8 * (k + 1));
    Free();
    bits_ = bits;
  }
}

uint64_t HashOf(std::u16string_view s) {
  uint64_t h = kFnvBasis;
  for (char16_t c : s) h = Mix(h, c);
  return Finish(h);
}

uint64_t HashOf(std::string_view bytes) {
  uint64_t h = kFnvBasis;
  for (char c : bytes) h = Mix(h, static_cast<unsigned char>(c));
  return Finish(h);
}

}  // namespace ini::detail
