// The codes of the level's cells: what a tile code is and which palette
// colour it carries, and the object codes. Every reader of the grids asks
// these functions rather than spelling out the code ranges.
#pragma once

namespace play {

// Coloured tiles carry one of the palette's colours.
constexpr int kPaletteColours = 20;

enum TileCodeValue {
  kTileEmpty = -1,
  kTileBlockFirst = 0,     // 0..19 block of palette colour c
  kTileChangerFirst = 20,  // 20..39 changer of colour c-20
  kTileZoneFirst = 40,     // 40..59 zone of colour c-40
  kTileNeutral = 60,
  kTileNoRope = 61,
};

enum ObjectCodeValue { kObjNone = 0, kObjStart = 1, kObjExit = 2, kObjCoin = 3 };

constexpr int TileSize = 16;

// Empty stands for every code that is none of the others, as a damaged
// file may hold.
enum class TileKind { Empty, Block, Changer, Zone, Neutral, NoRope };

constexpr TileKind KindOf(int code) {
  if (code >= kTileBlockFirst && code < kTileChangerFirst) return TileKind::Block;
  if (code >= kTileChangerFirst && code < kTileZoneFirst) return TileKind::Changer;
  if (code >= kTileZoneFirst && code < kTileNeutral) return TileKind::Zone;
  if (code == kTileNeutral) return TileKind::Neutral;
  if (code == kTileNoRope) return TileKind::NoRope;
  return TileKind::Empty;
}

// The palette colour (0..19) of a block, changer or zone; -1 for any other
// code.
constexpr int TileColour(int code) {
  switch (KindOf(code)) {
    case TileKind::Block: return code - kTileBlockFirst;
    case TileKind::Changer: return code - kTileChangerFirst;
    case TileKind::Zone: return code - kTileZoneFirst;
    default: return -1;
  }
}

// The code of a block, changer or zone of a palette colour.
constexpr int TileCode(TileKind kind, int colour) {
  switch (kind) {
    case TileKind::Changer: return kTileChangerFirst + colour;
    case TileKind::Zone: return kTileZoneFirst + colour;
    default: return kTileBlockFirst + colour;
  }
}

}  // namespace play
