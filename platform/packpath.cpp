#include "platform/packpath.h"

namespace plat {

bool IsSafePackName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c == '/' || c == '\\' || c < 32 || c == 127) return false;
  return true;
}

std::string PackPath(const std::string& pack, const std::string& rest) {
  if (!IsSafePackName(pack)) return {};
  return std::string(kPacksDir) + "/" + pack + rest;
}

}  // namespace plat
