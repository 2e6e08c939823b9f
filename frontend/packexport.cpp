// The pack's zip archive for the site. Member names keep the pack's own
// layout with backslashes, byte for byte: the site unpacks by them.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "frontend/upload.h"
#include "platform/files.h"
#include "platform/packpath.h"
#include "services/level.h"
#include "zip/zipfile.h"

namespace fe {

std::vector<PackMember> PackMembers(const std::string& programDir, const std::string& pack) {
  std::vector<PackMember> members;
  if (!plat::IsSafePackName(pack)) return members;
  const auto add = [&](const std::string& rel) {
    std::string name = pack + rel;
    std::replace(name.begin(), name.end(), '/', '\\');
    members.push_back({programDir + "/" + plat::PackPath(pack, rel), name});
  };
  const std::pair<const char*, const char*> kinds[] = {{"/levels/", ".doy"}, {"/replays/", ".doyplay"}};
  for (const auto& [folder, ext] : kinds) {
    for (int n = 0; n <= play::kLevelCount; ++n) {
      const std::string rel = folder + std::to_string(n) + ext;
      if (plat::FileType(programDir + "/" + plat::PackPath(pack, rel)) == plat::kFileNormal) add(rel);
    }
  }
  add("/scores.dat");
  return members;
}

bool ExportPack(const std::string& programDir, const std::string& pack) {
  if (!plat::IsSafePackName(pack)) return false;
  const std::string final = plat::ResolvePath(PackArchivePath(programDir, pack));
  const std::string temp = final + ".part";
  bool ok = false;
  {
    zip::ZipWriter writer;
    if (writer.openZip(temp, 0) == 1) {
      ok = true;
      for (const PackMember& m : PackMembers(programDir, pack)) {
        if (writer.addFile(m.diskPath, m.memberName, "") != 0) {
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
}

}  // namespace fe
