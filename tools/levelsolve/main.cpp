// velkor_levelsolve: the level design loop.
//
//   velkor_levelsolve solve level.lvl level.doy out.solution [--seg N] [--nodes N]
//       searches a route (the source's "; route:" lines give cells to pass
//       first, in order; then every coin, nearest first, then the exit),
//       writes it as a harness script and checks it through the play loop.
//   velkor_levelsolve check level.doy script [trace.png]
//       plays the script through the play loop and prints the outcome;
//       with a PNG name also draws the level with the path taken.
//   velkor_levelsolve shot level.doy out.png
//       the level's preview at full size.
//   velkor_levelsolve sheet out.png a.doy b.doy ...
//       a contact sheet of level previews, ten to a row.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "play/harness.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "preview.h"
#include "search.h"

namespace {

bool LoadDoy(const std::string& path, play::LevelData& level) {
  std::vector<uint8_t> bytes;
  if (!plat::LoadFileBytes(path, bytes, 1 << 20)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  play::DecodeLevel(bytes, level);
  return true;
}

// Cells named by "; route: x,y x,y ..." comment lines of a level source.
std::vector<solve::Target> RouteHints(const std::string& lvlPath) {
  std::vector<solve::Target> out;
  std::ifstream in(lvlPath);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("map", 0) == 0) break;
    if (line.rfind("; route:", 0) != 0) continue;
    std::istringstream words(line.substr(8));
    std::string w;
    while (words >> w) {
      solve::Target t;
      if (std::sscanf(w.c_str(), "%d,%d", &t.i, &t.j) == 2) out.push_back(t);
    }
  }
  return out;
}

play::PlayRunResult Check(const play::LevelData& level, const play::PlayScript& script,
                          std::vector<std::pair<float, float>>* path) {
  play::PlayRunOptions opt;
  if (path)
    opt.onStep = [path] {
      if (play::Run.Player) path->push_back({play::Run.Player->x, play::Run.Player->y});
    };
  return play::RunPlayScript(level, script, opt);
}

int Solve(int argc, char** argv) {
  if (argc < 5) return 2;
  solve::SearchOptions opt;
  for (int i = 5; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--seg") opt.segmentSteps = std::atoi(argv[i + 1]);
    if (a == "--nodes") opt.maxNodes = std::atoi(argv[i + 1]);
    if (a == "--angles") opt.aimAngles = std::atoi(argv[i + 1]);
    if (a == "--cost") opt.stepCost = static_cast<float>(std::atof(argv[i + 1]));
  }
  play::LevelData data;
  if (!LoadDoy(argv[3], data)) return 2;
  solve::SimLevel level;
  solve::LoadSimLevel(data, level);
  std::vector<solve::Target> route = RouteHints(argv[2]);
  for (size_t k = 0; k < level.coins.size(); ++k) route.push_back({-1, 0});
  route.push_back({-2, 0});
  std::vector<solve::Segment> plan;
  std::string error;
  if (!solve::SolveRoute(level, route, opt, plan, error)) {
    std::fprintf(stderr, "no route: %s\n", error.c_str());
    std::ofstream(std::string(argv[4]) + ".partial") << solve::PlanToScript(plan);
    return 1;
  }
  const std::string text = solve::PlanToScript(plan);
  play::PlayScript script;
  if (!play::ParsePlayScript(text, script, error)) return 2;
  const play::PlayRunResult r = Check(data, script, nullptr);
  std::printf("%s\n", play::DescribeRun(r).c_str());
  std::ofstream(argv[4]) << text;
  return r.finished && r.deaths == 0 ? 0 : 1;
}

int CheckScript(int argc, char** argv) {
  if (argc < 4) return 2;
  play::LevelData data;
  if (!LoadDoy(argv[2], data)) return 2;
  play::PlayScript script;
  std::string error;
  if (!play::LoadPlayScript(argv[3], script, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::vector<std::pair<float, float>> path;
  const play::PlayRunResult r = Check(data, script, &path);
  std::printf("%s\n", play::DescribeRun(r).c_str());
  // With --trace, the figure's feet every 10 steps, for placing coins on a path.
  if (argc >= 6 && std::string(argv[5]) == "--trace")
    for (size_t k = 0; k < path.size(); k += 10) std::printf("%.1f %.1f\n", path[k].first, path[k].second);
  if (argc >= 5) solve::WritePng(solve::RenderLevel(data, 16, path), argv[4]);
  return r.finished && r.deaths == 0 ? 0 : 1;
}

// Plays a script through the search's light step, to compare with "check".
int SimScript(int argc, char** argv) {
  play::LevelData data;
  play::PlayScript script;
  std::string error;
  if (argc < 4 || !LoadDoy(argv[2], data) || !play::LoadPlayScript(argv[3], script, error)) return 2;
  solve::SimLevel level;
  solve::LoadSimLevel(data, level);
  solve::SimState s = solve::StartState(level);
  for (size_t k = 0; k < script.lines.size(); ++k) {
    const play::ScriptLine& l = script.lines[k];
    solve::Held h{l.left, l.right, l.jump, l.fire, l.rope, l.setAim, l.aimX, l.aimY};
    const int until = k + 1 < script.lines.size() ? script.lines[k + 1].step : script.limit;
    const bool alive = solve::RunSteps(level, s, h, until - l.step);
    std::printf("step %d x=%.1f y=%.1f vx=%.3f vy=%.3f %s\n", s.step, s.fig.x, s.fig.y, s.fig.vx,
                s.fig.vy, alive ? "" : "dead");
    if (!alive || s.finished) break;
  }
  return 0;
}

int Shot(int argc, char** argv) {
  play::LevelData data;
  if (argc < 4 || !LoadDoy(argv[2], data)) return 2;
  return solve::WritePng(solve::RenderLevel(data, 16), argv[3]) ? 0 : 1;
}

int Sheet(int argc, char** argv) {
  if (argc < 4) return 2;
  const int n = argc - 3, scale = 4, gap = 6, per = 10;
  const int cw = play::kLevelW * scale + gap, ch = play::kLevelH * scale + gap;
  solve::Image sheet(per * cw + gap, ((n + per - 1) / per) * ch + gap);
  for (int k = 0; k < n; ++k) {
    play::LevelData data;
    if (!LoadDoy(argv[3 + k], data)) continue;
    sheet.Blit(solve::RenderLevel(data, scale), gap + (k % per) * cw, gap + (k / per) * ch);
  }
  return solve::WritePng(sheet, argv[2]) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "solve") return Solve(argc, argv);
  if (cmd == "check") return CheckScript(argc, argv);
  if (cmd == "sim") return SimScript(argc, argv);
  if (cmd == "shot") return Shot(argc, argv);
  if (cmd == "sheet") return Sheet(argc, argv);
  std::fprintf(stderr, "usage: velkor_levelsolve solve|check|sheet ... (see main.cpp)\n");
  return 2;
}
