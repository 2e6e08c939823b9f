// Every path into a pack's folder is joined here. Pack names come from
// folder listings, the command line and what a level maker types; a name
// that would lead out of the packs folder gives no path at all.
#pragma once
#include <string>

namespace plat {

// The folder that holds one folder per pack, under the program folder.
inline constexpr char kPacksDir[] = "data/packs";

// True when name is a single folder name inside the packs folder: not empty,
// not "." or "..", and without "/" or "\" (both separate folders here) or
// control characters.
bool IsSafePackName(const std::string& name);

// kPacksDir + "/" + pack + rest, where rest is "" or starts with "/"; the
// empty path when the pack name is refused, which names no file, so loads
// find nothing and saves write nothing.
std::string PackPath(const std::string& pack, const std::string& rest = "");

}  // namespace plat
