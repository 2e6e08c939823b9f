// The pack's zip archive for the site. Member names keep the pack's own
// layout with backslashes, byte for byte: the site unpacks by them.
#include <algorithm>
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
  const std::string packDir = programDir + "/" + plat::PackPath(pack);
  // Only the pack's own files: a link in it may point anywhere on the disk.
  const auto linked = [&](const std::string& rel) {
    const size_t slash = rel.rfind('/');
    return plat::IsSymbolicLink(packDir + rel) ||
           (slash > 0 && plat::IsSymbolicLink(packDir + rel.substr(0, slash)));
  };
  const auto add = [&](const std::string& rel) {
    std::string name = pack + rel;
    std::replace(name.begin(), name.end(), '/', '\\');
    members.push_back({packDir + rel, name});
  };
  const std::pair<const char*, const char*> kinds[] = {{"/levels/", ".doy"}, {"/replays/", ".doyplay"}};
  for (const auto& [folder, ext] : kinds) {
    for (int n = 0; n <= play::kLevelCount; ++n) {
      const std::string rel = folder + std::to_string(n) + ext;
      if (plat::FileType(packDir + rel) == plat::kFileNormal && !linked(rel)) add(rel);
    }
  }
  if (!linked("/scores.dat")) add("/scores.dat");
  return members;
}

bool ExportPack(const std::string& programDir, const std::string& pack) {
  if (!plat::IsSafePackName(pack)) return false;
  // Written whole under a temporary name, flushed and renamed, like every
  // other file the game keeps: a kill, a second export of the same pack or a
  // power cut leaves the old archive or the new one, never part of one.
  return plat::SaveFileSafelyWith(PackArchivePath(programDir, pack), [&](const std::string& temp) {
    zip::ZipWriter writer;
    if (writer.openZip(temp, 0) != 1) return false;
    bool ok = true;
    for (const PackMember& m : PackMembers(programDir, pack)) {
      if (writer.addFile(m.diskPath, m.memberName, "") != 0) {
        ok = false;
        break;
      }
    }
    return writer.closeZip("") == 0 && ok;
  });
}

}  // namespace fe
