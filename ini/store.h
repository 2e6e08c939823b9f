// How the model is kept in memory. A file can be as large as memory allows,
// so every element costs a small, fixed number of bytes beside its text:
// texts of 8-bit characters take a byte each (short ones live inside their
// handle), a parameter's values and comment share one block (a lone short
// value lives in place), the elements of a list lie side by side in one
// block, and a list finds names through a table of element numbers once it
// is long enough for a scan to be slow.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ini::detail {

// Bytes gathered in a block of fixed size and handed to drain whenever it
// fills, so a text of any length is written through that much memory.
class ByteOut {
 public:
  using Drain = std::function<bool(const void* data, size_t n)>;
  ByteOut(char* block, size_t size, const Drain& drain) : block_(block), at_(block), end_(block + size), drain_(&drain) {}
  ByteOut(const ByteOut&) = delete;
  ByteOut& operator=(const ByteOut&) = delete;

  void Put(const char* p, size_t n) {
    if (n <= static_cast<size_t>(end_ - at_)) {
      if (n != 0) std::memcpy(at_, p, n);
      at_ += n;
    } else {
      Spill(p, n);
    }
  }
  void Put(char c) {
    if (at_ != end_) {
      *at_++ = c;
    } else {
      Spill(&c, 1);
    }
  }
  // Once drain has refused a block, everything after is dropped.
  bool Stopped() const { return stopped_; }
  // Hands on what the block still holds: false when drain refused any.
  bool Finish();

 private:
  void Spill(const char* p, size_t n);
  char* block_ = nullptr;
  char* at_ = nullptr;
  char* end_ = nullptr;
  const Drain* drain_ = nullptr;
  bool stopped_ = false;
};

// A text of 16-bit code units that owns its characters, in 8 bytes: empty,
// up to 7 characters below 256 in the handle itself, or a block holding
// the length and the characters, a byte each when all are below 256.
class Text {
 public:
  Text() = default;
  explicit Text(std::u16string_view s) { Assign(s); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  Text(Text&& o) noexcept : bits_(o.bits_) { o.bits_ = 0; }
  Text& operator=(Text&& o) noexcept {
    if (this != &o) {
      Free();
      bits_ = o.bits_;
      o.bits_ = 0;
    }
    return *this;
  }
  ~Text() { Free(); }

  void Assign(std::u16string_view s);
  // Each byte is the character of that code; carriage returns are dropped,
  // as a line read from a file drops them.
  void AssignBytes(std::string_view bytes);

  bool empty() const { return bits_ == 0; }
  size_t size() const;
  char16_t operator[](size_t i) const;
  std::u16string Str() const;
  // Each character as its low 8 bits.
  void PutNarrow(ByteOut& out) const;

  bool Equals(std::u16string_view s) const;
  // Bytes as AssignBytes takes them, without carriage returns.
  bool Equals(std::string_view bytes) const;
  // By unsigned code units; a prefix first.
  bool Less(const Text& o) const;
  uint64_t Hash() const;

 private:
  void Free();
  bool Inline() const { return (bits_ & 1) != 0; }
  const unsigned char* Narrow(unsigned char (&buf)[8]) const;
  struct Block;
  const Block* Heap() const;
  uint64_t bits_ = 0;
};

// A parameter's comment and values in one block: the comment, the number
// of values, where each value ends in their joined characters, then those
// characters, a byte each unless one is above 255. Ends take 4 bytes each
// unless the characters pass 4 GiB, so a value costs 4 bytes beside its
// characters.
class Tail {
 public:
  // The ends and characters are the caller's to fill.
  static Tail* Make(size_t count, size_t chars, bool wide);
  static void Destroy(Tail* t);
  Tail(const Tail&) = delete;
  Tail& operator=(const Tail&) = delete;

  Text comment;

  size_t Count() const { return static_cast<size_t>(meta_ & kCountMask); }
  bool Wide() const { return (meta_ & kWide) != 0; }
  size_t Begin(size_t i) const { return i == 0 ? 0 : End(i - 1); }
  size_t End(size_t i) const { return BigEnds() ? Ends64()[i] : Ends32()[i]; }
  void SetEnd(size_t i, size_t end) {
    if (BigEnds()) {
      Ends64()[i] = end;
    } else {
      Ends32()[i] = static_cast<uint32_t>(end);
    }
  }
  unsigned char* Bytes() { return reinterpret_cast<unsigned char*>(CharsAt()); }
  char16_t* Units() { return reinterpret_cast<char16_t*>(CharsAt()); }
  std::u16string Value(size_t i) const;
  void PutNarrow(ByteOut& out, size_t i) const;

 private:
  static constexpr uint64_t kWide = uint64_t{1} << 63, kBigEnds = uint64_t{1} << 62;
  static constexpr uint64_t kCountMask = kBigEnds - 1;
  Tail() = default;
  ~Tail() = default;
  bool BigEnds() const { return (meta_ & kBigEnds) != 0; }
  uint32_t* Ends32() const { return reinterpret_cast<uint32_t*>(const_cast<Tail*>(this) + 1); }
  uint64_t* Ends64() const { return reinterpret_cast<uint64_t*>(const_cast<Tail*>(this) + 1); }
  char* CharsAt() const {
    return reinterpret_cast<char*>(const_cast<Tail*>(this) + 1) + Count() * (BigEnds() ? 8 : 4);
  }
  uint64_t meta_ = 0;  // the count, 64-bit ends, wide characters
};

// A parameter's values and comment in 8 bytes: none; a lone value of up to
// 7 characters below 256 without a comment, held in place (most settings
// are short); or a Tail.
class Values {
 public:
  Values() = default;
  Values(const Values&) = delete;
  Values& operator=(const Values&) = delete;
  Values(Values&& o) noexcept : bits_(o.bits_) { o.bits_ = 0; }
  Values& operator=(Values&& o) noexcept {
    if (this != &o) {
      Free();
      bits_ = o.bits_;
      o.bits_ = 0;
    }
    return *this;
  }
  ~Values() { Free(); }

  size_t Count() const;
  std::u16string Value(size_t i) const;
  void PutNarrow(ByteOut& out, size_t i) const;
  // nullptr while there is no comment.
  const Text* Comment() const { return Heap() ? &Heap()->comment : nullptr; }
  // The comment to change in place; call Tidy after.
  Text& CommentToChange();
  // Takes the new values, and fresh's comment unless keepComment.
  void Replace(Tail* fresh, bool keepComment = true);
  // The smallest form for what is held.
  void Tidy();

 private:
  bool Inline() const { return (bits_ & 1) != 0; }
  size_t InlineLength() const { return static_cast<size_t>((bits_ >> 1) & 7); }
  Tail* Heap() const { return bits_ != 0 && !Inline() ? reinterpret_cast<Tail*>(static_cast<uintptr_t>(bits_)) : nullptr; }
  void Free() {
    Tail::Destroy(Heap());
    bits_ = 0;
  }
  uint64_t bits_ = 0;  // 0, a Tail, or 1 | length << 1 | characters << 8
};

// The same hash for a text however it is held.
uint64_t HashOf(std::u16string_view s);
uint64_t HashOf(std::string_view bytes);

// A growable run of elements in one block. Elements are moved by moving
// their bytes (they hold only owning pointers), so a large block grows in
// place where the allocator can, without a second copy beside it.
template <class T>
class Pile {
 public:
  Pile() = default;
  Pile(const Pile&) = delete;
  Pile& operator=(const Pile&) = delete;
  Pile(Pile&& o) noexcept : data_(o.data_), size_(o.size_), cap_(o.cap_) {
    o.data_ = nullptr;
    o.size_ = o.cap_ = 0;
  }
  Pile& operator=(Pile&& o) noexcept {
    if (this != &o) {
      Clear();
      std::swap(data_, o.data_);
      std::swap(size_, o.size_);
      std::swap(cap_, o.cap_);
    }
    return *this;
  }
  ~Pile() { Clear(); }

  size_t size() const { return size_; }
  T* data() const { return data_; }
  T& operator[](size_t i) const { return data_[i]; }

  T& EmplaceBack() {
    if (size_ == cap_) Grow();
    return *new (data_ + size_++) T();
  }
  void Erase(size_t i) {
    data_[i].~T();
    std::memmove(static_cast<void*>(data_ + i), static_cast<const void*>(data_ + i + 1),
                 (size_ - i - 1) * sizeof(T));
    --size_;
  }
  void Clear() {
    for (size_t i = 0; i < size_; ++i) data_[i].~T();
    std::free(data_);
    data_ = nullptr;
    size_ = cap_ = 0;
  }

 private:
  void Grow() {
    if (cap_ == UINT32_MAX) throw std::bad_alloc();
    const uint32_t cap = cap_ == 0 ? 1 : cap_ > UINT32_MAX / 2 ? UINT32_MAX : cap_ * 2;
    void* grown = std::realloc(static_cast<void*>(data_), static_cast<size_t>(cap) * sizeof(T));
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    cap_ = cap;
  }
  T* data_ = nullptr;
  uint32_t size_ = 0, cap_ = 0;
};

// Base of the elements that live in a named list. Renaming an element that
// lies in a list is possible only through the list's EditItems, which
// takes the list's name table for stale.
class NamedItem {
 public:
  std::u16string GetName() const { return name_.Str(); }
  void SetName(std::u16string_view name) { name_.Assign(name); }
  const Text& Name() const { return name_; }

 protected:
  NamedItem() = default;
  explicit NamedItem(std::u16string_view name) : name_(name) {}
  NamedItem(NamedItem&&) noexcept = default;
  NamedItem& operator=(NamedItem&&) noexcept = default;
  ~NamedItem() = default;

 private:
  template <class T>
  friend class NamedList;
  Text name_;
};

// An ordered list of elements; every lookup gives the first element of the
// name, as a scan from the front would. Appending may move the elements, so
// a pointer to one holds only until the next append to the same list.
template <class T>
class NamedList {
 public:
  NamedList() = default;
  NamedList(const NamedList&) = delete;
  NamedList& operator=(const NamedList&) = delete;
  ~NamedList() { std::free(table_); }

  size_t size() const { return items_.size(); }
  std::span<const T> Items() const { return {items_.data(), items_.size()}; }
  std::span<T> EditItems() {
    stale_ = true;
    return {items_.data(), items_.size()};
  }
  // f changes each element in place, its name aside.
  template <class F>
  void ForEach(F f) {
    for (size_t i = 0; i < items_.size(); ++i) f(items_[i]);
  }

  // Key: a std::u16string_view, or the bytes of a line (std::string_view).
  template <class Key>
  T* Find(const Key& name) const {
    if (items_.size() <= kScanLimit) {
      for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].name_.Equals(name)) return &items_[i];
      return nullptr;
    }
    Refresh();
    return Probe(HashOf(name), name);
  }

  // The first element of that name, appended when there is none.
  template <class Key>
  T* FindOrAppend(const Key& name) {
    if (T* found = Find(name)) return found;
    // The name is made first: running short of memory leaves no nameless element.
    Text text;
    SetText(text, name);
    T& item = items_.EmplaceBack();
    item.name_ = std::move(text);
    if (items_.size() > kScanLimit) {
      if (stale_ || table_ == nullptr || (items_.size() + 1) * 8 > size_t{slots_} * 7) {
        stale_ = true;
      } else {
        Insert(items_.size() - 1, item.name_.Hash());
      }
    }
    return &item;
  }

  bool Remove(std::u16string_view name) {
    const T* target = Find(name);
    if (!target) return false;
    items_.Erase(static_cast<size_t>(target - items_.data()));
    stale_ = true;  // the elements behind it moved down by one
    return true;
  }

  // f on each element, in list order or sorted by name (stable: elements of
  // equal names keep their order), until f returns false; whether none did.
  // The sorted order costs an element number apiece while it runs.
  template <class F>
  bool EachInOrder(bool sorted, F f) const {
    if (!sorted) {
      for (size_t i = 0; i < items_.size(); ++i)
        if (!f(items_[i])) return false;
      return true;
    }
    std::vector<uint32_t> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
    std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) { return Less(items_[a], items_[b]); });
    for (uint32_t i : order)
      if (!f(items_[i])) return false;
    return true;
  }
  void Sort() {
    std::stable_sort(items_.data(), items_.data() + items_.size(), [](const T& a, const T& b) { return Less(a, b); });
    stale_ = true;
  }

 private:
  // Below this many elements a scan is as quick as the table and costs nothing.
  static constexpr size_t kScanLimit = 8;

  static bool Less(const T& a, const T& b) { return a.name_.Less(b.name_); }
  static void SetText(Text& t, std::u16string_view s) { t.Assign(s); }
  static void SetText(Text& t, std::string_view bytes) { t.AssignBytes(bytes); }

  // A slot holds a tag, 7 bits of the name's hash (0: a free slot), and the
  // element's number; a probe reads an element, a likely cache miss, only
  // when the tag matches. The high bits of the hash pick the slot.
  static uint8_t Tag(uint64_t hash) { return static_cast<uint8_t>(0x80 | (hash & 0x7F)); }
  size_t SlotOf(uint64_t hash) const {
    return static_cast<size_t>((static_cast<unsigned __int128>(hash) * slots_) >> 64);
  }
  size_t Next(size_t slot) const { return slot + 1 == slots_ ? 0 : slot + 1; }
  static size_t TagBytes(size_t slots) { return (slots + 3) & ~size_t{3}; }
  uint32_t* Numbers() const { return reinterpret_cast<uint32_t*>(table_ + TagBytes(slots_)); }

  template <class Key>
  T* Probe(uint64_t hash, const Key& name) const {
    const uint8_t tag = Tag(hash);
    for (size_t slot = SlotOf(hash); table_[slot] != 0; slot = Next(slot)) {
      if (table_[slot] != tag) continue;
      T& item = items_[Numbers()[slot]];
      if (item.name_.Equals(name)) return &item;
    }
    return nullptr;
  }
  void Insert(size_t index, uint64_t hash) const {
    size_t slot = SlotOf(hash);
    while (table_[slot] != 0) slot = Next(slot);
    table_[slot] = Tag(hash);
    Numbers()[slot] = static_cast<uint32_t>(index);
  }
  // The table after a rename, a removal, a sort or growth: each name's first
  // element. It is at most seven eighths full (the tags keep long probes
  // cheap) and is made for half as many elements again, so it is rebuilt at
  // every 1.5-fold growth and never stands much emptier than that.
  void Refresh() const {
    if (!stale_ && table_) return;
    const size_t slots = std::min<size_t>(items_.size() * 12 / 7 + 16, UINT32_MAX);
    std::free(table_);
    table_ = static_cast<uint8_t*>(std::calloc(TagBytes(slots) + slots * sizeof(uint32_t), 1));
    if (!table_) throw std::bad_alloc();
    slots_ = static_cast<uint32_t>(slots);
    // In list order: of two elements a rename made alike, the first takes
    // the earlier slot of their common probe run, so a lookup meets it first.
    for (size_t i = 0; i < items_.size(); ++i) Insert(i, items_[i].name_.Hash());
    stale_ = false;
  }

  Pile<T> items_;
  mutable uint8_t* table_ = nullptr;  // the slots' tags, then their element numbers
  mutable uint32_t slots_ = 0;
  mutable bool stale_ = false;
};

}  // namespace ini::detail
