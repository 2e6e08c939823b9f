// Where tests put the screenshots they take.
#pragma once
#include <string>

namespace vtest {

// <temporary folder>/velkor-screens/<name>.png, or under $VELKOR_SHOTS when
// set (the folder is created): never in the build or source tree.
std::string ShotPath(const std::string& name);

}  // namespace vtest
