#include "platform/bank.h"

#include "platform/files.h"

namespace plat {

uint64_t Bank::PeekLE(int64_t offset, size_t width) const {
  if (!InRange(offset, width)) return 0;
  uint64_t v = 0;
  const uint8_t* p = bytes_.data() + offset;
  for (size_t i = 0; i < width; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

void Bank::PokeLE(int64_t offset, size_t width, uint64_t v) {
  if (!InRange(offset, width)) return;
  uint8_t* p = bytes_.data() + offset;
  for (size_t i = 0; i < width; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int Bank::PeekByte(int64_t offset) const { return static_cast<int>(PeekLE(offset, 1)); }
int Bank::PeekShort(int64_t offset) const { return static_cast<int>(PeekLE(offset, 2)); }
int32_t Bank::PeekInt(int64_t offset) const { return static_cast<int32_t>(PeekLE(offset, 4)); }
int64_t Bank::PeekLong(int64_t offset) const { return static_cast<int64_t>(PeekLE(offset, 8)); }
void Bank::PokeByte(int64_t offset, int v) { PokeLE(offset, 1, static_cast<uint64_t>(v)); }
void Bank::PokeShort(int64_t offset, int v) { PokeLE(offset, 2, static_cast<uint64_t>(v)); }
void Bank::PokeInt(int64_t offset, int32_t v) {
  PokeLE(offset, 4, static_cast<uint32_t>(v));
}
void Bank::PokeLong(int64_t offset, int64_t v) { PokeLE(offset, 8, static_cast<uint64_t>(v)); }

size_t Bank::ReadFromStream(Stream& stream, int64_t offset, size_t count) {
  if (offset < 0 || static_cast<uint64_t>(offset) > bytes_.size()) return 0;
  size_t room = bytes_.size() - static_cast<size_t>(offset);
  if (count > room) count = room;
  size_t done = 0;
  while (done < count) {
    size_t got = stream.Read(bytes_.data() + offset + done, count - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace plat
