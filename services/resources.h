// Everything the start-up loads or builds once and keeps for the whole run:
// the palette and colour-cycle tables, fonts, text fields and images.
#pragma once
#include <memory>
#include <string>

#include "platform/gfx.h"
#include "services/tiles.h"

namespace fe {

class GFont;
class GInput;

struct ResourceSet {
  int BlockPaletteR[play::kPaletteColours] = {}, BlockPaletteG[play::kPaletteColours] = {},
      BlockPaletteB[play::kPaletteColours] = {};
  int ColourCycleR[256] = {}, ColourCycleG[256] = {}, ColourCycleB[256] = {};

  std::shared_ptr<GFont> BigFont, SmallFont;
  std::shared_ptr<GInput> RecordNameInput, RecordNameInputAlt, LevelNameInput, LevelAuthorInput,
      NewPackNameInput, UploaderNameInput;

  plat::ImagePtr ScreenGrab;
  plat::ImagePtr ImgParticleOrb, ImgParticleStar, ImgParticleCloud, ImgParticleBubble,
      ImgParticleHeart, ImgParticleEnemy1, ImgParticleEnemy2;
  plat::ImagePtr ImgCoin, ImgCoinBloom, ImgNewRecord, ImgNoRecord;
  plat::ImagePtr ImgBlocksPlain, ImgBlocksChanger, ImgBlocksZone, ImgBlocksCorners, ImgLevelBack;
  plat::ImagePtr ImgBody, ImgBelt, ImgArmRope, ImgArmGun, ImgHeadLeft, ImgHeadFront, ImgHeadRight,
      ImgFoot1, ImgFoot2, ImgEyes;
  plat::ImagePtr ImgRopeHook, ImgCursor, ImgBullet, ImgBulletBloom, ImgLevelStart, ImgLevelEnd,
      ImgPlayerBloom;
  plat::ImagePtr ImgStatusIcon, ImgStatusIconParts, ImgGo, ImgReady;
  plat::ImagePtr ImgEditorPalette, ImgEditorTile, ImgHookMid, ImgToolDraw, ImgToolFill,
      ImgToolPlayer, ImgToolEnd, ImgToolLeft, ImgControlIconBack, ImgToolRight, ImgToolLoadPack,
      ImgToolNewPack, ImgToolPlay, ImgToolClear, ImgToolDrawChanger, ImgToolFillChanger,
      ImgToolDrawZone, ImgToolFillZone, ImgToolCoin, ImgToolNeutral, ImgToolNoRope, ImgToolShoot,
      ImgToolMove, ImgToolRope, ImgObjStart, ImgEdge, ImgToolHelp;
  plat::ImagePtr ImgMenuTitle, ImgLevelSelectTitle, ImgLevelCell, ImgVolumeMarker, ImgRestartNote,
      ImgKeyShootLabel, ImgKeyRopeLabel, ImgKeyScreenTitle;
};
extern ResourceSet Res;

// The palette and colour-cycle tables, built once at start-up.
void BuildPalette();
void BuildColourCycle();

// Loads a resource picture; a missing or unreadable file stops the program
// with a message naming it (the screens assume every picture is there).
plat::ImagePtr LoadResourceImage(const std::string& path);
plat::ImagePtr LoadResourceStrip(const std::string& path, int cellW, int cellH, int count);

}  // namespace fe
