// INI files of 100 sections with 100 parameters each: load, look every
// parameter up by name, sort, save; beside Python's configparser reading,
// looking up and writing the same file in the same run, as the baseline.
// Saving waits for the disk (fsync) so that a crash cannot cut the file,
// which configparser's write does not: the wait is shown apart, beside an
// fsync of configparser's file, and the totals are given with and without.
//
// Then files of 100 MiB, each loaded in a process of its own: the load time
// and the peak memory the load added, as a multiple of the file's size, for
// files of that usual shape, for one line of double quotes (a value every
// two bytes), and for the shortest lines a parameter or a section can take;
// configparser loads the first two in the same run (the short-line files
// would keep it busy for minutes).
//
// Last, the save of the 100 MiB file of the usual shape, in a process of its
// own after the load: its time and the peak memory it added to the load's,
// beside a plain writer of the same bytes (a loop of write calls and an
// fsync, the bytes already in memory) in another process of the same run.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ini/ini.h"

namespace {

constexpr int kSections = 100, kParams = 100, kRuns = 15;

using Clock = std::chrono::steady_clock;
double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

std::string Name(const char* stem, int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%03d", stem, i);
  return buf;
}
std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Sections and parameters in a scrambled order, so sorting has work to do;
// every seventh parameter carries a comment.
std::string MakeFile() {
  std::string text = "; benchmark settings\r\n";
  for (int s = 0; s < kSections; ++s) {
    text += "[" + Name("Section", (s * 37) % kSections) + "]\r\n";
    for (int p = 0; p < kParams; ++p) {
      const int k = (p * 61 + s) % kParams;
      text += Name("Key", k) + "=\"value " + std::to_string(s * kParams + k) + "\"";
      if (k % 7 == 0) text += "\t;note " + std::to_string(k);
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

const char kPython[] = R"(
import configparser, os, statistics, sys, time
src, out, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
names = [('Section%03d' % s, ['Key%03d' % k for k in range(100)]) for s in range(100)]
phases = {'read': [], 'lookup': [], 'write': [], 'fsync': []}
for _ in range(runs):
    t = time.perf_counter()
    cp = configparser.ConfigParser(interpolation=None, comment_prefixes=(';',),
                                   inline_comment_prefixes=(';',))
    cp.optionxform = str
    cp.read(src, encoding='latin-1')
    phases['read'].append(time.perf_counter() - t)
    t = time.perf_counter()
    total = 0
    for s, keys in names:
        for k in keys:
            total += len(cp.get(s, k))
    phases['lookup'].append(time.perf_counter() - t)
    assert total > 0
    t = time.perf_counter()
    with open(out, 'w', encoding='latin-1') as f:
        cp.write(f)
    phases['write'].append(time.perf_counter() - t)
    t = time.perf_counter()
    fd = os.open(out, os.O_RDONLY)
    os.fsync(fd)
    os.close(fd)
    phases['fsync'].append(time.perf_counter() - t)
print(' '.join('%.4f' % (1000 * statistics.median(phases[p])) for p in ('read', 'lookup', 'write', 'fsync')))
)";

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// --- large files ------------------------------------------------------------

constexpr size_t kLargeBytes = size_t{100} << 20;
constexpr int kLargeRuns = 3;

// Four characters, distinct for the first 16.7 million numbers.
std::string Short(size_t i) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-";
  std::string s(4, 'A');
  for (int k = 3; k >= 0; --k, i /= 64) s[k] = kChars[i % 64];
  return s;
}

std::string UsualShape() {
  std::string text;
  for (int s = 0; text.size() < kLargeBytes; ++s) {
    text += "[" + Name("Section", s) + "]\r\n";
    for (int p = 0; p < kParams; ++p) {
      text += Name("Key", p) + "=\"value " + std::to_string(s * kParams + p) + "\"";
      if (p % 7 == 0) text += "\t;note " + std::to_string(p);
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}
std::string Quotes() { return "[s]\nk=" + std::string(kLargeBytes - 8, '"') + "\n"; }
std::string ShortParameters() {
  std::string text = "[s]\n";
  for (size_t i = 0; text.size() < kLargeBytes; ++i) text += Short(i) + "=\n";
  return text;
}
std::string ShortSections() {
  std::string text;
  for (size_t i = 0; text.size() < kLargeBytes; ++i) text += "[" + Short(i) + "]\n";
  return text;
}
std::string ShortSectionsWithAParameter() {
  std::string text;
  for (size_t i = 0; text.size() < kLargeBytes; ++i) text += "[" + Short(i) + "]\nk=\"1\"\n";
  return text;
}

long StatusKib(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string word;
  while (in >> word)
    if (word == key) {
      long kib = 0;
      in >> kib;
      return kib;
    }
  return 0;
}

// The child's side: "loaded ms peak-before-KiB peak-after-KiB".
int LoadOnly(const char* path) {
  const long before = StatusKib("VmHWM:");
  const auto t = Clock::now();
  ini::TINIFile file(Wide(path));
  const int loaded = file.Load();
  const double ms = MsSince(t);
  std::printf("%d %.3f %ld %ld\n", loaded, ms, before, StatusKib("VmHWM:"));
  return 0;
}

// The child's side: "saved ms peak-after-load-KiB peak-after-save-KiB".
int SaveOnly(const char* src, const char* out) {
  ini::TINIFile file(Wide(src));
  if (!file.Load()) return 1;
  file.SetFilename(Wide(out));
  const long before = StatusKib("VmHWM:");
  const auto t = Clock::now();
  const int saved = file.Save(0);
  const double ms = MsSince(t);
  std::printf("%d %.3f %ld %ld\n", saved, ms, before, StatusKib("VmHWM:"));
  return 0;
}

// The same bytes, held whole before the clock starts, written by the
// plainest loop and made durable.
int PlainWrite(const char* src, const char* out) {
  std::ifstream in(src, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const long before = StatusKib("VmHWM:");
  const auto t = Clock::now();
  const int fd = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  bool ok = fd >= 0;
  for (size_t at = 0; ok && at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, std::min<size_t>(bytes.size() - at, size_t{256} << 10));
    ok = n > 0;
    at += ok ? static_cast<size_t>(n) : 0;
  }
  ok = ok && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  const double ms = MsSince(t);
  std::printf("%d %.3f %ld %ld\n", ok ? 1 : 0, ms, before, StatusKib("VmHWM:"));
  return 0;
}

const char kPythonLoad[] = R"(
import configparser, resource, sys, time
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
t = time.perf_counter()
cp = configparser.ConfigParser(interpolation=None, comment_prefixes=(';',),
                               inline_comment_prefixes=(';',), strict=False)
cp.optionxform = str
cp.read(sys.argv[1], encoding='latin-1')
ms = 1000 * (time.perf_counter() - t)
print(1 if cp.sections() else 0, '%.3f' % ms, before, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
)";

struct LoadFigures {
  bool ok = false;
  double ms = 0, addedMib = 0;
};

LoadFigures RunLoad(const std::string& cmd) {
  LoadFigures f;
  FILE* pipe = popen(cmd.c_str(), "r");
  int loaded = 0;
  long before = 0, after = 0;
  f.ok = pipe && std::fscanf(pipe, "%d %lf %ld %ld", &loaded, &f.ms, &before, &after) == 4 && loaded == 1;
  if (pipe) pclose(pipe);
  f.addedMib = static_cast<double>(after - before) / 1024.0;
  return f;
}

void LargeFiles(const std::string& dir) {
  struct Shape {
    const char* label;
    std::string (*make)();
    bool python;
  } shapes[] = {
      {"usual lines", UsualShape, true},
      {"one line of quotes", Quotes, true},
      {"lines \"xxxx=\"", ShortParameters, false},
      {"lines \"[xxxx]\"", ShortSections, false},
      {"\"[xxxx]\" + \"k=\"1\"\"", ShortSectionsWithAParameter, false},
  };
  const std::string file = dir + "/large.ini", self = "/proc/" + std::to_string(getpid()) + "/exe";
  std::ofstream(dir + "/load.py") << kPythonLoad;
  std::printf("\n100 MiB files, each load in a process of its own; medians of %d runs, interleaved;\n"
              "memory: the peak resident size the load added, and that as a multiple of the file\n",
              kLargeRuns);
  std::printf("%-26s %9s %9s %6s %12s %9s %6s %7s %7s\n", "file", "ini ms", "ini MiB", "x file",
              "configp. ms", "cp. MiB", "x file", "time", "memory");
  for (const Shape& shape : shapes) {
    const std::string text = shape.make();
    std::ofstream(file, std::ios::binary) << text;
    const double mib = static_cast<double>(text.size()) / (1 << 20);
    std::vector<double> oursMs, oursMib, pyMs, pyMib;
    bool ok = true, pyOk = shape.python;
    for (int run = 0; run < kLargeRuns; ++run) {
      const LoadFigures ours = RunLoad(self + " --load " + file);
      ok = ok && ours.ok;
      oursMs.push_back(ours.ms);
      oursMib.push_back(ours.addedMib);
      if (!shape.python) continue;
      const LoadFigures py = RunLoad("python3 " + dir + "/load.py " + file);
      pyOk = pyOk && py.ok;
      pyMs.push_back(py.ms);
      pyMib.push_back(py.addedMib);
    }
    if (!ok) {
      std::printf("%-26s not loaded\n", shape.label);
      continue;
    }
    const double ms = Median(oursMs), added = Median(oursMib);
    if (pyOk) {
      const double bms = Median(pyMs), badded = Median(pyMib);
      std::printf("%-26s %9.0f %9.0f %5.2fx %12.0f %9.0f %5.2fx %6.1fx %6.1fx\n", shape.label, ms, added,
                  added / mib, bms, badded, badded / mib, bms / ms, badded / added);
    } else {
      std::printf("%-26s %9.0f %9.0f %5.2fx %12s %9s %6s %7s %7s\n", shape.label, ms, added, added / mib, "-",
                  "-", "-", "-", "-");
    }
  }
  std::filesystem::remove(file);
}

void LargeSave(const std::string& dir) {
  const std::string file = dir + "/large.ini", out = dir + "/saved.ini",
                    self = "/proc/" + std::to_string(getpid()) + "/exe";
  std::ofstream(file, std::ios::binary) << UsualShape();
  std::vector<double> saveMs, saveMib, plainMs;
  bool ok = true;
  for (int run = 0; run < kLargeRuns; ++run) {
    // A new file each time, as an unchanged one would not be written again.
    std::filesystem::remove(out);
    const LoadFigures save = RunLoad(self + " --save " + file + " " + out);
    std::filesystem::remove(out);
    const LoadFigures plain = RunLoad(self + " --plain " + file + " " + out);
    ok = ok && save.ok && plain.ok;
    saveMs.push_back(save.ms);
    saveMib.push_back(save.addedMib);
    plainMs.push_back(plain.ms);
  }
  std::filesystem::remove(out);
  std::filesystem::remove(file);
  std::printf("\nsaving the 100 MiB file of usual lines, each in a process of its own after its load;\n"
              "medians of %d runs, interleaved; memory: the peak resident size the save added\n",
              kLargeRuns);
  if (!ok) {
    std::printf("not saved\n");
    return;
  }
  const double ms = Median(saveMs), plain = Median(plainMs);
  std::printf("%-26s %9s %9s %14s %7s\n", "file", "save ms", "save MiB", "plain write ms", "time");
  std::printf("%-26s %9.0f %9.1f %14.0f %6.2fx\n", "usual lines", ms, Median(saveMib), plain, ms / plain);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--load") return LoadOnly(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--save") return SaveOnly(argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "--plain") return PlainWrite(argv[2], argv[3]);
  char tmpl[] = "/tmp/velkor-ini-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  const std::string src = dir + "/settings.ini", out = dir + "/saved.ini";
  const std::string text = MakeFile();
  std::ofstream(src, std::ios::binary) << text;
  std::ofstream(dir + "/baseline.py") << kPython;

  std::vector<std::u16string> sections, params;
  for (int i = 0; i < kSections; ++i) sections.push_back(Wide(Name("Section", i)));
  for (int i = 0; i < kParams; ++i) params.push_back(Wide(Name("Key", i)));

  std::vector<double> load, lookup, sort, format, sync;
  for (int run = 0; run < kRuns; ++run) {
    std::filesystem::remove(out);  // an unchanged file would not be written again
    ini::TINIFile file(Wide(src));
    auto t = Clock::now();
    if (!file.Load()) return 1;
    load.push_back(MsSince(t));
    t = Clock::now();
    size_t total = 0;
    for (const auto& s : sections)
      for (const auto& p : params) total += file.GetValue(s, p, u"").size();
    lookup.push_back(MsSince(t));
    if (total == 0) return 1;
    t = Clock::now();
    file.Sort();
    sort.push_back(MsSince(t));
    file.SetFilename(Wide(out));
    t = Clock::now();
    if (ini::WriteIniText(file, false).size() != text.size()) return 1;
    format.push_back(MsSince(t));
    t = Clock::now();
    if (!file.Save(0)) return 1;
    sync.push_back(std::max(0.0, MsSince(t) - format.back()));
  }

  double py[4] = {0, 0, 0, 0};
  const std::string cmd = "python3 " + dir + "/baseline.py " + src + " " + dir + "/py.ini " +
                          std::to_string(kRuns);
  FILE* pipe = popen(cmd.c_str(), "r");
  const bool havePython =
      pipe && std::fscanf(pipe, "%lf %lf %lf %lf", &py[0], &py[1], &py[2], &py[3]) == 4;
  if (pipe) pclose(pipe);

  struct Row {
    const char* label;
    double ours;
    int pyPhase;  // -1: none
  };
  const Row rows[] = {
      {"load / read", Median(load), 0},
      {"look up all 10000", Median(lookup), 1},
      {"sort", Median(sort), -1},
      {"save: lines / write", Median(format), 2},
      {"save: disk wait / fsync", Median(sync), 3},
  };
  std::printf("INI file: %d sections x %d parameters, %zu bytes; medians of %d runs\n", kSections,
              kParams, text.size(), kRuns);
  std::printf("%-26s %9s %16s %8s\n", "phase", "ini ms", "configparser ms", "ratio");
  double ours = 0, base = 0, oursNoSync = 0, baseNoSync = 0;
  for (const Row& r : rows) {
    const double b = r.pyPhase >= 0 ? py[r.pyPhase] : 0;
    ours += r.ours;
    base += b;
    if (r.pyPhase != 3) {
      oursNoSync += r.ours;
      baseNoSync += b;
    }
    if (r.pyPhase >= 0 && havePython) {
      std::printf("%-26s %9.3f %16.3f %7.1fx\n", r.label, r.ours, b, b / r.ours);
    } else {
      std::printf("%-26s %9.3f %16s %8s\n", r.label, r.ours, "-", "-");
    }
  }
  if (!havePython) {
    std::printf("python3 did not run: no baseline\n");
  } else {
    std::printf("%-26s %9.3f %16.3f %7.1fx\n", "total", ours, base, base / ours);
    std::printf("%-26s %9.3f %16.3f %7.1fx\n", "total without disk waits", oursNoSync, baseNoSync,
                baseNoSync / oursNoSync);
  }
  LargeFiles(dir);
  LargeSave(dir);
  std::filesystem::remove_all(dir);
  return 0;
}
