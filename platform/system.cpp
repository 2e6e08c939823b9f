#include "platform/system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace plat {

namespace {

struct SystemState {
  std::vector<std::string> ProgramArgs;
  std::string ProgramDir;
  std::function<void(int)> EndHandler;
};

SystemState& State() {
  static SystemState state;
  return state;
}

std::string ParentDir(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder of the running program: /proc/self/exe, else argv[0].
std::string FindProgramDir(const char* argv0) {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n > 0) return ParentDir(std::string(buf.data(), static_cast<size_t>(n)));
  if (argv0) {
    if (char* real = ::realpath(argv0, nullptr)) {
      std::string dir = ParentDir(real);
      std::free(real);
      return dir;
    }
  }
  return CurrentDir();
}

}  // namespace

void InitProcess(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
  State().ProgramArgs = std::move(args);
  std::string dir = FindProgramDir(argc > 0 ? argv[0] : nullptr);
  if (!dir.empty() && ::chdir(dir.c_str()) == 0) {
    State().ProgramDir = dir;
  } else {
    State().ProgramDir = CurrentDir();
  }
}

const std::string& ProgramDir() { return State().ProgramDir; }
const std::vector<std::string>& ProgramArgs() { return State().ProgramArgs; }
void SetProgramArgs(const std::vector<std::string>& args) { State().ProgramArgs = args; }
void SetProgramDir(const std::string& dir) { State().ProgramDir = dir; }

void SetEndProgramHandler(std::function<void(int)> handler) {
  State().EndHandler = std::move(handler);
}

void EndProgram(int code) {
  if (State().EndHandler) State().EndHandler(code);
  std::fflush(nullptr);
  std::exit(code);
}

void RuntimeError(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  EndProgram(-1);
}

// ---------------------------------------------------------------------------
// Shared libraries

void* LoadLibrary(const std::string& fileName) {
  if (fileName.empty()) return nullptr;
  std::string path = fileName;
  if (path[0] != '/') {
    // Always a path with a slash, so dlopen never searches the system folders.
    const std::string& dir = ProgramDir();
    path = (dir.empty() ? std::string(".") : dir) + "/" + fileName;
  }
  return ::dlopen(ResolvePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* LibrarySymbol(void* lib, const std::string& name) {
  return lib ? ::dlsym(lib, name.c_str()) : nullptr;
}

void FreeLibrary(void* lib) {
  if (lib) ::dlclose(lib);
}

// ---------------------------------------------------------------------------
// Browser

namespace {

// The executable that execvp would run, looked up before forking so that the
// child does nothing but async-signal-safe calls.
std::string FindOnPath(const std::string& name) {
  const char* env = std::getenv("PATH");
  std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string dir = path.substr(start, end - start);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    struct stat st;
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

}  // namespace

bool OpenURL(const std::string& url) {
  const std::string opener = FindOnPath("xdg-open");
  if (opener.empty() || url.empty()) return false;
  std::vector<char> a0(opener.begin(), opener.end()), a1(url.begin(), url.end());
  a0.push_back('\0');
  a1.push_back('\0');
  char* const argv[] = {a0.data(), a1.data(), nullptr};

  // The exec result comes back through a close-on-exec pipe: closed unread
  // when the exec succeeded, an errno value when it did not.
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return false;
  }
  if (child == 0) {
    // The middle process exits at once; the opener is adopted by init, so
    // neither a wait for the browser nor a zombie is left with us.
    ::close(pipefd[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      int devnull = ::open("/dev/null", O_RDONLY);
      if (devnull >= 0) ::dup2(devnull, 0);
      ::execv(argv[0], argv);
      int err = errno;
      ssize_t ignored = ::write(pipefd[1], &err, sizeof err);
      (void)ignored;
      ::_exit(127);
    }
    if (grandchild < 0) {
      int err = errno;
      ssize_t ignored = ::write(pipefd[1], &err, sizeof err);
      (void)ignored;
    }
    ::_exit(0);
  }
  ::close(pipefd[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int err = 0;
  ssize_t n;
  while ((n = ::read(pipefd[0], &err, sizeof err)) < 0 && errno == EINTR) {
  }
  ::close(pipefd[0]);
  return n == 0;
}

}  // namespace plat
