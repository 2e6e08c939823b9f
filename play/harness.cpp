#include "play/harness.h"

#include <cstdlib>
#include <sstream>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "play/draw.h"
#include "play/playloop.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"

namespace play {

namespace {

bool ParseInt(const std::string& s, int& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || v < -1000000000L || v > 1000000000L) return false;
  out = static_cast<int>(v);
  return true;
}

bool ParseToken(const std::string& tok, ScriptLine& line) {
  if (tok == "-") return true;
  if (tok == "left") return line.left = true, true;
  if (tok == "right") return line.right = true, true;
  if (tok == "jump") return line.jump = true, true;
  if (tok == "down") return line.down = true, true;
  if (tok == "fire") return line.fire = true, true;
  if (tok == "rope") return line.rope = true, true;
  if (tok == "button3") return line.button3 = true, true;
  if (tok == "slow") return ++line.slowTaps, true;
  if (tok == "esc") return ++line.escTaps, true;
  if (tok.rfind("aim=", 0) == 0) {
    const std::string v = tok.substr(4);
    const size_t comma = v.find(',');
    if (comma == std::string::npos) return false;
    line.setAim = true;
    return ParseInt(v.substr(0, comma), line.aimX) && ParseInt(v.substr(comma + 1), line.aimY);
  }
  return false;
}

// Feeds the snapshot from the script: held keys by step, hits on presses.
class ScriptSource final : public InputSource {
 public:
  explicit ScriptSource(const PlayScript& s, int aimX, int aimY)
      : script_(s), aimX_(aimX), aimY_(aimY) {}

  int KeyHit(int code) override { return ValidKey(code) ? Take(hits_[code]) : 0; }
  bool KeyDown(int code) override { return ValidKey(code) && held_[code] != 0; }
  int MouseHit(int b) override { return Take(mouseHits_[b & 3]); }
  bool MouseDown(int b) override { return mouseHeld_[b & 3] != 0; }
  int MouseX() override { return aimX_; }
  int MouseY() override { return aimY_; }

  void TapKey(int code) {
    if (ValidKey(code)) ++hits_[code];
  }

  // Sets the inputs for run step `step`; step 0 means no live run (all up).
  void Apply(int step) {
    const fe::SettingsVars& k = fe::Settings;
    while (step > 0 && next_ < script_.lines.size() && script_.lines[next_].step <= step) {
      const ScriptLine& l = script_.lines[next_++];
      for (int i = 0; i < l.slowTaps; ++i) TapKey(k.KeyBindSlowMo);
      for (int i = 0; i < l.escTaps; ++i) TapKey(plat::vk::Escape);
      if (l.setAim) aimX_ = l.aimX, aimY_ = l.aimY;
      current_ = l;
    }
    if (step == 0) {  // no live figure: the next life reads the script again
      next_ = 0;
      current_ = ScriptLine{};
    }
    const ScriptLine& c = current_;
    SetKey(k.KeyBindLeft, c.left);
    SetKey(k.KeyBindRight, c.right);
    SetKey(k.KeyBindUp, c.jump);
    SetKey(k.KeyBindDown, c.down);
    SetButton(1, c.fire);
    SetButton(2, c.rope);
    SetButton(3, c.button3);
  }

 private:
  // As on the platform's keyboard: codes outside 0..255 are never pressed.
  static bool ValidKey(int code) { return code >= 0 && code < 256; }
  static int Take(int& n) {
    const int v = n;
    n = 0;
    return v;
  }
  void SetKey(int code, int down) {
    if (!ValidKey(code)) return;
    if (down && !held_[code]) ++hits_[code];
    held_[code] = down;
  }
  void SetButton(int b, int down) {
    if (down && !mouseHeld_[b]) ++mouseHits_[b];
    mouseHeld_[b] = down;
  }

  const PlayScript& script_;
  size_t next_ = 0;
  ScriptLine current_;
  int aimX_, aimY_;
  // Looked up several times a step: arrays, not maps.
  int held_[256] = {}, hits_[256] = {};
  int mouseHeld_[4] = {}, mouseHits_[4] = {};
};

struct RunContext {
  ScriptSource* source;
  PlayRunResult* result;
  const PlayRunOptions* options;
  bool hadPlayer = false;  // a live figure entered the current step
  bool finishSeen = false;
};

void BeforePoll(void* p) {
  auto* c = static_cast<RunContext*>(p);
  c->hadPlayer = Run.Player != nullptr;
  c->source->Apply(c->hadPlayer ? Run.StepCounter : 0);
}

void NoteFigure(PlayRunResult& r, const Tavik& t) {
  r.x = t.x;
  r.y = t.y;
  r.vx = t.vx;
  r.vy = t.vy;
  r.colour = t.colour;
}

void AfterStep(void* p) {
  auto* c = static_cast<RunContext*>(p);
  PlayRunResult& r = *c->result;
  r.totalSteps += 1;
  if (c->hadPlayer) r.runSteps += 1;
  if (Run.Player) {
    NoteFigure(r, *Run.Player);
  } else if (c->hadPlayer) {
    r.deaths += 1;
    r.deathSteps.push_back(Run.StepCounter);
  }
  if (c->hadPlayer && Run.LevelFinished && !c->finishSeen) {
    c->finishSeen = true;
    r.finished = true;
    r.finishStep = Run.StepCounter;
    r.timeMs = Run.RunTime;
  }
  if (c->options->onStep) c->options->onStep();
}

}  // namespace

bool ParsePlayScript(const std::string& text, PlayScript& out, std::string& error) {
  out = PlayScript{};
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  int lastStep = 1;
  while (std::getline(in, raw)) {
    ++lineNo;
    const size_t hash = raw.find('#');
    if (hash != std::string::npos) raw.resize(hash);
    std::istringstream words(raw);
    std::string first;
    if (!(words >> first)) continue;
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    std::string arg;
    if (first == "limit" || first == "deaths") {
      int v = 0;
      if (!(words >> arg) || !ParseInt(arg, v) || v < 0) return fail("expected a count");
      (first == "limit" ? out.limit : out.deaths) = v;
      continue;
    }
    ScriptLine line;
    if (!ParseInt(first, line.step) || line.step < 1) return fail("expected a step number");
    if (line.step < lastStep) return fail("steps must not go back");
    lastStep = line.step;
    while (words >> arg)
      if (!ParseToken(arg, line)) return fail("unknown input \"" + arg + "\"");
    out.lines.push_back(line);
  }
  return true;
}

bool LoadPlayScript(const std::string& path, PlayScript& out, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!plat::LoadFileBytes(path, bytes, 16 << 20)) {
    error = "cannot read " + path;
    return false;
  }
  return ParsePlayScript(std::string(bytes.begin(), bytes.end()), out, error);
}

PlayRunResult RunPlayScript(const LevelData& level, const PlayScript& script,
                            const PlayRunOptions& options) {
  PlayRunResult result;
  ScriptSource source(script, options.startAimX, options.startAimY);
  RunContext ctx{&source, &result, &options};

  const bool wasManual = plat::test::ManualClock();
  // Drawn runs let Flip advance the clock; headless ones advance it here.
  if (!wasManual) plat::test::UseManualClock(100000, options.draw ? options.frameMs : 0.0);
  const std::string oldPack = fe::Game.CurrentPack;
  const int oldLevel = fe::Game.CurrentLevel;
  fe::Game.CurrentPack = options.pack;
  fe::Game.CurrentLevel = options.level;
  SetInputSource(&source);
  const PlayHooks oldHooks = Hooks;
  Hooks.BeforePoll = &BeforePoll;
  Hooks.AfterStep = &AfterStep;
  Hooks.ctx = &ctx;
  Hooks.NoMusic = true;

  BeginPlay(options.level, &level);
  source.TapKey(plat::vk::Escape);  // closes the level-start popup
  // A run that never reaches "go" (a popup that stays open) must end too.
  const int maxFrames = script.limit + 4000;
  while (result.frames < maxFrames) {
    if (!options.draw) plat::test::AdvanceClock(options.frameMs);
    PlayFrame(options.draw);
    ++result.frames;
    if (options.onFrame && !options.onFrame(result.frames)) break;
    if (result.finished || result.deaths > script.deaths) break;
    if (result.runSteps >= script.limit) {
      result.timedOut = true;
      break;
    }
  }
  if (result.frames >= maxFrames) result.timedOut = true;
  result.coinsLeft = Run.CoinsLeft;
  EndPlay(options.level);

  Hooks = oldHooks;
  SetInputSource(nullptr);
  fe::Game.CurrentPack = oldPack;
  fe::Game.CurrentLevel = oldLevel;
  if (!wasManual) plat::test::UseRealClock();
  return result;
}

std::string DescribeRun(const PlayRunResult& r) {
  std::ostringstream o;
  if (r.finished) {
    o << "finished step=" << r.finishStep << " time=" << r.timeMs;
  } else if (r.timedOut) {
    o << "timeout";
  } else if (r.deaths > 0) {
    o << "died step=" << r.deathSteps.back();
  } else {
    o << "stopped";
  }
  o << " deaths=" << r.deaths << " runsteps=" << r.runSteps << " frames=" << r.frames
    << " x=" << r.x << " y=" << r.y << " colour=" << r.colour << " coins_left=" << r.coinsLeft;
  return o.str();
}

void StageLevel(const LevelData& level, float aimX, float aimY) {
  static_cast<LevelData&>(Level) = level;
  SetupLevelObjects(0);
  RenderLevelGlow(0, 0);
  plat::SetScale(1, 1);
  CacheLevelPicture();
  SpawnPlayer();
  Run.Player->aimX = aimX;
  Run.Player->aimY = aimY;
}

}  // namespace play
