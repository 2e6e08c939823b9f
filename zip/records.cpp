#include "zip/records.h"

#include "platform/files.h"
#include "platform/system.h"

namespace zip {

namespace {

void NeedBytes(const plat::Bank& bank, int64_t offset, int count) {
  const int64_t size = static_cast<int64_t>(bank.Size());
  if (offset < 0 || count > size || offset > size - count) {
    plat::RuntimeError("fillFromBank out of bounds");
  }
}

uint32_t U32(const plat::Bank& bank, int64_t offset) { return static_cast<uint32_t>(bank.PeekInt(offset)); }
uint16_t U16(const plat::Bank& bank, int64_t offset) { return static_cast<uint16_t>(bank.PeekShort(offset)); }

}  // namespace

int PACK_STRUCT::fillFromStream(plat::Stream* stream, int size, int64_t bankOffset, int64_t fillOffset) {
  if (!stream || size < 0 || bankOffset < 0 || stream->Pos() + size > stream->Size()) return 0;
  plat::Bank bank(static_cast<size_t>(bankOffset + size));
  bank.ReadFromStream(*stream, bankOffset, static_cast<size_t>(size));
  fillFromBank(bank, fillOffset);
  return 1;
}

int SZIPFileDataDescriptor::fillFromBank(const plat::Bank& bank, int64_t offset) {
  NeedBytes(bank, offset, kBytes);
  crc32 = U32(bank, offset);
  compressedSize = U32(bank, offset + 4);
  uncompressedSize = U32(bank, offset + 8);
  return 0;
}

int SZIPFileHeader::fillFromBank(const plat::Bank& bank, int64_t offset) {
  NeedBytes(bank, offset, kBytes);
  signature = U32(bank, offset);
  versionNeeded = U16(bank, offset + 4);
  flags = U16(bank, offset + 6);
  method = U16(bank, offset + 8);
  modTime = U16(bank, offset + 10);
  modDate = U16(bank, offset + 12);
  descriptor.fillFromBank(bank, offset + 14);
  nameLength = U16(bank, offset + 26);
  extraLength = U16(bank, offset + 28);
  return 0;
}

plat::Bank zip_fileinfo::toBank() const {
  plat::Bank bank(kBytes);
  const int32_t times[] = {tmz_date.tm_sec,  tmz_date.tm_min, tmz_date.tm_hour,
                           tmz_date.tm_mday, tmz_date.tm_mon, tmz_date.tm_year};
  for (int i = 0; i < 6; ++i) bank.PokeInt(4 * i, times[i]);
  bank.PokeLong(24, dosDate);
  bank.PokeLong(32, internal_fa);
  bank.PokeLong(40, external_fa);
  return bank;
}

}  // namespace zip
