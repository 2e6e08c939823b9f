// libFuzzer target for the zip engine's reading side: the local header scan
// over any bytes, with every flag pair, and the reader opening the bytes as
// an archive file and extracting every member it lists. Nothing may fault,
// loop or take memory the bytes do not justify; a scanned list must be
// sorted, inside the data, and find each of its own members.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"
#include "zip/zipfile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const std::string& ArchivePath() {
  static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                  "/velkor_zip_fuzz_" + std::to_string(getpid()) + ".zip";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  for (int flags = 0; flags < 4; ++flags) {
    plat::MemoryStream s(bytes);
    const auto list = zip::TZipFileList::create(&s, flags & 1, flags >> 1);
    Check(list != nullptr);
    for (int i = 0; i < list->getFileCount(); ++i) {
      const zip::SZipFileEntry& e = list->entries[static_cast<size_t>(i)];
      Check(e.dataOffset >= 30 && e.dataOffset <= static_cast<int64_t>(size));
      Check(i == 0 || list->entries[static_cast<size_t>(i) - 1].Compare(e) <= 0);
      const auto found = list->findFile(e.simpleName);
      Check(found && found->simpleName == e.simpleName);
    }
  }

  const std::string& path = ArchivePath();
  Check(plat::SaveFileSafely(path, bytes, false));
  zip::ZipReader reader;
  if (reader.openZip(path)) {
    for (int i = 0; i < reader.getFileCount(); ++i) {
      const std::string name = reader.getFileInfo(i).fullName;
      for (const char* password : {"", "pw"}) {
        const auto member = reader.extractFile(name, i & 1, password);
        Check(!member || member->Pos() == 0);
      }
    }
    reader.closeZip();
  }
  return 0;
}
