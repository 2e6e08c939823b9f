#include "support/fake_opener.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/sandbox.h"
#include "support/wait.h"

namespace vtest {

FakeUrlOpener::FakeUrlOpener() : dir_(MakeTempDir("opener")) {
  if (const char* path = std::getenv("PATH")) oldPath_ = path;
  const std::string out = dir_ + "/args.txt";
  std::ofstream(dir_ + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > " << out
                                    << ".part && /bin/mv " << out << ".part " << out << "\n";
  ::chmod((dir_ + "/xdg-open").c_str(), 0755);
  ::setenv("PATH", dir_.c_str(), 1);
}

FakeUrlOpener::~FakeUrlOpener() {
  ::setenv("PATH", oldPath_.c_str(), 1);
  RemoveTree(dir_);
}

std::string FakeUrlOpener::WaitForArgs() const {
  const std::string out = dir_ + "/args.txt";
  WaitUntil([&] { return std::filesystem::exists(out); });
  std::stringstream got;
  got << std::ifstream(out).rdbuf();
  return got.str();
}

}  // namespace vtest
