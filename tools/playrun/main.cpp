// velkor_playrun level.doy script.txt [--level N] [--pack NAME] [--seed N]
//
// Plays the level through the game's own play loop with the scripted input
// (format in play/harness.h), without a window or sound, and prints one line:
//   finished step=<run step> time=<ms> deaths=... runsteps=... frames=...
// Exit code 0 when the exit was reached, 1 when not, 2 on bad arguments or
// unreadable files.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/packpath.h"
#include "play/harness.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: velkor_playrun level.doy script.txt [--level N] [--pack NAME] [--seed N]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  play::PlayRunOptions options;
  int seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--level" && hasValue) {
      options.level = std::atoi(argv[++i]);
    } else if (a == "--pack" && hasValue) {
      options.pack = argv[++i];
    } else if (a == "--seed" && hasValue) {
      seed = std::atoi(argv[++i]);
    } else if (!a.empty() && a[0] == '-') {
      return Usage();
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return Usage();
  if (!plat::IsSafePackName(options.pack)) {
    std::fprintf(stderr, "velkor_playrun: refused pack name \"%s\": it must name one folder in %s\n",
                 options.pack.c_str(), plat::kPacksDir);
    return 2;
  }

  std::vector<uint8_t> bytes;
  if (!plat::LoadFileBytes(files[0], bytes, 1 << 20)) {
    std::fprintf(stderr, "velkor_playrun: cannot read level %s\n", files[0].c_str());
    return 2;
  }
  play::LevelData level;
  play::DecodeLevel(bytes, level);

  play::PlayScript script;
  std::string error;
  if (!play::LoadPlayScript(files[1], script, error)) {
    std::fprintf(stderr, "velkor_playrun: %s: %s\n", files[1].c_str(), error.c_str());
    return 2;
  }

  plat::SeedRnd(seed);
  const play::PlayRunResult r = play::RunPlayScript(level, script, options);
  std::printf("%s\n", play::DescribeRun(r).c_str());
  return r.finished ? 0 : 1;
}
