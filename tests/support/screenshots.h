// Where tests put the screenshots they take.
#pragma once
#include <string>

namespace vtest {

// VELKOR_BINARY_DIR/screenshots/<name>.png (the folder is created).
std::string ShotPath(const std::string& name);

}  // namespace vtest
