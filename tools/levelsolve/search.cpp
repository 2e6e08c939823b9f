#include "search.h"

#include <cmath>
#include <cstdio>
#include <queue>
#include <unordered_set>

namespace solve {

namespace {

struct Node {
  SimState s;
  int parent;
  Segment seg;
};

// "Any coin" is done when one more coin than at the search's start is taken,
// or all of them are.
bool TargetDone(const SimLevel& level, const SimState& s, const Target& t, int startCoins) {
  if (t.i == -2) return s.finished;
  if (t.i == -1) {
    const int n = __builtin_popcountll(s.coinsTaken);
    return n > startCoins || n == static_cast<int>(level.coins.size());
  }
  return FigureMeetsCell(s.fig, t.i, t.j);
}

float DistTo(float x, float y, float cx, float cy) {
  return std::hypot(x - cx, y - cy);
}

float Distance(const SimLevel& level, const SimState& s, const Target& t) {
  const float x = s.fig.x, y = s.fig.y - 8;
  if (t.i >= 0) return DistTo(x, y, 16.0f * t.i + 8, 16.0f * t.j + 8);
  if (t.i == -1) {
    float best = 1e9f;
    for (size_t k = 0; k < level.coins.size(); ++k)
      if (!(s.coinsTaken >> k & 1))
        best = std::fmin(best, DistTo(x, y, level.coins[k].x + 8.0f, level.coins[k].y + 8.0f));
    return best;
  }
  return DistTo(x, y, level.exitX + 8, level.exitY + 8);
}

uint64_t Mix(uint64_t h, int64_t v) {
  h ^= static_cast<uint64_t>(v) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
  return h;
}

uint64_t StateKey(const SimState& s) {
  const SimFigure& f = s.fig;
  uint64_t h = s.coinsTaken;
  h = Mix(h, std::lround(f.x / 2));
  h = Mix(h, std::lround(f.y / 2));
  h = Mix(h, std::lround(f.vx * 25));
  h = Mix(h, std::lround(f.vy * 25));
  h = Mix(h, f.colour);
  h = Mix(h, f.ropeState);
  if (f.ropeState != 0) {
    h = Mix(h, std::lround(f.hookX / 12));
    h = Mix(h, std::lround(f.hookY / 12));
  }
  const int sinceShot = s.step - f.lastShotStep;
  h = Mix(h, sinceShot > 40 ? 5 : sinceShot / 10);
  return h;
}

// Aim point for a direction a (degrees, (sin a, cos a) the unit vector).
void AimAt(const SimState& s, float a, Held& h) {
  const float r = a * 3.14159265f / 180.0f;
  h.setAim = true;
  h.aimX = static_cast<int>(std::lround(s.fig.x + 300 * std::sin(r)));
  h.aimY = static_cast<int>(std::lround(s.fig.y - 8 + 300 * std::cos(r)));
}

std::vector<Held> Moves() {
  std::vector<Held> m(6);
  m[1].left = 1;
  m[2].right = 1;
  m[3].jump = 1;
  m[4].left = m[4].jump = 1;
  m[5].right = m[5].jump = 1;
  return m;
}

// Inputs tried from a state: moves alone, and with the rope or the gun in
// a spread of directions when the level allows them.
std::vector<Held> Actions(const SimLevel& level, const SimState& s, const SearchOptions& opt) {
  std::vector<Held> out = Moves();
  if (level.data.AllowMovement != 1) out.resize(1);
  const std::vector<Held> base = out;
  if (level.data.AllowRope == 1) {
    const bool thrown = s.fig.ropeState == play::kRopeFlying || s.fig.ropeState == play::kRopeAttached;
    for (Held h : base) {
      h.rope = 1;
      if (thrown) {
        out.push_back(h);
        continue;
      }
      if (s.fig.ropeState != play::kRopeIdle) continue;
      for (int k = 0; k < opt.aimAngles; ++k) {
        const float a = 90.0f + 180.0f * k / (opt.aimAngles - 1);  // right, up, left
        Held r = h;
        AimAt(s, a, r);
        out.push_back(r);
      }
    }
  }
  if (level.data.AllowShooting == 1 && s.step - s.fig.lastShotStep > 40 - opt.segmentSteps) {
    for (Held h : base) {
      if (h.jump) continue;
      h.fire = 1;
      for (int k = 0; k < opt.aimAngles; ++k) {
        Held f = h;
        AimAt(s, 360.0f * k / opt.aimAngles, f);
        out.push_back(f);
      }
    }
  }
  return out;
}

struct QItem {
  float score;
  int node;
  bool operator<(const QItem& o) const { return score > o.score; }
};

// Moves the node's target index past every target it has reached.
int Advance(const SimLevel& level, const std::vector<Target>& route, const SimState& s, int idx,
            int& coinsAtIdx) {
  while (idx < static_cast<int>(route.size()) && TargetDone(level, s, route[idx], coinsAtIdx)) {
    ++idx;
    coinsAtIdx = __builtin_popcountll(s.coinsTaken);
  }
  return idx;
}

struct RouteNode {
  Node n;
  int target;
  int coinsAtTarget;  // coins taken when this target became current
};

}  // namespace

// One best-first search over the whole route, so that a target reached in a
// doomed state (in mid-air over a pit) can be reached again another way.
bool SolveRoute(const SimLevel& level, const std::vector<Target>& route,
                const SearchOptions& opt, std::vector<Segment>& plan, std::string& error) {
  std::vector<RouteNode> nodes;
  const SimState start = StartState(level);
  int coins0 = 0;
  nodes.push_back({{start, -1, {}}, Advance(level, route, start, 0, coins0), coins0});
  std::priority_queue<QItem> open;
  std::unordered_set<uint64_t> seen;
  open.push({0, 0});
  const int total = static_cast<int>(route.size());
  int bestTarget = 0, bestNode = 0;
  float bestScore = 1e30f;
  while (!open.empty() && static_cast<int>(nodes.size()) < opt.maxNodes) {
    const int cur = open.top().node;
    open.pop();
    const SimState from = nodes[cur].n.s;
    const int fromTarget = nodes[cur].target;
    for (const Held& h : Actions(level, from, opt)) {
      SimState s = from;
      if (!RunSteps(level, s, h, opt.segmentSteps)) continue;
      int coinsAt = nodes[cur].coinsAtTarget;
      const int t = Advance(level, route, s, fromTarget, coinsAt);
      if (!seen.insert(StateKey(s) * 31 + t).second) continue;
      nodes.push_back({{s, cur, {h, s.step - from.step}}, t, coinsAt});
      const int id = static_cast<int>(nodes.size()) - 1;
      if (t > bestTarget) {
        bestTarget = t;
        std::fprintf(stderr, "  target %d reached at step %d (x=%.0f y=%.0f), %zu nodes\n", t,
                     s.step, s.fig.x, s.fig.y, nodes.size());
      }
      if (t == total) {
        std::vector<Segment> tail;
        for (int n = id; nodes[n].n.parent >= 0; n = nodes[n].n.parent)
          tail.push_back(nodes[n].n.seg);
        plan.insert(plan.end(), tail.rbegin(), tail.rend());
        return true;
      }
      const float score = (total - t) * 2000.0f + Distance(level, s, route[t]) +
                          opt.stepCost * s.step;
      open.push({score, id});
      if (score < bestScore) bestScore = score, bestNode = id;
    }
  }
  // The best partial route, to look at where it got stuck.
  std::vector<Segment> tail;
  for (int n = bestNode; nodes[n].n.parent >= 0; n = nodes[n].n.parent) tail.push_back(nodes[n].n.seg);
  plan.insert(plan.end(), tail.rbegin(), tail.rend());
  error = "stuck before target " + std::to_string(bestTarget + 1) + " of " +
          std::to_string(total) + " after " + std::to_string(nodes.size()) + " nodes";
  return false;
}

std::string PlanToScript(const std::vector<Segment>& plan) {
  std::string out;
  int step = 1;
  Held last;
  bool first = true;
  int lastAimX = 400, lastAimY = 300;
  for (const Segment& g : plan) {
    const Held& h = g.in;
    const bool aimChanges = h.setAim && (h.aimX != lastAimX || h.aimY != lastAimY);
    const bool same = !first && h.left == last.left && h.right == last.right &&
                      h.jump == last.jump && h.fire == last.fire && h.rope == last.rope;
    if (!same || aimChanges) {
      std::string line = std::to_string(step);
      if (h.left) line += " left";
      if (h.right) line += " right";
      if (h.jump) line += " jump";
      if (h.fire) line += " fire";
      if (h.rope) line += " rope";
      if (!h.left && !h.right && !h.jump && !h.fire && !h.rope) line += " -";
      if (aimChanges) {
        line += " aim=" + std::to_string(h.aimX) + "," + std::to_string(h.aimY);
        lastAimX = h.aimX, lastAimY = h.aimY;
      }
      out += line + "\n";
    }
    last = h;
    first = false;
    step += g.steps;
  }
  return out;
}

}  // namespace solve
