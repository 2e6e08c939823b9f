#include "frontend/startup.h"

#include "assets/builtin_levels.h"
#include "frontend/buttons.h"
#include "frontend/config.h"
#include "frontend/font.h"
#include "frontend/gamestate.h"
#include "frontend/resources.h"
#include "frontend/screens.h"
#include "frontend/sound.h"
#include "frontend/textfield.h"
#include "play/input.h"
#include "play/level.h"
#include "play/state.h"
#include "play/tavik.h"
#include "platform/platform.h"
#include "soundlib/binding.h"

namespace fe {

namespace {

bool g_programStarted = false;
bool g_gameStarted = false;

enum Handle { kTopLeft, kCentre, kOffset };
struct ImageEntry {
  plat::ImagePtr ResourceSet::*member;
  const char* file;
  int cellW, cellH, frames;  // frames 0: a plain picture
  Handle handle;
  int hx, hy;
};

using R = ResourceSet;
// The pictures start-up loads, in loading order; the groups are loaded by
// the steps named beside them.
const ImageEntry kImages[] = {
    // step 19: particles
    {&R::ImgParticleOrb, "GFX\\particle_orb.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleStar, "GFX\\particle_star.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleCloud, "GFX\\particle_cloud.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleBubble, "GFX\\particle_bubble.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleHeart, "GFX\\particle_heart.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleEnemy1, "GFX\\particle_enemy1.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleEnemy2, "GFX\\particle_enemy2.png", 0, 0, 0, kCentre, 0, 0},
    // step 20: coins and record banners
    {&R::ImgCoin, "GFX/coin.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgCoinBloom, "GFX/coinbloom.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgNewRecord, "GFX/l_newrecord.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgNoRecord, "GFX/l_norecord.png", 0, 0, 0, kCentre, 0, 0},
    // step 21: blocks
    {&R::ImgBlocksPlain, "GFX/blocks_plain5.png", 16, 16, 32, kTopLeft, 0, 0},
    {&R::ImgBlocksChanger, "GFX/blocks_changer2.png", 16, 16, 32, kTopLeft, 0, 0},
    {&R::ImgBlocksZone, "GFX/blocks_zone.png", 16, 16, 32, kTopLeft, 0, 0},
    {&R::ImgBlocksCorners, "GFX/blocks_corners2.png", 16, 16, 16, kTopLeft, 0, 0},
    {&R::ImgLevelBack, "GFX/level_back.png", 0, 0, 0, kTopLeft, 0, 0},
    // step 22: the figure and play pictures
    {&R::ImgBody, "GFX/n_body.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgBelt, "GFX/n_belt.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgArmRope, "GFX/n_a_r.png", 0, 0, 0, kOffset, 6, 1},
    {&R::ImgArmGun, "GFX/n_a_g.png", 0, 0, 0, kOffset, 10, 2},
    {&R::ImgHeadLeft, "GFX/n_h_l.png", 0, 0, 0, kOffset, 2, 4},
    {&R::ImgHeadFront, "GFX/n_h_f.png", 0, 0, 0, kOffset, 2, 4},
    {&R::ImgHeadRight, "GFX/n_h_r.png", 0, 0, 0, kOffset, 4, 5},
    {&R::ImgFoot1, "GFX/n_f_1.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgFoot2, "GFX/n_f_2.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgEyes, "GFX/n_eyes.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgRopeHook, "GFX/p_rope.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgCursor, "GFX/p_cursor.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgBullet, "GFX/p_bullet.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgBulletBloom, "GFX/p_bulletbloom.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgLevelStart, "GFX/l_start.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgLevelEnd, "GFX/l_end2.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgPlayerBloom, "GFX/playerbloom.png", 0, 0, 0, kTopLeft, 0, 0},
    // step 23: status bar icons
    {&R::ImgStatusIcon, "GFX/icon_velkor.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgStatusIconParts, "GFX/icon_parts.png", 0, 0, 0, kTopLeft, 0, 0},
    // step 24: banners
    {&R::ImgGo, "GFX/l_go.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgReady, "GFX/l_ready.png", 0, 0, 0, kCentre, 0, 0},
    // step 25: the editor
    {&R::ImgEditorPalette, "GFX/editor_array.png", 32, 32, 20, kTopLeft, 0, 0},
    {&R::ImgEditorTile, "GFX/editor_tile.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgHookMid, "GFX/p_rope.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgToolDraw, "GFX/e_b_draw.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolFill, "GFX/e_b_fill.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolPlayer, "GFX/e_b_player.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolEnd, "GFX/e_b_end.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolLeft, "GFX/e_b_left.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgControlIconBack, "GFX/menu/l_icon.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolRight, "GFX/e_b_right.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolLoadPack, "GFX/e_b_loadpack.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolNewPack, "GFX/e_b_newpack.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolPlay, "GFX/e_b_play.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolClear, "GFX/e_b_clear.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolDrawChanger, "GFX/e_b_drawc.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolFillChanger, "GFX/e_b_fillc.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolDrawZone, "GFX/e_b_drawz.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolFillZone, "GFX/e_b_fillz.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolCoin, "GFX/e_b_coin.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolNeutral, "GFX/e_b_neutral.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolNoRope, "GFX/e_b_norope.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolShoot, "GFX/e_b_shoot.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolMove, "GFX/e_b_move.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolRope, "GFX/e_b_rope.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgObjStart, "GFX/e_i_velkor.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgEdge, "GFX/e_edge.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgToolHelp, "GFX/e_b_help.png", 0, 0, 0, kTopLeft, 0, 0},
    // step 30: menu titles
    {&R::ImgMenuTitle, "GFX/Menu/velkor.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgLevelSelectTitle, "GFX/Menu/levelselect.png", 0, 0, 0, kTopLeft, 0, 0},
    // step 33
    {&R::ImgLevelCell, "gfx/menu/l_icon.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgVolumeMarker, "gfx/vol_marker.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgRestartNote, "gfx/menu/restart.png", 0, 0, 0, kTopLeft, 0, 0},
    // step 36
    {&R::ImgKeyShootLabel, "gfx/menu/kc_shoot.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgKeyRopeLabel, "gfx/menu/kc_rope.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgKeyScreenTitle, "gfx/menu/define.png", 0, 0, 0, kTopLeft, 0, 0},
};

// Loads the table's entries [first, last] (by member), in order.
void LoadImages(plat::ImagePtr ResourceSet::*first, plat::ImagePtr ResourceSet::*last) {
  bool on = false;
  for (const ImageEntry& e : kImages) {
    if (e.member == first) on = true;
    if (!on) continue;
    plat::ImagePtr img = e.frames > 0 ? LoadResourceStrip(e.file, e.cellW, e.cellH, e.frames)
                                      : LoadResourceImage(e.file);
    if (e.handle == kCentre) plat::MidHandleImage(img);
    if (e.handle == kOffset) plat::SetImageHandle(img, static_cast<float>(e.hx), static_cast<float>(e.hy));
    Res.*e.member = img;
    if (e.member == last) return;
  }
}

void OpenDriverAndMode() {
  SettingsVars& s = Settings;
  // Step 9: 1 OpenGL, 2 the stand-in for the second driver; other values
  // keep the platform's default.
  if (s.GraphicsDriverChoice == 1 || s.GraphicsDriverChoice == 2)
    plat::SetGraphicsDriver(s.GraphicsDriverChoice, 2);
  // Step 10: full screen at depth 32, else a window.
  plat::Graphics(800, 600, s.FullScreen != 0 ? 32 : 0, 60, 0);
  // Step 11.
  plat::SetAutoImageFlags(plat::kFilteredImage);
  plat::SetBlend(plat::kAlphaBlend);
  plat::HidePointer();
  // Step 12: 2-pixel lines.
  if (s.GraphicsDriverChoice == 1) {
    plat::gl::Enable(0x0B20);        // GL_LINE_SMOOTH
    plat::gl::Hint(0x0C52, 0x1102);  // GL_LINE_SMOOTH_HINT, GL_NICEST
    plat::gl::LineWidth(2.0f);
  } else if (s.GraphicsDriverChoice == 2) {
    plat::SetLineWidth(2.0f);
  }
}

}  // namespace

void StartUp() {
  // 1. Built-in level files.
  assets::RegisterBuiltinLevelFiles();
  // 2. Modules: the zip unit has nothing to start yet; the sound-library
  // binding loads the external library and its entry points.
  soundlib::StartBinding();
  // 3. Shared lists start empty.
  play::ResetSharedLists();
  // 4-5.
  plat::SeedRnd(plat::Millisecs());
  plat::SetWindowTitle("Velkor");
  // 6-8. Settings, command line and the driver choice.
  RemoveLeftoverSaves();
  InitConfig();
  if (!JoinCommandLine().empty()) Settings.GraphicsDriverChoice = 0;
  if (Settings.GraphicsDriverChoice == 0) RunDriverChoice();
  // 9-12.
  OpenDriverAndMode();
  // Closing the window leaves through the quit state, so the normal save
  // path runs whichever screen is showing.
  plat::SetCloseHandler([] { SetGameState(kStateQuit, KeepValue, KeepValue); });
  // 13-14.
  BuildPalette();
  BuildColourCycle();
  // 15-16.
  Res.BigFont = GFont::Load("velkor.png", 32, 32, 20);
  Res.SmallFont = GFont::Load("velkor_small.png", 16, 16, 10);
  Res.RecordNameInput = GInput::Create(200, 200, 1, kRecordNameMax);
  Res.RecordNameInputAlt = GInput::Create(200, 200, 20, kRecordNameMax);
  // 17-18.
  Res.ScreenGrab = plat::CreateImage(800, 600, 1);
  play::Input.AnimCounterTime = plat::Millisecs();
  // 19. Particle pictures, then the particle list.
  LoadImages(&R::ImgParticleOrb, &R::ImgParticleEnemy2);
  // 20.
  play::Timers().CoinCycleTime = plat::Millisecs();
  LoadImages(&R::ImgCoin, &R::ImgNoRecord);
  // 21-22.
  LoadImages(&R::ImgBlocksPlain, &R::ImgPlayerBloom);
  // 23.
  {
    const int now = plat::Millisecs();
    play::Timers().LastAliveTime = now;
    play::Timers().StepChangeTime = now;
  }
  LoadImages(&R::ImgStatusIcon, &R::ImgStatusIconParts);
  {
    const int now = plat::Millisecs();
    play::Timers().RunTime = now;
    play::Timers().BestReplayTime = now;
    play::Timers().CountdownTime = now;
  }
  // 24.
  LoadImages(&R::ImgGo, &R::ImgReady);
  {
    const int now = plat::Millisecs();
    play::Timers().BannerTime = now;
    play::Timers().DelayTimerTime = now;
  }
  // 25. The editor's pictures.
  LoadImages(&R::ImgEditorPalette, &R::ImgToolHelp);
  // 26. Level grids: empty level.
  play::ClearLevelGrids();
  // 27-28.
  Res.LevelNameInput = GInput::Create(70, 568, 2, play::kLevelTextMax);
  Res.LevelAuthorInput = GInput::Create(370, 568, 3, play::kLevelTextMax);
  Res.NewPackNameInput = GInput::Create(310, 300, 5, 20);
  // 29.
  Game.MenuMouseX = plat::MouseX();
  Game.MenuMouseY = plat::MouseY();
  // 30-31.
  LoadImages(&R::ImgMenuTitle, &R::ImgLevelSelectTitle);
  CreateButtons(1, 27);
  // 32-33.
  for (int& v : Records.LevelStatus) v = 0;
  for (int& v : Records.RowBonus) v = 0;
  LoadImages(&R::ImgLevelCell, &R::ImgRestartNote);
  // 34-36.
  Res.UploaderNameInput = GInput::Create(300, 348, 4, 20);
  CreateButtons(28, 32);
  LoadImages(&R::ImgKeyShootLabel, &R::ImgKeyScreenTitle);
  // 37.
  for (int& v : Records.PackLevelPlayable) v = 0;
  // 38. Sound effects and the music attribute query.
  LoadSoundEffects();
  // 39. The record arrays exist from the start (RecordsVars).
}

void RunGame() {
  if (g_gameStarted) return;
  g_gameStarted = true;
  StartUp();
  InstallScreens();
  Screens().PlayLevel = &play::PlayLevel;
  EnterStartState();  // 40
  RunDispatcher();    // 41
  SaveConfig();       // 42
  plat::EndProgram(0);
}

void StartProgram() {
  if (g_programStarted) return;
  g_programStarted = true;
  RunGame();
}

void ResetStartupGuards() {
  g_programStarted = false;
  g_gameStarted = false;
}

}  // namespace fe
