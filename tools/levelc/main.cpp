// velkor_levelc <source.lvl> <out.doy>: compiles a readable level source.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "levelsource.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velkor_levelc <source.lvl> <out.doy>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  play::LevelData level;
  std::string error;
  if (!levelc::CompileLevelSource(text.str(), level, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const std::vector<uint8_t> bytes = play::EncodeLevel(level);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write\n", argv[2]);
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
