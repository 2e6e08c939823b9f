// Picture makers, one per generated file, grouped by where they are seen.
#pragma once
#include <functional>
#include <map>
#include <string>

#include "canvas.h"

namespace imagegen {

using Maker = std::function<Canvas()>;
using MakerTable = std::map<std::string, Maker>;

// Shared colours of the game's look.
inline constexpr Rgba kInk = RGB(26, 22, 40);        // outlines
inline constexpr Rgba kSuit = RGB(238, 240, 248);
inline constexpr Rgba kSuitShade = RGB(178, 186, 214);
inline constexpr Rgba kSkin = RGB(255, 218, 186);
inline constexpr Rgba kSkinShade = RGB(226, 168, 140);
inline constexpr Rgba kHair = RGB(120, 72, 168);
inline constexpr Rgba kHairShade = RGB(82, 48, 122);
inline constexpr Rgba kBoot = RGB(72, 60, 98);
inline constexpr Rgba kMetal = RGB(92, 100, 124);

void AddTileMakers(MakerTable& t);    // blocks, corners, backgrounds
void AddSpriteMakers(MakerTable& t);  // figure, coins, particles, markers
void AddUiMakers(MakerTable& t);      // fonts, buttons, titles, editor icons

// The figure put together facing front, its feet at (x, y) (used for icons).
void DrawFigure(Canvas& c, int x, int y);
// Compact 16x16 figure used by the editor's start object.
Canvas MiniFigure();
Canvas Coin();
Canvas ExitDoor();
Canvas ScaleUp(const Canvas& src, int k);
// Block frame for the given open sides (true = the neighbour continues).
enum class BlockKind { kPlain, kChanger, kZone };
void DrawBlock(Canvas& c, int ox, int oy, bool n, bool w, bool e, bool s, BlockKind kind);

}  // namespace imagegen
