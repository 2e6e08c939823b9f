// velkor_imagegen <game folder>: draws every picture the game loads and
// writes it as PNG under the game folder.
#include <cstdio>
#include <filesystem>
#include <string>

#include "art.h"
#include "image_manifest.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velkor_imagegen <game folder>\n");
    return 2;
  }
  namespace fs = std::filesystem;
  using namespace imagegen;
  MakerTable makers;
  AddTileMakers(makers);
  AddSpriteMakers(makers);
  AddUiMakers(makers);

  int failures = 0;
  for (const ImageSpec& spec : kImages) {
    auto it = makers.find(spec.path);
    if (it == makers.end()) {
      std::fprintf(stderr, "velkor_imagegen: nothing draws %s\n", spec.path);
      ++failures;
      continue;
    }
    const Canvas c = it->second();
    if (c.W() != spec.width || c.H() != spec.height) {
      std::fprintf(stderr, "velkor_imagegen: %s drawn %dx%d, listed %dx%d\n", spec.path, c.W(),
                   c.H(), spec.width, spec.height);
      ++failures;
      continue;
    }
    const fs::path out = fs::path(argv[1]) / spec.path;
    std::error_code ec;
    fs::create_directories(out.parent_path(), ec);
    if (!c.SavePng(out.string())) {
      std::fprintf(stderr, "velkor_imagegen: cannot write %s\n", out.string().c_str());
      ++failures;
    }
    makers.erase(it);
  }
  for (const auto& [path, maker] : makers) {
    std::fprintf(stderr, "velkor_imagegen: %s is drawn but not listed\n", path.c_str());
    ++failures;
  }
  return failures ? 1 : 0;
}
