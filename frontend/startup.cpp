#include "frontend/startup.h"

#include "assets/builtin_levels.h"
#include "editor/editor.h"
#include "editor/packs.h"
#include "frontend/dispatcher.h"
#include "frontend/driverchoice.h"
#include "frontend/screens.h"
#include "ini/ini.h"
#include "platform/platform.h"
#include "play/playloop.h"
#include "play/state.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/resources.h"
#include "services/sound.h"
#include "services/textfield.h"
#include "soundlib/binding.h"
#include "zip/zipfile.h"

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
// The pictures start-up loads, in loading order; each group is loaded by
// the phase of the start-up that needs it.
const ImageEntry kImages[] = {
    // particles
    {&R::ImgParticleOrb, "GFX\\particle_orb.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleStar, "GFX\\particle_star.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleCloud, "GFX\\particle_cloud.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleBubble, "GFX\\particle_bubble.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleHeart, "GFX\\particle_heart.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleEnemy1, "GFX\\particle_enemy1.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgParticleEnemy2, "GFX\\particle_enemy2.png", 0, 0, 0, kCentre, 0, 0},
    // coins and record banners
    {&R::ImgCoin, "GFX/coin.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgCoinBloom, "GFX/coinbloom.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgNewRecord, "GFX/l_newrecord.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgNoRecord, "GFX/l_norecord.png", 0, 0, 0, kCentre, 0, 0},
    // blocks
    {&R::ImgBlocksPlain, "GFX/blocks_plain5.png", 16, 16, 32, kTopLeft, 0, 0},
    {&R::ImgBlocksChanger, "GFX/blocks_changer2.png", 16, 16, 32, kTopLeft, 0, 0},
    {&R::ImgBlocksZone, "GFX/blocks_zone.png", 16, 16, 32, kTopLeft, 0, 0},
    {&R::ImgBlocksCorners, "GFX/blocks_corners2.png", 16, 16, 16, kTopLeft, 0, 0},
    {&R::ImgLevelBack, "GFX/level_back.png", 0, 0, 0, kTopLeft, 0, 0},
    // the figure and play pictures
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
    // status bar icons
    {&R::ImgStatusIcon, "GFX/icon_velkor.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgStatusIconParts, "GFX/icon_parts.png", 0, 0, 0, kTopLeft, 0, 0},
    // ready and go banners
    {&R::ImgGo, "GFX/l_go.png", 0, 0, 0, kCentre, 0, 0},
    {&R::ImgReady, "GFX/l_ready.png", 0, 0, 0, kCentre, 0, 0},
    // the editor
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
    // menu titles
    {&R::ImgMenuTitle, "GFX/Menu/velkor.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgLevelSelectTitle, "GFX/Menu/levelselect.png", 0, 0, 0, kTopLeft, 0, 0},
    // level select and options
    {&R::ImgLevelCell, "gfx/menu/l_icon.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgVolumeMarker, "gfx/vol_marker.png", 0, 0, 0, kTopLeft, 0, 0},
    {&R::ImgRestartNote, "gfx/menu/restart.png", 0, 0, 0, kTopLeft, 0, 0},
    // key definition
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

// The built-in level files, the zip engine, the sound library with its
// entry points, and the INI module.
void StartModules() {
  assets::RegisterBuiltinLevelFiles();
  zip::InitZipUnit();
  soundlib::StartBinding();
  ini::InitIniUnit();
}

// Empty shared lists, a random sequence seeded from the clock, the title.
void PrepareProcess() {
  play::ResetSharedLists();
  plat::SeedRnd(plat::Millisecs());
  plat::SetWindowTitle("Velkor");
}

// The settings hold the graphics driver; any command-line argument asks for
// the choice again. What saves cut short by a kill left behind goes first.
void ReadSettingsAndChooseDriver() {
  RemoveLeftoverSaves();
  InitConfig();
  if (!JoinCommandLine().empty()) Settings.GraphicsDriverChoice = 0;
  if (Settings.GraphicsDriverChoice == 0) RunDriverChoice();
}

void OpenWindow() {
  const SettingsVars& s = Settings;
  // 1 OpenGL, 2 the stand-in for the second driver; other values keep the
  // platform's default.
  if (s.GraphicsDriverChoice == 1 || s.GraphicsDriverChoice == 2)
    plat::SetGraphicsDriver(s.GraphicsDriverChoice, 2);
  // Full screen at depth 32, else a window.
  OpenGraphicsOrEnd(800, 600, s.FullScreen != 0 ? 32 : 0);
  plat::SetAutoImageFlags(plat::kFilteredImage);
  plat::SetBlend(plat::kAlphaBlend);
  plat::HidePointer();
  // 2-pixel lines.
  if (s.GraphicsDriverChoice == 1) {
    plat::gl::Enable(0x0B20);        // GL_LINE_SMOOTH
    plat::gl::Hint(0x0C52, 0x1102);  // GL_LINE_SMOOTH_HINT, GL_NICEST
    plat::gl::LineWidth(2.0f);
  } else if (s.GraphicsDriverChoice == 2) {
    plat::SetLineWidth(2.0f);
  }
  // Closing the window leaves through the quit state, so the normal save
  // path runs whichever screen is showing.
  plat::SetCloseHandler([] { SetGameState(kStateQuit, KeepValue, KeepValue); });
}

// Palette and colour cycle, the two fonts, the record name fields and the
// screen grab.
void BuildTablesAndFonts() {
  BuildPalette();
  BuildColourCycle();
  Res.BigFont = GFont::Load("velkor.png", 32, 32, 20);
  Res.SmallFont = GFont::Load("velkor_small.png", 16, 16, 10);
  Res.RecordNameInput = GInput::Create(200, 200, kInputRecordName, kRecordNameMax);
  Res.RecordNameInputAlt = GInput::Create(200, 200, kInputRecordNameAlt, kRecordNameMax);
  Res.ScreenGrab = plat::CreateImage(800, 600, 1);
  play::Input.AnimCounterTime = plat::Millisecs();
}

// Play's pictures. Play's clock values are stamped between the groups, each
// where the clock stands once the pictures before it are in.
void LoadPlayPictures() {
  LoadImages(&R::ImgParticleOrb, &R::ImgParticleEnemy2);
  play::Timers().CoinCycleTime = plat::Millisecs();
  LoadImages(&R::ImgCoin, &R::ImgNoRecord);
  LoadImages(&R::ImgBlocksPlain, &R::ImgPlayerBloom);
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
  LoadImages(&R::ImgGo, &R::ImgReady);
  {
    const int now = plat::Millisecs();
    play::Timers().BannerTime = now;
    play::Timers().DelayTimerTime = now;
  }
}

// The editor's pictures, an empty level, the editor's text fields with their
// actions and its empty pack list.
void PrepareEditor() {
  LoadImages(&R::ImgEditorPalette, &R::ImgToolHelp);
  play::ClearLevelGrids();
  Res.LevelNameInput = GInput::Create(70, 568, kInputLevelName, play::kLevelTextMax);
  Res.LevelAuthorInput = GInput::Create(370, 568, kInputLevelAuthor, play::kLevelTextMax);
  Res.NewPackNameInput = GInput::Create(310, 300, kInputNewPackName, 20);
  editor::InstallTextFieldActions();
  editor::ResetPackList();
}

// The menus' pointer, pictures and buttons, the upload name field and
// empty progress tables.
void PrepareMenus() {
  Game.MenuMouseX = plat::MouseX();
  Game.MenuMouseY = plat::MouseY();
  LoadImages(&R::ImgMenuTitle, &R::ImgLevelSelectTitle);
  play::InstallButtonActions();
  CreateButtons(1, 27);
  for (int& v : Records.LevelStatus) v = 0;
  for (int& v : Records.RowBonus) v = 0;
  LoadImages(&R::ImgLevelCell, &R::ImgRestartNote);
  Res.UploaderNameInput = GInput::Create(300, 348, kInputUploaderName, 20);
  CreateButtons(28, 32);
  LoadImages(&R::ImgKeyShootLabel, &R::ImgKeyScreenTitle);
  for (int& v : Records.PackLevelPlayable) v = 0;
}

}  // namespace

void StartUp() {
  StartModules();
  PrepareProcess();
  ReadSettingsAndChooseDriver();
  OpenWindow();
  BuildTablesAndFonts();
  LoadPlayPictures();
  PrepareEditor();
  PrepareMenus();
  LoadSoundEffects();
}

void RunGame() {
  if (g_gameStarted) return;
  g_gameStarted = true;
  StartUp();
  InstallScreens();
  Screens().PlayLevel = &play::PlayLevel;
  Screens().RunEditor = &editor::RunEditor;
  EnterStartState();
  RunDispatcher();
  SaveConfig();
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
