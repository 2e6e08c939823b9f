// The built-in level files linked into the program.
#pragma once
#include <string>
#include <vector>

namespace assets {

struct BuiltinFile {
  const char* name;  // "N.doy"
  const unsigned char* begin;
  const unsigned char* end;
};

// In level-number order, 0 first.
const std::vector<BuiltinFile>& BuiltinLevelFiles();
// Registers each as a named memory file ("incbin::N.doy").
void RegisterBuiltinLevelFiles();

}  // namespace assets
