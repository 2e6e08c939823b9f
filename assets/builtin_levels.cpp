#include "assets/builtin_levels.h"

#include "platform/files.h"

namespace assets {

void RegisterBuiltinLevelFiles() {
  for (const auto& f : BuiltinLevelFiles())
    plat::RegisterIncbin(f.name, f.begin, static_cast<size_t>(f.end - f.begin));
}

}  // namespace assets
