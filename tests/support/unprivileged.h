// Running a piece of a test as an ordinary user. The kernel lets root open
// any file for writing, so what a read-only file refuses shows only to a
// user without that power: as root, the piece runs in a child process that
// has become the user nobody (what `setpriv --reuid=65534 --regid=65534
// --clear-groups` does); as anyone else, it runs here.
#pragma once
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace vtest {

constexpr uid_t kNobody = 65534;

// fn's answer, 1 or 0; -1 when no child could run it as that user.
inline int AsOrdinaryUser(const std::function<bool()>& fn) {
  if (::geteuid() != 0) return fn() ? 1 : 0;
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(!dropped ? 2 : fn() ? 1 : 0);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;
  return WEXITSTATUS(status);
}

// Gives the tree to that user, so only a file's own mode can refuse it a
// write (a no-op unless root).
inline void GiveToOrdinaryUser(const std::string& root) {
  if (::geteuid() != 0) return;
  ::lchown(root.c_str(), kNobody, kNobody);
  for (const auto& e : std::filesystem::recursive_directory_iterator(root))
    ::lchown(e.path().c_str(), kNobody, kNobody);
}

}  // namespace vtest
