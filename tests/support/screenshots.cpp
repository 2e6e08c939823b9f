#include "support/screenshots.h"

#include <cstdlib>
#include <filesystem>

namespace vtest {

std::string ShotPath(const std::string& name) {
  const char* chosen = std::getenv("VELKOR_SHOTS");
  const std::string dir = chosen && *chosen
                              ? std::string(chosen)
                              : (std::filesystem::temp_directory_path() / "velkor-screens").string();
  std::filesystem::create_directories(dir);
  return dir + "/" + name + ".png";
}

}  // namespace vtest
