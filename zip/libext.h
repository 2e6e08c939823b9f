// Two additions beside the zip library, and the traditional PKWARE
// encryption they rest on.
//
// Why the engine carries its own encryption: Debian's minizip writes an
// encryption header that other zip tools reject even for the right password,
// and its reading side is built without decryption. So password members are
// opened raw, and their bytes are deflated, encrypted, decrypted and
// inflated here around the library's raw entry points.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zip {

// The published algorithm: three keys stepped by each plain byte. Weak: it
// keeps out only the casual reader.
class TraditionalCipher {
 public:
  static constexpr int kHeaderBytes = 12;
  explicit TraditionalCipher(const std::string& password = "");
  void Encrypt(uint8_t* bytes, size_t count);
  void Decrypt(uint8_t* bytes, size_t count);

 private:
  uint8_t KeyByte() const;
  void Step(uint8_t plain);
  uint32_t keys_[3];
};

// The uncompressed size of the reader's current member; 0xFFFFFFFF when it
// does not fit in 32 bits, 0 without an archive.
uint32_t getCurrentEntrySize(void* unzHandle);

// Opens a member for writing whose bytes the caller deflates (raw, no zlib
// header) and, with a password, encrypts with `cipher` after this call; the
// member is then closed with zipCloseFileInZipRaw and its real size and CRC.
// With a password, writes the 12-byte encryption header, whose last byte is
// the CRC's top byte so that readers can tell a wrong password; with an
// empty one the member is plain. `info` is a zip_fileinfo block. Returns the
// library's result (0 on success).
int openNewEntryWithPassword(void* zipHandle, const char* name, const void* info,
                             const void* extraLocal, unsigned extraLocalSize,
                             const void* extraGlobal, unsigned extraGlobalSize,
                             const char* comment, int method, int level,
                             const std::string& password, uint32_t crc, TraditionalCipher& cipher);

}  // namespace zip
