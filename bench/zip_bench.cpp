// Writing the archive of a full pack (51 level files, 51 replays, the records
// file) the way the pack export does, side by side in the same run with
// Info-ZIP's `zip -r` (default level 6) of the same files as the baseline.
// Prints the median times and the archive sizes, each as a ratio to zip's.
//
// Then reading every member into memory, of that archive, of one eight
// times larger (the pack under eight names) and of one with 70,000 small
// members (written by Python's zipfile: ours stops at 65,535), beside
// Python's zipfile reading the same archives in turn with it, as the
// baseline.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/builtin_levels.h"
#include "platform/files.h"
#include "play/replayfile.h"
#include "zip/zipfile.h"

namespace fs = std::filesystem;

namespace {

const std::string kPack = "mine";

// A run of a few hundred input changes along a path that moves and swings
// like a played level.
std::vector<uint8_t> SomeReplay(int level) {
  std::vector<play::ReplayEvent> events;
  uint32_t seed = 1234567u * static_cast<uint32_t>(level + 1);
  auto next = [&seed](int range) { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % range; };
  play::ReplayEvent e;
  e.x = 40.0f;
  e.y = 500.0f;
  for (int i = 0; i < 150 + 6 * level; ++i) {
    e.step += 4 + next(90);
    e.vx = static_cast<float>(next(600) - 300) / 100.0f;
    e.vy = static_cast<float>(next(1000) - 700) / 100.0f;
    e.x = std::clamp(e.x + e.vx * 17.0f, 8.0f, 792.0f);
    e.y = std::clamp(e.y + e.vy * 11.0f, 8.0f, 568.0f);
    const bool hooked = next(4) == 0;
    e.hookX = hooked ? e.x + static_cast<float>(next(200)) : 0.0f;
    e.hookY = hooked ? e.y - static_cast<float>(next(200)) : 0.0f;
    e.aimX = static_cast<int32_t>(e.x) + next(100);
    e.aimY = static_cast<int32_t>(e.y) - next(100);
    e.changedLeft = next(3) == 0, e.changedRight = next(3) == 0, e.changedJump = next(4) == 0;
    e.changedFire = next(8) == 0, e.changedRope = hooked;
    events.push_back(e);
  }
  return play::EncodeReplay(e.step * 2 + 1000, events);
}

std::vector<uint8_t> SomeRecords() {
  plat::MemoryStream out;
  for (int i = 0; i < 51 * 5; ++i) out.WriteInt(i % 7 < 3 ? 20000 + 977 * i : 0x540BE3FF);
  for (int i = 0; i < 51 * 5; ++i) out.WriteLine(i % 7 < 3 ? "Runner " + std::to_string(i % 11) : "PLAY ME!");
  return out.Bytes();
}

// The members in the export's order, by their names in the archive.
std::vector<std::string> MakePack() {
  assets::RegisterBuiltinLevelFiles();
  fs::create_directories(kPack + "/levels");
  fs::create_directories(kPack + "/replays");
  std::vector<std::string> members;
  for (int n = 0; n <= 50; ++n) {
    std::vector<uint8_t> level;
    plat::LoadFileBytes("incbin::" + std::to_string(n) + ".doy", level);
    plat::SaveFileSafely(kPack + "/levels/" + std::to_string(n) + ".doy", level);
    members.push_back(kPack + "\\levels\\" + std::to_string(n) + ".doy");
  }
  for (int n = 0; n <= 50; ++n) {
    plat::SaveFileSafely(kPack + "/replays/" + std::to_string(n) + ".doyplay", SomeReplay(n));
    members.push_back(kPack + "\\replays\\" + std::to_string(n) + ".doyplay");
  }
  plat::SaveFileSafely(kPack + "/scores.dat", SomeRecords());
  members.push_back(kPack + "\\scores.dat");
  return members;
}

double Millis(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Opens the archive and reads every member it lists; the bytes read, or -1
// when a member cannot be read.
int64_t ReadWhole(const std::string& archive) {
  zip::ZipReader r;
  if (r.openZip(archive) != 1) return -1;
  int64_t bytes = 0;
  for (int i = 0; i < r.getFileCount(); ++i) {
    const auto member = r.extractFile(r.getFileInfo(i).fullName, 1, "");
    if (!member) return -1;
    bytes += member->Size();
  }
  return bytes;
}

// The baseline: the median of `runs` whole reads in milliseconds, and the
// bytes read, timed inside Python so that its start-up is not counted.
const char kPythonRead[] = R"(
import statistics, sys, time, zipfile
path, runs = sys.argv[1], int(sys.argv[2])
times = []
for _ in range(runs):
    t = time.perf_counter()
    with zipfile.ZipFile(path) as z:
        total = sum(len(z.read(n)) for n in z.namelist())
    times.append(time.perf_counter() - t)
print('%.4f %d' % (1000 * statistics.median(times), total))
)";

struct ReadFigures {
  double oursMs = 0, pythonMs = 0;
};

// Rounds of `runs` reads by each in turn; the medians over the rounds.
ReadFigures TimeReading(const std::string& archive, int rounds, int runs) {
  std::vector<double> ours, python;
  for (int round = 0; round < rounds; ++round) {
    std::vector<double> times;
    int64_t bytes = 0;
    for (int r = 0; r < runs; ++r) {
      const auto t0 = std::chrono::steady_clock::now();
      bytes = ReadWhole(archive);
      times.push_back(Millis(t0));
    }
    ours.push_back(Median(times));
    FILE* p = popen(("python3 read.py " + archive + " " + std::to_string(runs)).c_str(), "r");
    double ms = 0;
    long long pythonBytes = -2;
    if (!p || std::fscanf(p, "%lf %lld", &ms, &pythonBytes) != 2 || pythonBytes != bytes) {
      std::printf("reading %s failed (ours %lld bytes, Python's %lld)\n", archive.c_str(),
                  static_cast<long long>(bytes), pythonBytes);
      std::exit(1);
    }
    pclose(p);
    python.push_back(ms);
  }
  return {Median(ours), Median(python)};
}

// Writes the archive through the engine: each disk file under each prefix.
bool WriteArchive(const std::string& archive, const std::vector<std::string>& members,
                  const std::vector<std::string>& prefixes) {
  zip::ZipWriter w;
  bool ok = w.openZip(archive, 0) == 1;
  for (const auto& prefix : prefixes)
    for (const auto& m : members) ok = w.addFile(m, prefix + m, "") == 0 && ok;
  return w.closeZip("") == 0 && ok;
}

// 70,000 members of a few hundred bytes each, past the count our writer
// keeps to, so with a Zip64 end record.
const char kPythonWriteMany[] = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for i in range(70000):
        text = 'member %d: ' % i
        while len(text) < 200 + i % 300:
            text += '%d ' % (i * 7919 % 10007)
        z.writestr('many\\%d\\%d.txt' % (i // 1000, i), text)
)";

bool WriteManyMembers(const std::string& archive) {
  FILE* script = std::fopen("write_many.py", "w");
  if (!script) return false;
  std::fputs(kPythonWriteMany, script);
  std::fclose(script);
  return std::system(("python3 write_many.py " + archive).c_str()) == 0;
}

}  // namespace

int main() {
  if (std::system("command -v zip >/dev/null 2>&1") != 0) {
    std::printf("zip (Info-ZIP) is not installed: no baseline\n");
    return 1;
  }
  char tmpl[] = "/tmp/velkor-zipbench-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  fs::current_path(dir);
  const std::vector<std::string> members = MakePack();
  int64_t input = 0;
  for (const auto& m : members) input += plat::FileSize(m);

  const int runs = 21;
  std::vector<double> ours, theirs;
  for (int r = 0; r < runs; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    zip::ZipWriter w;
    bool ok = w.openZip(kPack + ".zip", 0) == 1;
    for (const auto& m : members) ok = w.addFile(m, "") == 0 && ok;
    ok = w.closeZip("") == 0 && ok;
    ours.push_back(Millis(t0));

    fs::remove("zipr.zip");
    t0 = std::chrono::steady_clock::now();
    ok = std::system(("zip -q -r -6 zipr.zip " + kPack).c_str()) == 0 && ok;
    theirs.push_back(Millis(t0));
    if (!ok) {
      std::printf("writing failed\n");
      return 1;
    }
  }
  const double oursMs = Median(ours), zipMs = Median(theirs);
  const int64_t oursBytes = plat::FileSize(kPack + ".zip"), zipBytes = plat::FileSize("zipr.zip");
  std::printf("pack: %zu files, %lld bytes; median of %d runs\n", members.size(),
              static_cast<long long>(input), runs);
  std::printf("%-22s %9s %9s %11s %9s\n", "", "time ms", "vs zip", "bytes", "vs zip");
  std::printf("%-22s %9.2f %9.2f %11lld %9.3f\n", "ZipWriter (level -1)", oursMs, oursMs / zipMs,
              static_cast<long long>(oursBytes), static_cast<double>(oursBytes) / zipBytes);
  std::printf("%-22s %9.2f %9.2f %11lld %9.3f\n", "zip -r -6 (baseline)", zipMs, 1.0,
              static_cast<long long>(zipBytes), 1.0);

  if (std::system("command -v python3 >/dev/null 2>&1") != 0) {
    std::printf("python3 is not installed: no reading baseline\n");
    return 1;
  }
  FILE* script = std::fopen("read.py", "w");
  std::fputs(kPythonRead, script);
  std::fclose(script);
  std::vector<std::string> eight;
  for (int k = 0; k < 8; ++k) eight.push_back("copy" + std::to_string(k) + "\\");
  if (!WriteArchive("pack8.zip", members, eight) || !WriteManyMembers("many.zip")) {
    std::printf("writing the archives to read failed\n");
    return 1;
  }
  struct Case {
    const char* what;
    std::string archive;
    int rounds, runs;
  } cases[] = {{"pack", kPack + ".zip", 7, 15}, {"pack x8", "pack8.zip", 7, 5}, {"70,000 members", "many.zip", 3, 1}};
  std::printf("\nreading every member into memory; median of the rounds, each the median of its runs\n");
  std::printf("%-16s %8s %10s %8s %12s %8s\n", "archive", "members", "ours ms", "vs pack", "Python ms", "ratio");
  double packMs = 0;
  for (const Case& c : cases) {
    zip::ZipReader r;
    r.openZip(c.archive);
    const int count = r.getFileCount();
    r.closeZip();
    const ReadFigures f = TimeReading(c.archive, c.rounds, c.runs);
    if (packMs == 0) packMs = f.oursMs;
    std::printf("%-16s %8d %10.2f %8.2f %12.2f %8.2f\n", c.what, count, f.oursMs, f.oursMs / packMs, f.pythonMs,
                f.oursMs / f.pythonMs);
  }
  fs::current_path("/");
  fs::remove_all(dir);
  return 0;
}
