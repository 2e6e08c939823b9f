// The pack's zip archive for the site. Member names keep the pack's own
// layout with backslashes, byte for byte: the site unpacks by them.
#include <cstdio>

#include "frontend/upload.h"
#include "platform/files.h"
#include "platform/packpath.h"
#if __has_include("zip/zipfile.h")
#include "zip/zipfile.h"
#define VELKOR_HAVE_ZIP 1
#endif

namespace fe {

std::vector<PackMember> PackMembers(const std::string& programDir, const std::string& pack) {
  const std::string dir = programDir + "/Data/Packs/" + pack;
  std::vector<PackMember> members;
  const struct {
    const char* folder;
    const char* ext;
  } kinds[] = {{"levels", ".doy"}, {"replays", ".doyplay"}};
  for (const auto& k : kinds) {
    for (int n = 0; n <= 50; ++n) {
      const std::string file = std::to_string(n) + k.ext;
      const std::string disk = dir + "/" + k.folder + "/" + file;
      if (plat::FileType(disk) == plat::kFileNormal)
        members.push_back({disk, pack + "\\" + k.folder + "\\" + file});
    }
  }
  members.push_back({dir + "/scores.dat", pack + "\\scores.dat"});
  return members;
}

bool ExportPack(const std::string& programDir, const std::string& pack) {
#ifndef VELKOR_HAVE_ZIP
  return false;  // interim: until the zip engine is on this branch
#else
  if (!plat::IsSafePackName(pack)) return false;
  const std::string final = plat::ResolvePath(PackArchivePath(programDir, pack));
  const std::string temp = final + ".part";
  bool ok = false;
  {
    zip::ZipWriter writer;
    if (writer.openZip(temp, 0) == 1) {
      ok = true;
      for (const PackMember& m : PackMembers(programDir, pack)) {
        plat::StreamPtr in = plat::ReadFile(m.diskPath);
        if (!in || writer.addStream(in.get(), m.memberName, "") != 0) {
          ok = false;
          break;
        }
      }
      if (writer.closeZip("") != 0) ok = false;
    }
  }
  if (ok && std::rename(temp.c_str(), final.c_str()) == 0) return true;
  plat::DeleteFile(temp);
  return false;
#endif
}

}  // namespace fe
