// Memory blocks: byte buffers of a given size with little-endian access at
// byte offsets. Accesses outside the block read as 0 and write nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

class Stream;

class Bank {
 public:
  explicit Bank(size_t size = 0) : bytes_(size, 0) {}
  size_t Size() const { return bytes_.size(); }
  // New bytes are zero; shrinking drops the tail.
  void Resize(size_t size) { bytes_.resize(size, 0); }
  uint8_t* Data() { return bytes_.data(); }
  const uint8_t* Data() const { return bytes_.data(); }

  int PeekByte(int64_t offset) const;    // 0..255
  int PeekShort(int64_t offset) const;   // 0..65535
  int32_t PeekInt(int64_t offset) const;
  int64_t PeekLong(int64_t offset) const;
  void PokeByte(int64_t offset, int v);
  void PokeShort(int64_t offset, int v);
  void PokeInt(int64_t offset, int32_t v);
  void PokeLong(int64_t offset, int64_t v);

  // Reads up to count bytes from the stream into the block at offset (the
  // count is cut to the block's end); returns the number of bytes read.
  size_t ReadFromStream(Stream& stream, int64_t offset, size_t count);

 private:
  bool InRange(int64_t offset, size_t width) const {
    return offset >= 0 && static_cast<uint64_t>(offset) <= bytes_.size() &&
           width <= bytes_.size() - static_cast<size_t>(offset);
  }
  uint64_t PeekLE(int64_t offset, size_t width) const;
  void PokeLE(int64_t offset, size_t width, uint64_t v);

  std::vector<uint8_t> bytes_;
};

}  // namespace plat
