// The readable level source (".lvl") that velkor_levelc compiles into a
// ".doy" level file. See assets/levels/README.md for the format.
#pragma once
#include <string>

#include "services/levelfile.h"

namespace levelc {

// Parses the source, fills the level (edge and corner frames computed) and
// returns true; on a fault returns false with "line L, column C: ..." or
// "line L: ..." in `error`.
bool CompileLevelSource(const std::string& text, play::LevelData& level, std::string& error);

}  // namespace levelc
