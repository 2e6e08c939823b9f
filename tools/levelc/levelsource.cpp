#include "levelsource.h"

#include <map>
#include <sstream>
#include <vector>

#include "editor/autotile.h"
#include "services/tiles.h"

namespace levelc {

namespace {

struct Cell {
  int tile = play::kTileEmpty;
  int object = play::kObjNone;
};

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string At(int line, int col = 0) {
  std::string s = "line " + std::to_string(line);
  if (col > 0) s += ", column " + std::to_string(col);
  return s + ": ";
}

// "block 3", "changer 12", "zone 0", "neutral", "norope", "empty", "start",
// "exit", "coin".
bool ParseMeaning(const std::string& text, Cell& cell) {
  std::istringstream in(text);
  std::string word, extra;
  int colour = -1;
  in >> word;
  const bool coloured = word == "block" || word == "changer" || word == "zone";
  if (coloured && !(in >> colour)) return false;
  if (in >> extra) return false;
  if (coloured) {
    if (colour < 0 || colour >= play::kPaletteColours) return false;
    const play::TileKind kind = word == "changer" ? play::TileKind::Changer
                                : word == "zone"  ? play::TileKind::Zone
                                                  : play::TileKind::Block;
    cell.tile = play::TileCode(kind, colour);
    return true;
  }
  static const std::map<std::string, Cell> kPlain = {
      {"neutral", {play::kTileNeutral, play::kObjNone}},
      {"norope", {play::kTileNoRope, play::kObjNone}},
      {"empty", {play::kTileEmpty, play::kObjNone}},
      {"start", {play::kTileEmpty, play::kObjStart}},
      {"exit", {play::kTileEmpty, play::kObjExit}},
      {"coin", {play::kTileEmpty, play::kObjCoin}}};
  auto it = kPlain.find(word);
  if (it == kPlain.end()) return false;
  cell = it->second;
  return true;
}

bool ParseFlag(const std::string& v, int& out) {
  if (v != "0" && v != "1") return false;
  out = v == "1";
  return true;
}

struct Parser {
  play::LevelData& level;
  std::string& error;
  std::map<char, Cell> legend;
  std::vector<std::pair<int, std::string>> rows;  // (line number, text)
  bool backdrop = false;
  bool seen[5] = {};

  bool Header(const std::string& key, const std::string& value, int line) {
    static const char* const kKeys[] = {"name", "author", "movement", "shooting", "rope"};
    for (int i = 0; i < 5; ++i)
      if (key == kKeys[i]) seen[i] = true;
    if (key == "name") level.LevelName = value;
    else if (key == "author") level.LevelAuthor = value;
    else if (key == "backdrop") {
      int b = 0;
      if (!ParseFlag(value, b)) return Fail(At(line) + "backdrop must be 0 or 1");
      backdrop = b;
    } else {
      int* flag = key == "movement" ? &level.AllowMovement
                  : key == "shooting" ? &level.AllowShooting
                  : key == "rope"     ? &level.AllowRope
                                      : nullptr;
      if (!flag) return Fail(At(line) + "unknown header \"" + key + "\"");
      if (!ParseFlag(value, *flag)) return Fail(At(line) + key + " must be 0 or 1");
    }
    return true;
  }

  bool LegendLine(const std::string& raw, int line) {
    // "<char> = <meaning>"; the character may be any printable one but '='.
    const std::string t = Trim(raw);
    if (t.size() < 3 || t[0] == '=' || Trim(t.substr(1)).empty() || Trim(t.substr(1))[0] != '=')
      return Fail(At(line) + "legend lines read \"<character> = <meaning>\"");
    const char ch = t[0];
    Cell cell;
    if (!ParseMeaning(Trim(Trim(t.substr(1)).substr(1)), cell))
      return Fail(At(line) + "unknown meaning \"" + Trim(Trim(t.substr(1)).substr(1)) + "\"");
    if (legend.count(ch)) return Fail(At(line) + std::string("'") + ch + "' is defined twice");
    legend[ch] = cell;
    return true;
  }

  bool Map() {
    if (rows.size() != size_t(play::kLevelH))
      return Fail(At(rows.empty() ? 0 : rows.back().first) + "the map has " +
                  std::to_string(rows.size()) + " lines, not 36");
    int counts[4] = {};
    for (int y = 0; y < play::kLevelH; ++y) {
      const auto& [line, text] = rows[y];
      if (text.size() != size_t(play::kLevelW))
        return Fail(At(line) + "map line has " + std::to_string(text.size()) +
                    " characters, not 50");
      for (int x = 0; x < play::kLevelW; ++x) {
        auto it = legend.find(text[x]);
        if (it == legend.end())
          return Fail(At(line, x + 1) + "unknown map character '" + std::string(1, text[x]) + "'");
        level.TileGrid[x][y] = it->second.tile;
        level.ObjectGrid[x][y] = it->second.object;
        ++counts[it->second.object];
      }
    }
    if (!backdrop) {
      if (counts[1] != 1) return Fail("the map needs exactly one start, not " + std::to_string(counts[1]));
      if (counts[2] != 1) return Fail("the map needs exactly one exit, not " + std::to_string(counts[2]));
      if (counts[3] < 1) return Fail("the map needs at least one coin");
    }
    return true;
  }

  bool Fail(const std::string& msg) {
    error = msg;
    return false;
  }
};

}  // namespace

bool CompileLevelSource(const std::string& text, play::LevelData& level, std::string& error) {
  level.Clear();
  level.AllowMovement = 1;
  level.AllowShooting = 0;
  level.AllowRope = 0;
  level.LevelName.clear();
  level.LevelAuthor.clear();
  Parser p{level, error, {}, {}};
  enum { kHeader, kLegend, kMap } section = kHeader;
  std::istringstream in(text);
  std::string raw;
  for (int line = 1; std::getline(in, raw); ++line) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (section == kMap) {
      p.rows.emplace_back(line, raw);
      continue;
    }
    const std::string t = Trim(raw);
    if (t.empty() || t[0] == ';') continue;
    if (t == "legend") {
      section = kLegend;
    } else if (t == "map") {
      section = kMap;
    } else if (section == kLegend) {
      if (!p.LegendLine(raw, line)) return false;
    } else {
      const size_t eq = t.find('=');
      if (eq == std::string::npos) return p.Fail(At(line) + "header lines read \"key = value\"");
      if (!p.Header(Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)), line)) return false;
    }
  }
  // Blank lines after the map are not part of it.
  while (!p.rows.empty() && Trim(p.rows.back().second).empty() && p.rows.size() > size_t(play::kLevelH))
    p.rows.pop_back();
  if (section != kMap) return p.Fail("no \"map\" section");
  for (int i = 0; i < 5; ++i)
    if (!p.seen[i]) {
      static const char* const kKeys[] = {"name", "author", "movement", "shooting", "rope"};
      return p.Fail(std::string("missing header \"") + kKeys[i] + "\"");
    }
  if (!p.Map()) return false;
  editor::AutoTileAll(level.TileGrid, level.EdgeFrameGrid, level.CornerFrameGrid);
  return true;
}

}  // namespace levelc
