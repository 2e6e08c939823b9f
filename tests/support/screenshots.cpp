#include "support/screenshots.h"

#include <filesystem>

namespace vtest {

std::string ShotPath(const std::string& name) {
  const std::string dir = std::string(VELKOR_BINARY_DIR) + "/screenshots";
  std::filesystem::create_directories(dir);
  return dir + "/" + name + ".png";
}

}  // namespace vtest
