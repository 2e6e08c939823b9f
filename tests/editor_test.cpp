// The level editor driven frame by frame with injected pointer, buttons and
// keys in a throw-away game folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/autotile.h"
#include "editor/editor.h"
#include "editor/mappicture.h"
#include "editor/packs.h"
#include "frontend/dispatcher.h"
#include "frontend/startup.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "play/playloop.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/textfield.h"
#include "support/bytes.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace {

namespace fs = std::filesystem;
namespace pt = plat::test;
namespace ed = editor;
using editor::Editor;
using play::Level;

// Screen points: tool row button k, palette swatch c, map cell (x, y).
constexpr int kToolY = 544, kSwatchY = 504;
int ButtonX(int k) { return 24 + 36 * k; }
int CellX(int x) { return 16 * x + 8; }
int CellY(int y) { return 16 * y + 8; }

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  plat::LoadFileBytes(path, bytes);
  return bytes;
}

bool SameFrames(const play::LevelData& l) {
  play::LevelData t = l;
  ed::AutoTileAll(t.TileGrid, t.EdgeFrameGrid, t.CornerFrameGrid);
  return std::memcmp(t.EdgeFrameGrid, l.EdgeFrameGrid, sizeof t.EdgeFrameGrid) == 0 &&
         std::memcmp(t.CornerFrameGrid, l.CornerFrameGrid, sizeof t.CornerFrameGrid) == 0;
}

// A pointer anywhere, off the screen included, with the left button held.
struct FreePointer final : play::InputSource {
  int x = 0, y = 0;
  int KeyHit(int) override { return 0; }
  bool KeyDown(int) override { return false; }
  int MouseHit(int b) override { return b == 1; }
  bool MouseDown(int b) override { return b == 1; }
  int MouseX() override { return x; }
  int MouseY() override { return y; }
};

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_ = std::make_unique<vtest::GameSandbox>(2);
    fe::StartUp();
    fe::LoadRecords();
    fe::Game.GameState = fe::kStateEditor;
  }

  void MakePack(const std::string& name, bool current = true) {
    for (const char* sub : {"/levels", "/replays"})
      fs::create_directories(sandbox_->Path("Data/Packs/" + name + sub));
    if (current) fe::Game.CurrentPack = name;
  }
  std::string LevelFile(int n) {
    return sandbox_->Path("Data/Packs/" + fe::Game.CurrentPack + "/levels/" + std::to_string(n) + ".doy");
  }
  // Enters the editor and lets its input delay run out.
  void Enter() {
    ed::EnterEditor();
    Frames(10);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) ed::EditorFrame();
  }
  void Move(int x, int y) {
    pt::MouseMove(x, y);
    Frames(1);
  }
  // Pressed and released before the frame: a click, the button not held.
  void Click(int x, int y, int button = 1) {
    pt::MouseMove(x, y);
    pt::MousePress(button);
    pt::MouseRelease(button);
    Frames(1);
  }
  void Hold(int x, int y, int button = 1) {
    pt::MouseMove(x, y);
    pt::MousePress(button);
    Frames(1);
    pt::MouseRelease(button);
  }
  // Shows the toolbar (the pointer below the map), then clicks the button.
  void Button(int k) {
    Move(400, 590);
    Click(ButtonX(k), kToolY);
  }
  void Colour(int c) {
    Move(400, 590);
    Click(ButtonX(c), kSwatchY);
  }
  void Type(const std::string& text) {
    for (char c : text) pt::TypeChar(c == '\n' ? 13 : c);
    Frames(static_cast<int>(text.size()) + 2);
  }
  void Shot(const std::string& name) { EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath(name))); }
  static std::string PackName(int i) { return "pack" + std::to_string(10 + i); }
  // The row of the open pack list that shows the pack, -1 when none does.
  static int RowOf(const std::string& name) {
    for (int row = 0; row < ed::PackListMax; ++row)
      if (ed::PackInRow(row) == name) return row;
    return -1;
  }
  // Brings the pack into the open list's box with the arrows or the wheel,
  // as a player would, and clicks its row.
  void Choose(const std::string& name, bool wheel) {
    const auto& names = ed::Packs.PackNames;
    const int index = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    ASSERT_LT(index, static_cast<int>(names.size())) << name << " is not on the list";
    for (int tries = 0; RowOf(name) < 0; ++tries) {
      ASSERT_LT(tries, 100) << name << " never comes into view";
      const bool down = index > ed::Packs.PackListTop;
      if (wheel) {
        pt::MouseMove(600, 300);
        pt::TurnWheel(down ? -1 : 1);
        Frames(1);
      } else {
        Click(734, down ? 468 : 132);
      }
    }
    Click(550, 124 + 16 * RowOf(name) + 8);
  }

  std::unique_ptr<vtest::GameSandbox> sandbox_;
};

TEST_F(EditorTest, DrawingToolsWriteTheirCodeUnlessTheCellHoldsTheBareColour) {
  MakePack("mine");
  Enter();
  struct Case {
    int tool, before, after;
  } cases[] = {
      // Colour 3: every tool tests the cell against 3 itself, and writes any
      // other cell again, its own code included.
      {ed::kToolDraw, -1, 3},       {ed::kToolDraw, 3, 3},         {ed::kToolDraw, 23, 3},
      {ed::kToolDrawChanger, 3, 3}, {ed::kToolDrawChanger, 23, 23}, {ed::kToolDrawZone, 7, 43},
      {ed::kToolNeutral, 60, 60},   {ed::kToolNoRope, 60, 61},      {ed::kToolNoRope, 3, 3},
  };
  Colour(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "tool " << c.tool << " over " << c.before);
    Button(c.tool);
    Level.TileGrid[20][10] = c.before;
    Level.LevelDirty = 0;
    Hold(CellX(20), CellY(10));
    EXPECT_EQ(Level.TileGrid[20][10], c.after);
    EXPECT_EQ(Level.LevelDirty, c.before == 3 ? 0 : 1);
    Hold(CellX(20), CellY(10), 2);  // the right button erases
    EXPECT_EQ(Level.TileGrid[20][10], -1);
    pt::MousePress(2);  // both buttons: placed, then erased
    Hold(CellX(20), CellY(10));
    pt::MouseRelease(2);
    EXPECT_EQ(Level.TileGrid[20][10], -1);
  }
}

TEST_F(EditorTest, FillsTakeEffectThePassAfterTheSecondClickAndACornerOutlivesToolChanges) {
  MakePack("mine");
  Enter();
  Colour(5);
  struct Case {
    int tool, x0, y0, x1, y1, code;
  } cases[] = {
      {ed::kToolFill, 12, 9, 4, 3, 5},
      {ed::kToolFillChanger, 30, 20, 30, 20, 25},  // one cell
      {ed::kToolFillZone, 40, 2, 44, 6, 45},
  };
  for (const Case& c : cases) {
    Button(c.tool);
    Level.LevelDirty = 0;
    Click(CellX(c.x0), CellY(c.y0));
    Click(CellX(c.x1), CellY(c.y1));
    EXPECT_EQ(Level.LevelDirty, 0);
    Frames(1);
    for (int x = std::min(c.x0, c.x1); x <= std::max(c.x0, c.x1); ++x)
      for (int y = std::min(c.y0, c.y1); y <= std::max(c.y0, c.y1); ++y)
        ASSERT_EQ(Level.TileGrid[x][y], c.code) << c.tool << ": " << x << "," << y;
    EXPECT_EQ(Level.LevelDirty, 1);
  }
  EXPECT_TRUE(SameFrames(Level));
  // The first corner waits through other tools; a right click cancels it
  // over the map only.
  Button(ed::kToolFill);
  Click(CellX(2), CellY(2));
  Button(ed::kToolDraw);
  Button(ed::kToolFillZone);
  Click(ButtonX(ed::kToolFillZone), kToolY, 2);
  Click(CellX(3), CellY(3));
  Frames(1);
  EXPECT_EQ(Level.TileGrid[2][2], 45);
  Click(CellX(10), CellY(10));
  Move(CellX(16), CellY(14));
  Shot("editor_fill_preview");
  Move(ButtonX(ed::kToolFill), kToolY);
  Shot("editor_toolbar");
  Click(CellX(11), CellY(11), 2);
  EXPECT_EQ(Editor.FillState, ed::kFillIdle);
}

TEST_F(EditorTest, OneStartAndOneExitAndTheRightButtonsThatRemoveThem) {
  MakePack("mine");
  Enter();
  auto count = [](int code) {
    return std::count(&Level.ObjectGrid[0][0], &Level.ObjectGrid[0][0] + 50 * 36, code);
  };
  Button(ed::kToolCoin);
  Hold(CellX(6), CellY(6));
  for (int tool : {ed::kToolPlayer, ed::kToolEnd}) {
    Button(tool);
    Click(CellX(5), CellY(5));
    Click(CellX(6), CellY(6));  // over the coin, then over the start
  }
  EXPECT_EQ(count(play::kObjStart) + count(play::kObjCoin), 0);
  EXPECT_EQ(Level.ObjectGrid[6][6], play::kObjExit);
  Button(ed::kToolPlayer);
  Click(CellX(9), CellY(9));
  // Right clicks on the start (9, 9) and on the exit (6, 6): the start tool
  // takes the start only, the coin tool any object.
  const struct {
    int tool, starts, exits;
  } cases[] = {{ed::kToolEnd, 1, 1}, {ed::kToolDraw, 1, 1}, {ed::kToolPlayer, 0, 1}, {ed::kToolCoin, 0, 0}};
  for (const auto& c : cases) {
    Level.LevelDirty = 0;
    Button(c.tool);
    Click(CellX(9), CellY(9), 2);
    Click(CellX(6), CellY(6), 2);
    EXPECT_EQ(count(play::kObjStart), c.starts) << c.tool;
    EXPECT_EQ(count(play::kObjExit), c.exits) << c.tool;
    EXPECT_EQ(Level.LevelDirty, c.tool == ed::kToolPlayer || c.tool == ed::kToolCoin) << c.tool;
  }
}

TEST_F(EditorTest, AClickBetweenTwoFramesActsAsAHeldButtonButNotOneFromTheInputDelay) {
  MakePack("mine");
  Enter();
  Colour(3);
  // The draw-type tools share one path; the coin tool has its own.
  const struct {
    int tool, placed;
  } cases[] = {{ed::kToolDrawZone, 43}, {ed::kToolCoin, play::kObjCoin}};
  for (const auto& c : cases) {
    const bool coin = c.tool == ed::kToolCoin;
    const int& cell = coin ? Level.ObjectGrid[20][10] : Level.TileGrid[20][10];
    Button(c.tool);
    Click(CellX(20), CellY(10));
    EXPECT_EQ(cell, c.placed) << c.tool;
    Click(CellX(20), CellY(10), 2);
    EXPECT_EQ(cell, coin ? int{play::kObjNone} : int{play::kTileEmpty}) << c.tool;
  }
  ed::EnterEditor();
  Click(CellX(5), CellY(5));
  Frames(10);
  EXPECT_EQ(Level.ObjectGrid[5][5], play::kObjNone);
}

TEST_F(EditorTest, TheMapEndsAtTheToolbarAndNoPointerWritesOffTheGrid) {
  MakePack("mine");
  Enter();
  struct Case {
    int x, y, toolbar, row;  // row -1: nothing written
  } cases[] = {
      {0, 479, 1, 29},  {799, 479, 1, 29}, {100, 480, 1, -1}, {100, 575, 0, 35},
      {100, 576, 0, -1}, {-1, 100, 0, -1}, {100, -1, 0, -1},  {-600, -900, 0, -1},
  };
  FreePointer pointer;
  play::SetInputSource(&pointer);
  for (const Case& c : cases) {
    Level.Clear();
    Editor.ToolbarVisible = c.toolbar;
    pointer.x = c.x;
    pointer.y = c.y;
    Frames(1);
    const long empty = std::count(&Level.TileGrid[0][0], &Level.TileGrid[0][0] + 50 * 36, -1);
    EXPECT_EQ(empty, 50 * 36 - (c.row < 0 ? 0 : 1)) << c.x << "," << c.y;
    EXPECT_TRUE(c.row < 0 || Level.TileGrid[c.x / 16][c.row] != -1) << c.x << "," << c.y;
  }
  play::SetInputSource(nullptr);
}

TEST_F(EditorTest, HelpTopicsFollowTheHoverAndY524TakesColourAndTool) {
  MakePack("mine");
  Enter();
  Move(400, 590);
  Click(ButtonX(3), 524);  // palette and tool row at once
  EXPECT_EQ(Editor.EditorColour, 3);
  EXPECT_EQ(Editor.EditorTool, ed::kToolEnd);
  Click(744, 504);
  EXPECT_EQ(Editor.EditorHelpVisible, 1);
  EXPECT_EQ(Editor.EditorHelpTopic, 0);
  Move(ButtonX(ed::kToolFill), kToolY);
  Shot("editor_help");
  const int cases[][3] = {
      {ButtonX(0), kSwatchY, 22}, {ButtonX(0), kToolY, 1}, {ButtonX(20), kToolY, 21},
      {780, kToolY, 22},  // right of the last button
      {100, 572, 23},     {400, 572, 23},   {400, 300, 23},  // the map keeps the topic
  };
  for (const auto& c : cases) {
    Move(c[0], c[1]);
    EXPECT_EQ(Editor.EditorHelpTopic, c[2]) << c[0] << "," << c[1];
  }
  EXPECT_EQ(Editor.EditorHelpVisible, 0);  // it hid with the toolbar
  const play::LevelVars before = Level;
  Move(400, 590);
  Click(780, kToolY);  // index 21 does nothing
  EXPECT_EQ(Editor.EditorTool, ed::kToolEnd);
  EXPECT_EQ(Editor.EditorLevel, 0);
  EXPECT_EQ(Level.AllowRope, before.AllowRope);
  EXPECT_EQ(Level.EditorDialog, 0);
}

TEST_F(EditorTest, LevelStepsSaveAndReloadAndALevelThatCannotBeSavedStaysOnceOnEscape) {
  MakePack("mine");
  const int cases[][3] = {{0, ed::kToolLeft, 0}, {50, ed::kToolRight, 50}, {7, ed::kToolRight, 8}};
  for (const auto& c : cases) {
    Editor.EditorLevel = c[0];
    Enter();
    Button(ed::kToolDraw);
    Hold(CellX(1), CellY(1));
    Level.LevelName = "Two";
    Level.LevelAuthor = "ana";
    Button(c[1]);
    EXPECT_EQ(Editor.EditorLevel, c[2]);
    // A level without a file takes nothing of the one before.
    EXPECT_EQ(Level.LevelName + Level.LevelAuthor, c[0] == c[2] ? "Twoana" : "") << c[0];
    EXPECT_EQ(fe::Res.LevelNameInput->text, Level.LevelName);
    play::LevelData onDisk;
    play::DecodeLevel(FileBytes(LevelFile(c[0])), onDisk);
    EXPECT_EQ(onDisk.TileGrid[1][1], 0) << c[0];
    EXPECT_EQ(Level.TileGrid[1][1], c[0] == c[2] ? 0 : -1) << c[0];  // reloaded
    EXPECT_EQ(Level.LevelDirty, 0);
  }
  Hold(CellX(2), CellY(2));
  fs::remove_all(sandbox_->Path("Data/Packs/mine/levels"));
  for (int k : {ed::kToolRight, ed::kToolPlay}) {
    Button(k);
    EXPECT_EQ(Editor.EditorLevel, 8);
    EXPECT_EQ(fe::Game.GameState, fe::kStateEditor);
    EXPECT_EQ(Level.TileGrid[2][2], 0);
    EXPECT_GT(Editor.SaveFailedFrames, 0);
  }
  // Escape stays, the toolbar brought up with the message over the map, as
  // long as no Escape came while the message showed; that one leaves.
  Move(CellX(5), CellY(5));
  for (int round = 0; round < 2; ++round) {
    while (Editor.SaveFailedFrames > 0) Frames(1);
    Frames(1);  // the toolbar goes at the next frame
    EXPECT_EQ(Editor.ToolbarVisible, 0);
    pt::KeyTap(plat::vk::Escape);
    Frames(30);
    EXPECT_EQ(fe::Game.GameState, fe::kStateEditor);
    EXPECT_EQ(Editor.ToolbarVisible, 1);
    EXPECT_GT(Editor.SaveFailedFrames, 0);
  }
  Shot("editor_level_not_saved");
  pt::KeyTap(plat::vk::Escape);
  Frames(1);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);

  fe::Game.GameState = fe::kStateEditor;
  Enter();
  fs::create_directories(sandbox_->Path("Data/Packs/mine/levels"));
  Button(ed::kToolRight);
  EXPECT_EQ(Editor.EditorLevel, 9);
  EXPECT_EQ(Editor.SaveFailedFrames, 0);
  pt::KeyTap(plat::vk::Escape);
  Frames(1);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

// The window's close button asks as Escape does: a level that cannot be
// saved keeps the editor open once, with its message; the next close quits.
TEST_F(EditorTest, ACloseRequestStaysOnceForALevelThatCannotBeSaved) {
  for (const bool saveable : {true, false}) {
    MakePack("mine");
    if (!saveable) fs::remove_all(sandbox_->Path("Data/Packs/mine/levels"));
    fe::Game.GameState = fe::kStateEditor;
    int64_t left = 0;
    bool stayedShowingWhy = false;
    pt::SetFrameHook([&](int64_t f) {
      if (f == 15 || f == 30) pt::RequestClose();
      if (f == 20)
        stayedShowingWhy = !plat::AppTerminate() && fe::Game.GameState == fe::kStateEditor &&
                           Editor.ToolbarVisible == 1 && Editor.SaveFailedFrames > 0;
      left = f;
    });
    ed::RunEditor();
    pt::SetFrameHook(nullptr);
    EXPECT_EQ(fe::Game.GameState, fe::kStateQuit) << saveable;
    EXPECT_EQ(left, saveable ? 15 : 30);
    EXPECT_EQ(stayedShowingWhy, !saveable);
    plat::RefuseClose();
  }
}

TEST_F(EditorTest, DialogButtonsSaveTheLevelFirstAndEscapeLeavesAtOnce) {
  for (int k : {ed::kToolNewPack, ed::kToolLoadPack, ed::kToolClear}) {
    MakePack("mine");
    fs::remove(LevelFile(0));
    fe::Game.GameState = fe::kStateEditor;
    Enter();
    fe::Records.RecordTimes[0][0] = 4321;  // on disk too, before the edit
    fe::SaveRecordsAndStatus();
    Button(ed::kToolCoin);
    Hold(CellX(3), CellY(3));
    Button(k);
    EXPECT_NE(Level.EditorDialog, 0);
    // The changed level's records are reset on disk before another pack can
    // be picked.
    EXPECT_EQ(vtest::IntAt(FileBytes(sandbox_->Path("Data/Packs/mine/scores.dat")), 0), fe::EmptyRecordTime);
    pt::KeyTap(plat::vk::Escape);
    Frames(1);
    EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
    ed::LeaveEditor();
    play::LevelData onDisk;
    play::DecodeLevel(FileBytes(LevelFile(0)), onDisk);
    EXPECT_EQ(onDisk.ObjectGrid[3][3], play::kObjCoin) << k;
  }
}

TEST_F(EditorTest, ClearingAfterTheQuestionKeepsNameAuthorFlagsAndDirtyFlag) {
  MakePack("mine");
  Enter();
  for (int dirty : {0, 1}) {
    Level.TileGrid[4][4] = 9;
    Level.ObjectGrid[5][5] = play::kObjCoin;
    Level.LevelName = "kept";
    Level.AllowRope = 1;
    Button(ed::kToolClear);
    Shot("editor_clear_dialog");
    Level.LevelDirty = dirty;  // opening the dialog saved the level
    Click(300, 350);           // the edge of "Yes!" is outside it
    Click(500, 375);           // "No!"
    EXPECT_EQ(Level.TileGrid[4][4], 9);
    Frames(10);
    Button(ed::kToolClear);
    Level.LevelDirty = dirty;
    Click(300, 375);  // "Yes!"
    EXPECT_EQ(Level.EditorDialog, 0);
    EXPECT_EQ(Level.TileGrid[4][4] + Level.ObjectGrid[5][5], -1);
    EXPECT_EQ(Level.CornerFrameGrid[4][4], 15);
    EXPECT_EQ(Level.LevelName, "kept");
    EXPECT_EQ(Level.AllowRope, 1);
    EXPECT_EQ(Level.LevelDirty, dirty);
    Frames(10);
  }
}

TEST_F(EditorTest, TheBuiltInPackForcesTheNewPackDialogOrThePackList) {
  fe::Records.RecordTimes[1][0] = 1234;
  Editor.CreatePackResult = ed::kPackCreated;  // left from an earlier visit
  Enter();
  EXPECT_EQ(Level.EditorDialog, ed::kDialogNewPack);
  EXPECT_EQ(fe::Res.NewPackNameInput->active, 1);
  Shot("editor_new_pack_dialog");
  EXPECT_EQ(fe::Records.RecordTimes[1][0], 1234);  // the built-in records stand
  Hold(CellX(10), CellY(10));
  EXPECT_EQ(Level.TileGrid[10][10], -1);
  MakePack("other", false);
  Enter();
  EXPECT_EQ(Level.EditorDialog, ed::kDialogPackList);
  Move(600, 124 + 8);
  Shot("editor_pack_list");
  Click(600, 124 + 8);  // the first row
  EXPECT_EQ(fe::Game.CurrentPack, "other");
  EXPECT_EQ(Level.EditorDialog, 0);
  ed::EnterEditor();  // Escape acts during the input delay too
  pt::KeyTap(plat::vk::Escape);
  Frames(1);
  EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
}

TEST_F(EditorTest, ThePackListIsSortedAndLeavesBaseOutOnlyInTheEditor) {
  for (const char* name : {"Base", "BASE", "zeta", "Alpha", "beta"}) MakePack(name, false);
  std::ofstream(sandbox_->Path("Data/Packs/afile")) << "x";
  ed::ScanPacks(1);
  EXPECT_EQ(ed::Packs.PackNames, (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  EXPECT_EQ(ed::PackInRow(3), "");
  ed::ScanPacks(0);
  EXPECT_EQ(ed::Packs.PackNames, (std::vector<std::string>{"Alpha", "BASE", "Base", "base", "beta", "zeta"}));
  for (int i = 0; i < 30; ++i) MakePack("p" + std::to_string(100 + i), false);
  ed::ScanPacks(1);
  EXPECT_EQ(ed::Packs.PackNames.size(), 33u);
  EXPECT_EQ(ed::PackInRow(21), "p119");
  // The options form: the pack and its records, the level untouched. The
  // click area reaches 8 pixels right of the highlight.
  Level.TileGrid[0][0] = 5;
  play::Input.MouseClick = 1;
  fe::Game.MenuMouseX = 742;
  fe::Game.MenuMouseY = 124;
  ed::PickPackFromList(0);
  EXPECT_EQ(fe::Game.CurrentPack, "base");
  fe::Game.MenuMouseX = 738;
  fe::Game.MenuMouseY = 124 + 3 * 16;
  ed::PickPackFromList(0);
  EXPECT_EQ(fe::Game.CurrentPack, "p101");
  EXPECT_EQ(Level.TileGrid[0][0], 5);
}

// The options list the campaign in its place among more packs than rows,
// also with its folder gone, and open on it while it is current; the
// editor's list leaves it out.
TEST_F(EditorTest, TheOptionsListAlwaysHoldsTheBuiltInPack) {
  for (int i = 0; i < 23; ++i) MakePack("a" + std::to_string(10 + i), false);
  fe::Game.CurrentPack = "base";
  for (bool folder : {true, false}) {
    if (!folder) fs::remove_all(sandbox_->Path("Data/Packs/base"));
    ed::ScanPacks(0);
    EXPECT_EQ(ed::Packs.PackNames.size(), 24u) << folder;
    EXPECT_EQ(ed::Packs.PackNames[23], "base") << folder;
    EXPECT_EQ(ed::PackInRow(21), "base") << folder;
  }
  ed::ScanPacks(1);
  EXPECT_EQ(ed::Packs.PackNames.size(), 23u);
  EXPECT_EQ(ed::Packs.PackNames[22], "a32");
  EXPECT_EQ(ed::PackInRow(0), "a10");
}

// Arrows stand in the right ends of the first and last rows, each only
// while the list goes on past the box that way.
TEST_F(EditorTest, ScrollArrowsAreDrawnOnlyWhereThereIsMoreToSee) {
  struct Case {
    int packs, top;
    bool up, down;
  } cases[] = {
      {3, 0, false, false},  {22, 0, false, false}, {23, 0, false, true}, {23, 1, true, false},
      {40, 0, false, true},  {40, 9, true, true},   {40, 18, true, false},
  };
  int made = 0;
  fe::Game.MenuMouseX = fe::Game.MenuMouseY = 0;
  for (const Case& c : cases) {
    for (; made < c.packs; ++made) MakePack(PackName(made), false);
    ed::ScanPacks(1);
    ed::Packs.PackListTop = c.top;
    plat::Cls();
    ed::DrawPackList();
    const std::vector<uint32_t> px = plat::ReadTargetPixels();
    // A point inside each triangle and one on each cell's left line: the
    // box's light outline colour over the black screen, or black.
    auto lit = [&](int x, int y) { return (px[static_cast<size_t>(y) * 800 + x] & 0xFF) > 100; };
    EXPECT_EQ(lit(733, 132), c.up) << c.packs << " from " << c.top;
    EXPECT_EQ(lit(726, 130), c.up) << c.packs << " from " << c.top;
    EXPECT_EQ(lit(733, 467), c.down) << c.packs << " from " << c.top;
    EXPECT_EQ(lit(726, 470), c.down) << c.packs << " from " << c.top;
  }
}

// The wheel over the box moves the list three rows a notch, an arrow one row
// a click and on by itself while held; the arrow cells never pick a pack,
// while a list that fits keeps its rows whole.
TEST_F(EditorTest, TheWheelAndTheArrowsMoveTheListAndPickNoPack) {
  constexpr int kNone = -1;
  struct Case {
    const char* what;
    int packs, top, x, y;
    bool click;
    int held, wheel, wantTop, wantPick;
  } cases[] = {
      {"fits: up cell is row 0", 22, 0, 734, 132, true, 0, 0, 0, 0},
      {"fits: down cell is row 21", 22, 0, 734, 468, true, 0, 0, 0, 21},
      {"down arrow", 40, 0, 734, 468, true, 0, 0, 1, kNone},
      {"up arrow", 40, 18, 734, 132, true, 0, 0, 17, kNone},
      {"up arrow at the top", 40, 0, 726, 124, true, 0, 0, 0, kNone},
      {"down arrow at the end", 40, 18, 741, 475, true, 0, 0, 18, kNone},
      {"beside the arrow", 40, 5, 725, 132, true, 0, 0, 5, 5},
      {"under the up arrow", 40, 5, 734, 140, true, 0, 0, 5, 6},
      {"held to just before the repeat", 40, 5, 734, 468, true, 19, 0, 6, kNone},
      {"held: three repeats", 40, 5, 734, 468, true, 28, 0, 9, kNone},
      {"held on the up arrow to the top", 40, 5, 734, 132, true, 60, 0, 0, kNone},
      {"wheel down", 40, 5, 600, 300, false, 0, -2, 11, kNone},
      {"wheel up", 40, 5, 600, 300, false, 0, 1, 2, kNone},
      {"wheel down past the end", 40, 5, 600, 300, false, 0, -9, 18, kNone},
      {"wheel over the header", 40, 5, 600, 105, false, 0, -1, 8, kNone},
      {"wheel left of the box", 40, 5, 449, 300, false, 0, -1, 5, kNone},
  };
  int made = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (; made < c.packs; ++made) MakePack(PackName(made), false);
    fe::Game.CurrentPack = "base";
    ed::ScanPacks(1);
    ed::Packs.PackListTop = c.top;
    fe::Game.MenuMouseX = c.x;
    fe::Game.MenuMouseY = c.y;
    pt::TurnWheel(c.wheel);
    play::Input.MouseClick = c.click;
    play::Input.MouseDown1 = c.click;
    ed::PickPackFromList(0);
    play::Input.MouseClick = 0;
    for (int i = 0; i < c.held; ++i) ed::PickPackFromList(0);
    play::Input.MouseDown1 = 0;
    EXPECT_EQ(ed::Packs.PackListTop, c.wantTop);
    EXPECT_EQ(fe::Game.CurrentPack, c.wantPick == kNone ? "base" : PackName(c.wantPick));
  }
  // Turns made before the list is shown are dropped.
  pt::TurnWheel(-3);
  ed::ScanPacks(1);
  fe::Game.MenuMouseX = 600;
  fe::Game.MenuMouseY = 300;
  ed::PickPackFromList(0);
  EXPECT_EQ(ed::Packs.PackListTop, 0);
}

// Forty packs, each chosen from the editor's list through the load-pack
// button, reached with the arrows or the wheel; the list opens on the pack
// in hand. A forty-first made then is current and listed at once, in view,
// and can be chosen again once another was.
TEST_F(EditorTest, EveryPackOfFortyAndOneMadeBesideThemIsChosenFromTheEditorsList) {
  for (int i = 0; i < 40; ++i) MakePack(PackName(i), false);
  Enter();  // the campaign in hand: the list is open
  for (int k = 0; k < 40; ++k) {
    SCOPED_TRACE(PackName(k));
    if (Level.EditorDialog != ed::kDialogPackList) {
      Button(ed::kToolLoadPack);
      ASSERT_EQ(Level.EditorDialog, ed::kDialogPackList);
      EXPECT_GE(RowOf(fe::Game.CurrentPack), 0);
    }
    Choose(PackName(k), k % 2 == 1);
    EXPECT_EQ(fe::Game.CurrentPack, PackName(k));
    EXPECT_EQ(Level.EditorDialog, ed::kDialogNone);
    Frames(10);
  }
  Button(ed::kToolNewPack);
  Type("zz made\n");
  ASSERT_EQ(fe::Game.CurrentPack, "zz made");
  EXPECT_EQ(ed::Packs.PackNames.size(), 41u);
  EXPECT_EQ(RowOf("zz made"), 21);
  for (const std::string& pack : {PackName(0), std::string("zz made")}) {
    Frames(10);
    Button(ed::kToolLoadPack);
    Choose(pack, pack == PackName(0));
    EXPECT_EQ(fe::Game.CurrentPack, pack);
  }
}

TEST_F(EditorTest, BadPackNamesAndFoldersThatCannotBeMadeLeaveEverythingAsItWas) {
  MakePack("mine");
  const std::pair<std::string, int> cases[] = {
      {"", ed::kPackNameEmpty},         {"   ", ed::kPackNameEmpty},          {".", ed::kPackNameInvalid},
      {"..", ed::kPackNameInvalid},     {"a/b", ed::kPackNameSeparator},      {"..\\up", ed::kPackNameSeparator},
      {"c:x", ed::kPackNameSeparator},  {"tab\there", ed::kPackNameInvalid},  {"BASE", ed::kPackExists},
      {"MINE", ed::kPackExists},        {std::string(300, 'n'), ed::kPackNotCreated},
  };
  const auto before = plat::ReadDir("Data/Packs");
  for (const auto& [name, result] : cases) {
    EXPECT_EQ(ed::CreatePack(name), result) << name;
    EXPECT_EQ(fe::Game.CurrentPack, "mine");
  }
  EXPECT_EQ(plat::ReadDir("Data/Packs"), before);
  // Through the dialog: the refusal in red, then a good name.
  Enter();
  Button(ed::kToolNewPack);
  Type("Mine\n");
  EXPECT_EQ(Editor.CreatePackResult, ed::kPackExists);
  EXPECT_EQ(Level.EditorDialog, ed::kDialogNewPack);
  Shot("editor_new_pack_refused");
  fe::Res.NewPackNameInput->text.clear();
  Click(320, 305);  // the field takes the focus again
  Type("fresh\n");
  EXPECT_EQ(fe::Game.CurrentPack, "fresh");
  EXPECT_EQ(Level.EditorDialog, 0);
  for (const char* sub : {"levels", "replays", "scores.dat"})
    EXPECT_TRUE(fs::exists(sandbox_->Path(std::string("Data/Packs/fresh/") + sub))) << sub;
}

TEST_F(EditorTest, ADrawnLevelReloadsByteForByteWithFramesOfItsGrid) {
  MakePack("mine");
  Editor.EditorLevel = 2;
  Enter();
  Colour(4);
  Button(ed::kToolFill);
  Click(CellX(3), CellY(20));
  Click(CellX(30), CellY(22));
  Frames(1);
  for (int tool : {ed::kToolDraw, ed::kToolDrawChanger, ed::kToolNeutral}) {
    Button(tool);
    for (int x = 5; x < 12; ++x) Hold(CellX(x + 3 * tool), CellY(19 - x % 3));
  }
  Hold(CellX(10), CellY(21), 2);
  Button(ed::kToolPlayer);
  Click(CellX(4), CellY(19));
  Move(400, 590);
  Click(100, 572);
  Type("Tall Steps\n");
  Button(ed::kToolRight);
  const std::vector<uint8_t> saved = FileBytes(LevelFile(2));
  ASSERT_EQ(saved.size(), 28812u + 14u);
  sandbox_.reset();  // a fresh program body
  sandbox_ = std::make_unique<vtest::GameSandbox>(2);
  fe::StartUp();
  MakePack("mine");
  ASSERT_TRUE(plat::SaveFileSafely(LevelFile(2), saved));
  play::LoadLevel(2);
  EXPECT_EQ(Level.LevelName, "Tall Steps");
  EXPECT_EQ(play::EncodeLevel(Level), saved);
  EXPECT_TRUE(SameFrames(Level));
}

TEST_F(EditorTest, PlayTestRunsTheSavedLevelAndTheLevelEndExitReturnsToTheEditor) {
  MakePack("mine");
  Editor.EditorLevel = 3;
  Level.TileGrid[10][21] = play::kTileNeutral;
  Level.ObjectGrid[10][20] = play::kObjStart;
  Level.ObjectGrid[10][21] = play::kObjExit;  // reached at once
  play::SaveLevel(3);
  fe::Screens().RunEditor = ed::RunEditor;
  fe::Screens().PlayLevel = play::PlayLevel;
  std::vector<int> states;
  int64_t back = -1;
  pt::SetFrameHook([&](int64_t f) {
    if (states.empty() || states.back() != fe::Game.GameState) states.push_back(fe::Game.GameState);
    if (f == 12) pt::MouseMove(400, 590);
    if (f == 14) pt::MouseMove(ButtonX(ed::kToolPlay), kToolY), pt::MousePress(1), pt::MouseRelease(1);
    if (fe::Game.GameState == fe::kStatePlay && play::Popup.PopupState == play::kPopupOpen) {
      if (play::Popup.PopupKind == play::kPopupLevelStart) pt::KeyTap(plat::vk::Escape);
      if (play::Popup.PopupKind == play::kPopupNewRecord)
        pt::MouseMove(500, 416), pt::MousePress(1), pt::MouseRelease(1);  // the exit button
    }
    if (back < 0 && states.size() == 3) back = f;
    if ((back >= 0 && f > back + 5) || f > 2000) fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue);
  });
  fe::SetGameState(fe::kStateEditor, fe::KeepValue, fe::KeepValue);
  fe::RunDispatcher();
  pt::SetFrameHook(nullptr);
  EXPECT_EQ(states, (std::vector<int>{fe::kStateEditor, fe::kStatePlay, fe::kStateEditor}));
  EXPECT_EQ(Editor.EditorLevel, 3);
  EXPECT_LT(fe::Records.RecordTimes[3][0], fe::EmptyRecordTime);
}

// The map is drawn from a picture that follows the grids by redrawing only
// the changed area: after strokes, fills and erasures at the map's edges it
// shows exactly what drawing every cell shows.
TEST_F(EditorTest, TheMapPictureShowsWhatDrawingEveryCellShows) {
  MakePack("mine");
  Enter();
  auto same = [] {
    std::vector<uint32_t> px[2];
    for (int i = 0; i < 2; ++i) {
      plat::Cls();
      i == 0 ? ed::DrawMapPicture() : ed::DrawMapDirect();
      px[i] = plat::ReadTargetPixels();
    }
    return std::equal(px[0].begin(), px[0].begin() + 800 * 578, px[1].begin());  // shadows below
  };
  Colour(9);
  Button(ed::kToolFillChanger);
  Click(CellX(0), CellY(0));
  Click(CellX(6), CellY(35));
  Frames(1);
  EXPECT_TRUE(same());
  for (int tool : {ed::kToolDraw, ed::kToolNeutral, ed::kToolDrawZone}) {
    Button(tool);
    for (int x = 0; x < 50; x += 7) Hold(CellX(x), CellY(x % 30));
    Hold(CellX(49), CellY(29));
    Hold(CellX(3), CellY(4), 2);
  }
  EXPECT_TRUE(same());
  // A block turned into a zone: the neighbours keep their frames, and the
  // block's shadow on them goes.
  Button(ed::kToolDraw);
  Hold(CellX(20), CellY(20));
  Colour(2);
  Button(ed::kToolDrawZone);
  Hold(CellX(20), CellY(20));
  EXPECT_TRUE(same());
  Level.TileGrid[49][35] = 12;  // a change by other hands, in the corner
  Move(400, 300);
  EXPECT_TRUE(same());
  Shot("editor_map");
}

}  // namespace
