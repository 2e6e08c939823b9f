#include "zip/libext.h"

#include <unzip.h>
#include <zip.h>
#include <zlib.h>

#include <cstddef>
#include <random>

#include "zip/records.h"

namespace zip {

namespace {

uint32_t CrcStep(uint32_t crc, uint8_t b) {
  static const z_crc_t* const table = get_crc_table();
  return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

// The block zip_fileinfo::toBank makes is handed to the library as its own record.
static_assert(sizeof(::zip_fileinfo) == zip_fileinfo::kBytes && offsetof(::zip_fileinfo, dosDate) == 24 &&
              offsetof(::zip_fileinfo, internal_fa) == 32 && offsetof(::zip_fileinfo, external_fa) == 40);

constexpr int kMadeOnNtfs = 11;

// Valid UTF-8 holding at least one byte above 127: such a name is marked
// as UTF-8 (flag bit 11), else tools take it for the old DOS code page. A
// plain ASCII name, or one in some other 8-bit code, stays unmarked.
bool IsUtf8BeyondAscii(const char* name) {
  static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};  // no overlong forms
  bool beyond = false;
  for (const auto* p = reinterpret_cast<const unsigned char*>(name); *p;) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    const int more = *p >= 0xF8 ? 0 : *p >= 0xF0 ? 3 : *p >= 0xE0 ? 2 : *p >= 0xC0 ? 1 : 0;
    if (more == 0) return false;
    uint32_t code = *p++ & (0x3Fu >> more);
    for (int k = 0; k < more; ++k, ++p) {
      if ((*p & 0xC0) != 0x80) return false;  // the terminating zero stops here too
      code = code << 6 | (*p & 0x3Fu);
    }
    if (code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    beyond = true;
  }
  return beyond;
}

}  // namespace

TraditionalCipher::TraditionalCipher(const std::string& password)
    : keys_{0x12345678u, 0x23456789u, 0x34567890u} {
  for (char c : password) Step(static_cast<uint8_t>(c));
}

uint8_t TraditionalCipher::KeyByte() const {
  const uint32_t t = (keys_[2] | 2u) & 0xFFFFu;
  return static_cast<uint8_t>((t * (t ^ 1u)) >> 8);
}

void TraditionalCipher::Step(uint8_t plain) {
  keys_[0] = CrcStep(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFFu)) * 134775813u + 1u;
  keys_[2] = CrcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

void TraditionalCipher::Encrypt(uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t k = KeyByte();
    Step(bytes[i]);
    bytes[i] ^= k;
  }
}

void TraditionalCipher::Decrypt(uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    bytes[i] ^= KeyByte();
    Step(bytes[i]);
  }
}

uint32_t getCurrentEntrySize(void* unzHandle) {
  if (!unzHandle) return 0;
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(unzHandle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return 0;
  return info.uncompressed_size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(info.uncompressed_size);
}

int openNewEntryWithPassword(void* zipHandle, const char* name, const void* info,
                             const void* extraLocal, unsigned extraLocalSize,
                             const void* extraGlobal, unsigned extraGlobalSize,
                             const char* comment, int method, int level,
                             const std::string& password, uint32_t crc, TraditionalCipher& cipher) {
  // Raw: the library stores our bytes as they are. Flag bit 0: encrypted;
  // bit 11: a UTF-8 name. Such a member is also made on NTFS rather than
  // the library's default FAT: Info-ZIP's unzip reads a FAT name in the DOS
  // code page, flag or not, and reads the attributes of both the same way.
  const bool utf8 = IsUtf8BeyondAscii(name);
  const int flags = (password.empty() ? 0 : 1) | (utf8 ? 0x800 : 0);
  const int madeBy = utf8 ? (kMadeOnNtfs << 8 | 20) : 0;
  const int opened = zipOpenNewFileInZip4(
      zipHandle, name, static_cast<const ::zip_fileinfo*>(info), extraLocal, extraLocalSize,
      extraGlobal, extraGlobalSize, comment, method, level, 1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
      nullptr, 0, static_cast<uLong>(madeBy), static_cast<uLong>(flags));
  if (opened != ZIP_OK || password.empty()) return opened;
  cipher = TraditionalCipher(password);
  uint8_t header[TraditionalCipher::kHeaderBytes];
  std::random_device random;
  for (int i = 0; i < TraditionalCipher::kHeaderBytes - 1; ++i) header[i] = static_cast<uint8_t>(random());
  header[TraditionalCipher::kHeaderBytes - 1] = static_cast<uint8_t>(crc >> 24);
  cipher.Encrypt(header, sizeof header);
  return zipWriteInFileInZip(zipHandle, header, sizeof header);
}

}  // namespace zip
