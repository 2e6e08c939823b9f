// The command line shared by the generators that fill one folder of the
// game: `<tool> <output folder>`. The folder is made if missing; the first
// file that cannot be written ends the run with status 1.
#pragma once
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace toolcommon {

// A file name in the output folder and what writes it to a given path.
using FileWriter = std::pair<std::string, std::function<bool(const std::string& path)>>;

inline int GenerateFiles(int argc, char** argv, const std::vector<FileWriter>& files) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  ::mkdir(dir.c_str(), 0755);
  for (const auto& [name, write] : files) {
    const std::string path = dir + "/" + name;
    if (!write(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace toolcommon
