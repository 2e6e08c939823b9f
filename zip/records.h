// Records of the zip format and of the zip library: a member's time stamp and
// information block for the writer, and the local file header and data
// descriptor the member scan reads. Everything is little-endian.
#pragma once
#include <cstdint>

#include "platform/bank.h"

namespace plat {
class Stream;
}

namespace zip {

// Base of records filled from raw little-endian bytes.
struct PACK_STRUCT {
  virtual ~PACK_STRUCT() = default;
  virtual int fillFromBank(const plat::Bank& bank, int64_t offset) { return 0; }
  // Reads size bytes at the stream's position into a block (at bankOffset)
  // and fills the record from the block at fillOffset. 0, reading nothing,
  // when the stream is missing or has fewer than size bytes left.
  int fillFromStream(plat::Stream* stream, int size, int64_t bankOffset = 0, int64_t fillOffset = 0);
};

struct SZIPFileDataDescriptor : PACK_STRUCT {
  static constexpr int kBytes = 12;
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  int fillFromBank(const plat::Bank& bank, int64_t offset) override;
};

struct SZIPFileHeader : PACK_STRUCT {
  static constexpr int kBytes = 30;
  static constexpr uint32_t kSignature = 0x04034B50;
  uint32_t signature = 0;
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t modTime = 0;
  uint16_t modDate = 0;
  SZIPFileDataDescriptor descriptor;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
  int fillFromBank(const plat::Bank& bank, int64_t offset) override;
};

// The zip library's time stamp: month 0 to 11, full year.
struct tm_zip {
  int32_t tm_sec = 0, tm_min = 0, tm_hour = 0, tm_mday = 0, tm_mon = 0, tm_year = 0;
};

struct zip_fileinfo {
  static constexpr int kBytes = 48;
  tm_zip tmz_date;
  int64_t dosDate = 0;
  int64_t internal_fa = 0;
  int64_t external_fa = 0;
  // The six time values as 32-bit integers at 0..20, then the three 64-bit
  // values at 24, 32 and 40: the library's own record on 64-bit Linux.
  plat::Bank toBank() const;
};

}  // namespace zip
