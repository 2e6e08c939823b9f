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
#include "frontend/config.h"
#include "frontend/gamestate.h"
#include "frontend/resources.h"
#include "frontend/startup.h"
#include "frontend/textfield.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "play/input.h"
#include "play/level.h"
#include "play/levelfile.h"
#include "play/popup.h"
#include "play/tavik.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace {

namespace fs = std::filesystem;
namespace pt = plat::test;
using editor::Editor;
using play::Level;

// Screen points of the toolbar's controls.
int ToolX(int k) { return 8 + 36 * k + 16; }
constexpr int kToolY = 544;
int SwatchX(int i) { return 8 + 36 * i + 16; }
constexpr int kSwatchY = 504;
// A map cell's centre.
int CellX(int x) { return 16 * x + 8; }
int CellY(int y) { return 16 * y + 8; }

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A pointer anywhere, off the screen included, with the buttons held.
class FreePointer final : public play::InputSource {
 public:
  int x = 0, y = 0;
  bool left = false, right = false;
  int KeyHit(int) override { return 0; }
  bool KeyDown(int) override { return false; }
  int MouseHit(int b) override { return (b == 1 && left) || (b == 2 && right) ? 1 : 0; }
  bool MouseDown(int b) override { return (b == 1 && left) || (b == 2 && right); }
  int MouseX() override { return x; }
  int MouseY() override { return y; }
};

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_ = std::make_unique<vtest::GameSandbox>(2);
    fe::StartUp();
    fe::LoadRecords();
    fe::LoadStatus();
    fe::Game.GameState = fe::kStateEditor;
  }
  void TearDown() override { sandbox_.reset(); }

  // A pack folder as the editor makes it, optionally made current.
  void MakePack(const std::string& name, bool current = true) {
    fs::create_directories(sandbox_->Path("Data/Packs/" + name + "/levels"));
    fs::create_directories(sandbox_->Path("Data/Packs/" + name + "/replays"));
    if (current) fe::Game.CurrentPack = name;
  }
  std::string LevelFile(const std::string& pack, int n) {
    return sandbox_->Path("Data/Packs/" + pack + "/levels/" + std::to_string(n) + ".doy");
  }

  // Enters the editor and lets its input delay run out.
  void Enter() {
    editor::EnterEditor();
    for (int i = 0; i < 10; ++i) Frame();
  }
  void Frame() { editor::EditorFrame(); }
  void Move(int x, int y) {
    pt::MouseMove(x, y);
    Frame();
  }
  // Press and release before one frame: a click with the button not held.
  void Click(int x, int y, int button = 1) {
    pt::MouseMove(x, y);
    pt::MousePress(button);
    pt::MouseRelease(button);
    Frame();
  }
  void Hold(int x, int y, int button) {
    pt::MouseMove(x, y);
    pt::MousePress(button);
    Frame();
    pt::MouseRelease(button);
  }
  // Shows the toolbar (the pointer below the map) and clicks a tool button.
  void PickTool(int k) {
    Move(400, 590);
    Click(ToolX(k), kToolY);
  }
  void PickColour(int c) {
    Move(400, 590);
    Click(SwatchX(c), kSwatchY);
  }
  void Shot(const std::string& name) {
    EXPECT_TRUE(plat::SaveScreenshot(vtest::ShotPath(name)));
  }

  std::unique_ptr<vtest::GameSandbox> sandbox_;
};

TEST_F(EditorTest, DrawingToolsPlaceTheirCodeUnlessTheCellHoldsTheBareColour) {
  MakePack("mine");
  Enter();
  struct Case {
    int tool, before, after;
  };
  // Colour 3 selected: the test is against 3 itself for every tool, and any
  // other cell is written again even when it holds the tool's own code.
  const Case cases[] = {
      {editor::kToolDraw, -1, 3},        {editor::kToolDraw, 3, 3},
      {editor::kToolDraw, 23, 3},        {editor::kToolDrawChanger, -1, 23},
      {editor::kToolDrawChanger, 3, 3},  {editor::kToolDrawChanger, 23, 23},
      {editor::kToolDrawZone, 7, 43},    {editor::kToolDrawZone, 3, 3},
      {editor::kToolNeutral, -1, 60},    {editor::kToolNeutral, 60, 60},
      {editor::kToolNoRope, 60, 61},     {editor::kToolNoRope, 3, 3},
  };
  PickColour(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "tool " << c.tool << " over " << c.before);
    PickTool(c.tool);
    Level.TileGrid[20][10] = c.before;
    Level.LevelDirty = 0;
    Hold(CellX(20), CellY(10), 1);
    EXPECT_EQ(Level.TileGrid[20][10], c.after);
    EXPECT_EQ(Level.LevelDirty, c.before == 3 ? 0 : 1);
    // The right button erases, and both buttons leave the cell empty.
    Hold(CellX(20), CellY(10), 2);
    EXPECT_EQ(Level.TileGrid[20][10], -1);
    pt::MousePress(2);
    Hold(CellX(20), CellY(10), 1);
    pt::MouseRelease(2);
    EXPECT_EQ(Level.TileGrid[20][10], -1);
  }
}

TEST_F(EditorTest, FillsTakeEffectOnThePassAfterTheSecondClickAndRetileTheGrid) {
  MakePack("mine");
  Enter();
  PickColour(5);
  struct Case {
    int tool, x0, y0, x1, y1, code;
  };
  const Case cases[] = {
      {editor::kToolFill, 12, 9, 4, 3, 5},
      {editor::kToolFillChanger, 30, 20, 30, 20, 25},  // one cell
      {editor::kToolFillZone, 40, 2, 44, 6, 45},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tool);
    PickTool(c.tool);
    Level.LevelDirty = 0;
    Click(CellX(c.x0), CellY(c.y0));
    Click(CellX(c.x1), CellY(c.y1));
    EXPECT_NE(Level.TileGrid[c.x1][c.y1], c.code);
    EXPECT_EQ(Level.LevelDirty, 0);
    Frame();
    for (int x = std::min(c.x0, c.x1); x <= std::max(c.x0, c.x1); ++x)
      for (int y = std::min(c.y0, c.y1); y <= std::max(c.y0, c.y1); ++y)
        ASSERT_EQ(Level.TileGrid[x][y], c.code) << x << "," << y;
    EXPECT_EQ(Level.LevelDirty, 1);
    EXPECT_EQ(Editor.FillState, editor::kFillIdle);
  }
  play::LevelData tiled = Level;
  editor::AutoTileAll(tiled.TileGrid, tiled.EdgeFrameGrid, tiled.CornerFrameGrid);
  EXPECT_EQ(0, std::memcmp(tiled.EdgeFrameGrid, Level.EdgeFrameGrid, sizeof tiled.EdgeFrameGrid));
}

TEST_F(EditorTest, AFirstCornerSurvivesToolChangesUntilARightClickOverTheMap) {
  MakePack("mine");
  Enter();
  PickTool(editor::kToolFill);
  Click(CellX(2), CellY(2));
  PickTool(editor::kToolDraw);
  PickTool(editor::kToolFillZone);
  EXPECT_EQ(Editor.FillState, editor::kFillFirstCorner);
  Click(CellX(3), CellY(3));
  Frame();
  EXPECT_EQ(Level.TileGrid[2][2], 40);
  EXPECT_EQ(Level.TileGrid[3][3], 40);
  // A right click over the toolbar does not cancel; over the map it does.
  Click(CellX(10), CellY(10));
  PickTool(editor::kToolFillZone);
  Click(ToolX(editor::kToolFillZone), kToolY, 2);
  EXPECT_EQ(Editor.FillState, editor::kFillFirstCorner);
  Click(CellX(11), CellY(11), 2);
  EXPECT_EQ(Editor.FillState, editor::kFillIdle);
  Click(CellX(12), CellY(12));
  EXPECT_EQ(Editor.FillStartX, 12);
}

TEST_F(EditorTest, OneStartAndOneExitAndOnlyTheCoinToolRemovesThem) {
  MakePack("mine");
  Enter();
  auto count = [](int code) {
    int n = 0;
    for (auto& column : Level.ObjectGrid)
      for (int cell : column) n += cell == code;
    return n;
  };
  PickTool(editor::kToolCoin);
  Hold(CellX(6), CellY(6), 1);
  PickTool(editor::kToolPlayer);
  Click(CellX(5), CellY(5));
  Click(CellX(6), CellY(6));  // over the coin
  PickTool(editor::kToolEnd);
  Click(CellX(7), CellY(7));
  Click(CellX(6), CellY(6));  // over the start
  EXPECT_EQ(count(play::kObjStart), 0);
  EXPECT_EQ(count(play::kObjCoin), 0);
  EXPECT_EQ(Level.ObjectGrid[6][6], play::kObjExit);
  EXPECT_EQ(count(play::kObjExit), 1);
  // The start, exit and draw tools leave objects alone on the right button.
  PickTool(editor::kToolPlayer);
  Click(CellX(9), CellY(9));
  for (int tool : {editor::kToolPlayer, editor::kToolEnd, editor::kToolDraw}) {
    PickTool(tool);
    Hold(CellX(9), CellY(9), 2);
    Hold(CellX(6), CellY(6), 2);
  }
  EXPECT_EQ(Level.ObjectGrid[9][9], play::kObjStart);
  EXPECT_EQ(Level.ObjectGrid[6][6], play::kObjExit);
  PickTool(editor::kToolCoin);
  Level.LevelDirty = 0;
  Hold(CellX(9), CellY(9), 2);
  Hold(CellX(6), CellY(6), 2);
  EXPECT_EQ(count(play::kObjStart) + count(play::kObjExit), 0);
  EXPECT_EQ(Level.LevelDirty, 1);
}

TEST_F(EditorTest, TheMapEndsAboveTheToolbarAndWritesStayOnTheGrid) {
  MakePack("mine");
  Enter();
  PickTool(editor::kToolDraw);
  struct Case {
    int x, y;
    bool toolbar, onMap;
  };
  const Case cases[] = {
      {0, 479, true, true},    {799, 479, true, true},   {100, 480, true, false},
      {100, 575, false, true}, {100, 576, false, false}, {-1, 100, false, false},
      {100, -1, false, false}, {-100, 300, false, false}, {300, -40, false, false},
      {-600, -900, false, false},
  };
  FreePointer pointer;
  play::SetInputSource(&pointer);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
    Level.Clear();
    Editor.ToolbarVisible = c.toolbar ? 1 : 0;
    pointer.x = c.x;
    pointer.y = c.y;
    pointer.left = true;
    Frame();
    pointer.left = false;
    EXPECT_EQ(editor::IsMouseOverMap(), c.onMap ? 1 : 0);
    const bool written = Level.TileGrid[c.x < 0 ? 0 : c.x / 16][c.y < 0 ? 0 : std::min(c.y / 16, 35)] != -1;
    EXPECT_EQ(written, c.onMap);
  }
  play::SetInputSource(nullptr);
}

TEST_F(EditorTest, TheToolbarRowsShareY524AndIndex21DoesNothing) {
  MakePack("mine");
  Enter();
  Move(400, 590);
  Click(SwatchX(3), 524);
  EXPECT_EQ(Editor.EditorColour, 3);
  EXPECT_EQ(Editor.EditorTool, editor::kToolEnd);
  const play::LevelVars before = Level;
  Click(780, kToolY);
  EXPECT_EQ(Editor.EditorHelpTopic, editor::kHelpTopicPalette);
  EXPECT_EQ(Editor.EditorTool, editor::kToolEnd);
  EXPECT_EQ(Editor.EditorLevel, 0);
  EXPECT_EQ(Level.AllowRope, before.AllowRope);
  EXPECT_EQ(Level.EditorDialog, 0);
}

TEST_F(EditorTest, LevelStepsSaveTheLevelAndLoadTheNextOneAndStopAt0And50) {
  MakePack("mine");
  struct Case {
    int from, button, to;
  };
  const Case cases[] = {{0, editor::kToolLeft, 0}, {50, editor::kToolRight, 50}, {7, editor::kToolRight, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    Editor.EditorLevel = c.from;
    Enter();
    PickTool(editor::kToolDraw);
    Hold(CellX(1), CellY(c.from % 30), 1);
    Move(400, 590);
    Click(ToolX(c.button), kToolY);
    EXPECT_EQ(Editor.EditorLevel, c.to);
    ASSERT_EQ(FileBytes(LevelFile("mine", c.from)).size(), 28816u);
    // Reloaded from disk: the level stepped to holds what its file holds.
    play::LevelData onDisk;
    play::DecodeLevel(FileBytes(LevelFile("mine", c.from)), onDisk);
    EXPECT_EQ(onDisk.TileGrid[1][c.from % 30], 0);
    EXPECT_EQ(Level.TileGrid[1][c.from % 30], c.from == c.to ? 0 : -1);
    EXPECT_EQ(Level.LevelDirty, 0);
  }
}

TEST_F(EditorTest, ALevelThatCannotBeSavedStaysInHandWithAMessage) {
  MakePack("mine");
  Editor.EditorLevel = 4;
  Enter();
  PickTool(editor::kToolDraw);
  Hold(CellX(1), CellY(1), 1);
  fs::remove_all(sandbox_->Path("Data/Packs/mine/levels"));
  for (int k : {editor::kToolRight, editor::kToolPlay}) {
    Move(400, 590);
    Click(ToolX(k), kToolY);
    EXPECT_EQ(Editor.EditorLevel, 4);
    EXPECT_EQ(fe::Game.GameState, fe::kStateEditor);
    EXPECT_EQ(Level.TileGrid[1][1], 0);
    EXPECT_GT(Editor.SaveFailedFrames, 0);
  }
  fs::create_directories(sandbox_->Path("Data/Packs/mine/levels"));
  Click(ToolX(editor::kToolRight), kToolY);
  EXPECT_EQ(Editor.EditorLevel, 5);
  EXPECT_EQ(Editor.SaveFailedFrames, 0);
}

TEST_F(EditorTest, DialogButtonsSaveTheLevelFirstAndEscapeStillLeavesAtOnce) {
  for (int k : {editor::kToolNewPack, editor::kToolLoadPack, editor::kToolClear}) {
    SCOPED_TRACE(k);
    MakePack("mine");
    fs::remove(LevelFile("mine", 0));
    fe::Game.GameState = fe::kStateEditor;
    Enter();
    PickTool(editor::kToolCoin);
    Hold(CellX(3), CellY(3), 1);
    Move(400, 590);
    Click(ToolX(k), kToolY);
    EXPECT_NE(Level.EditorDialog, 0);
    pt::KeyTap(plat::vk::Escape);
    Frame();
    EXPECT_EQ(fe::Game.GameState, fe::kStateMainMenu);
    editor::LeaveEditor();
    play::LevelData onDisk;
    play::DecodeLevel(FileBytes(LevelFile("mine", 0)), onDisk);
    EXPECT_EQ(onDisk.ObjectGrid[3][3], play::kObjCoin);
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
    Level.LevelDirty = dirty;
    Move(400, 590);
    Click(ToolX(editor::kToolClear), kToolY);
    Level.LevelDirty = dirty;  // opening the dialog saved the level
    Click(300, 350);           // the edge of "Yes!" is outside it
    Click(500, 375);           // "No!"
    EXPECT_EQ(Level.TileGrid[4][4], 9);
    for (int i = 0; i < 10; ++i) Frame();
    Move(400, 590);
    Click(ToolX(editor::kToolClear), kToolY);
    Level.LevelDirty = dirty;
    Click(300, 375);  // "Yes!"
    EXPECT_EQ(Level.EditorDialog, 0);
    EXPECT_EQ(Level.TileGrid[4][4], -1);
    EXPECT_EQ(Level.ObjectGrid[5][5], 0);
    EXPECT_EQ(Level.CornerFrameGrid[4][4], 15);
    EXPECT_EQ(Level.LevelName, "kept");
    EXPECT_EQ(Level.AllowRope, 1);
    EXPECT_EQ(Level.LevelDirty, dirty);
    EXPECT_EQ(Editor.EditorInputDelay, 10);
    for (int i = 0; i < 10; ++i) Frame();
  }
}

TEST_F(EditorTest, HelpTopicsFollowTheHover) {
  MakePack("mine");
  Enter();
  Move(400, 590);
  Click(744, 504);
  EXPECT_EQ(Editor.EditorHelpVisible, 1);
  struct Case {
    int x, y, topic;
  };
  const Case cases[] = {
      {SwatchX(0), kSwatchY, 22},  {ToolX(0), kToolY, 1},  {ToolX(20), kToolY, 21},
      {780, kToolY, 22},           {100, 572, 23},         {400, 572, 23},
      {400, 300, 23},  // the map keeps the last topic
  };
  for (const Case& c : cases) {
    Move(c.x, c.y);
    EXPECT_EQ(Editor.EditorHelpTopic, c.topic) << c.x << "," << c.y;
  }
  EXPECT_EQ(Editor.EditorHelpVisible, 0);  // the toolbar hid with the page
  Move(400, 590);
  Move(ToolX(9), kToolY);
  Click(744, 504);
  EXPECT_EQ(Editor.EditorHelpVisible, 1);
  EXPECT_EQ(Editor.EditorHelpTopic, 0);
  Click(744, 504);
  EXPECT_EQ(Editor.EditorHelpVisible, 0);
}

TEST_F(EditorTest, TheBuiltInPackForcesThePackListOrTheNewPackDialog) {
  Enter();
  EXPECT_EQ(Level.EditorDialog, editor::kDialogNewPack);
  EXPECT_EQ(fe::Res.NewPackNameInput->active, 1);
  Hold(CellX(10), CellY(10), 1);
  EXPECT_EQ(Level.TileGrid[10][10], -1);
  MakePack("other", false);
  Enter();
  EXPECT_EQ(Level.EditorDialog, editor::kDialogPackList);
  Click(600, 124 + 8);  // the first row
  EXPECT_EQ(fe::Game.CurrentPack, "other");
  EXPECT_EQ(Level.EditorDialog, 0);
  EXPECT_EQ(Editor.EditorLevel, 0);
}

TEST_F(EditorTest, ThePackListIsSortedCappedAndLeavesBaseOutOnlyInTheEditor) {
  for (const char* name : {"Base", "BASE", "zeta", "Alpha", "beta"}) MakePack(name, false);
  std::ofstream(sandbox_->Path("Data/Packs/afile")) << "x";
  editor::ScanPacks(1);
  const std::vector<std::string> editorForm(editor::Packs.PackNames, editor::Packs.PackNames + 4);
  EXPECT_EQ(editorForm, (std::vector<std::string>{"Alpha", "beta", "zeta", ""}));
  editor::ScanPacks(0);
  const std::vector<std::string> optionsForm(editor::Packs.PackNames, editor::Packs.PackNames + 7);
  EXPECT_EQ(optionsForm, (std::vector<std::string>{"Alpha", "BASE", "Base", "base", "beta", "zeta", ""}));
  for (int i = 0; i < 30; ++i) MakePack("p" + std::to_string(100 + i), false);
  editor::ScanPacks(1);
  EXPECT_EQ(editor::Packs.PackNames[21], "p119");
  // The options form picks a pack and its records without touching the level.
  Level.TileGrid[0][0] = 5;
  fe::Game.MenuMouseX = 738;  // the click area reaches 8 pixels past the highlight
  fe::Game.MenuMouseY = 124 + 16 * 3;
  play::Input.MouseClick = 1;
  editor::PickPackFromList(0);
  EXPECT_EQ(fe::Game.CurrentPack, "p101");
  EXPECT_EQ(Level.TileGrid[0][0], 5);
  fe::Game.MenuMouseX = 742;
  fe::Game.MenuMouseY = 124;
  editor::PickPackFromList(0);
  EXPECT_EQ(fe::Game.CurrentPack, "p101");
}

TEST_F(EditorTest, CreatePackRefusesBadNamesAndReportsAFolderItCouldNotMake) {
  MakePack("mine");
  struct Case {
    std::string name;
    int result;
  };
  const Case cases[] = {
      {"", editor::kPackNameEmpty},        {"   ", editor::kPackNameEmpty},
      {".", editor::kPackNameInvalid},     {"..", editor::kPackNameInvalid},
      {"a/b", editor::kPackNameSeparator}, {"..\\up", editor::kPackNameSeparator},
      {"c:x", editor::kPackNameSeparator}, {"tab\there", editor::kPackNameInvalid},
      {"BASE", editor::kPackExists},       {"MINE", editor::kPackExists},
      {std::string(300, 'n'), editor::kPackNotCreated},
  };
  const auto before = plat::ReadDir("Data/Packs");
  for (const Case& c : cases) {
    EXPECT_EQ(editor::CreatePack(c.name), c.result) << c.name;
    EXPECT_EQ(fe::Game.CurrentPack, "mine");
  }
  EXPECT_EQ(plat::ReadDir("Data/Packs"), before);
}

TEST_F(EditorTest, TheNewPackDialogMakesThePackOrSaysWhyNotInRed) {
  MakePack("mine");
  Enter();
  Move(400, 590);
  Click(ToolX(editor::kToolNewPack), kToolY);
  for (const char* typed : {"Mine\r", "fresh\r"}) {
    for (const char* ch = typed; *ch; ++ch) pt::TypeChar(*ch == '\r' ? 13 : *ch);
    for (int i = 0; i < 12; ++i) Frame();
    if (Editor.CreatePackResult == editor::kPackExists) {
      EXPECT_EQ(Level.EditorDialog, editor::kDialogNewPack);
      EXPECT_EQ(fe::Game.CurrentPack, "mine");
      Shot("editor_new_pack_refused");
      fe::Res.NewPackNameInput->text.clear();
      Click(320, 305);  // the field again
    }
  }
  EXPECT_EQ(fe::Game.CurrentPack, "fresh");
  EXPECT_EQ(Level.EditorDialog, 0);
  for (const char* sub : {"levels", "replays", "scores.dat"})
    EXPECT_TRUE(fs::exists(sandbox_->Path(std::string("Data/Packs/fresh/") + sub))) << sub;
}

TEST_F(EditorTest, ADrawnLevelReloadsByteForByteWithFramesOfItsGrid) {
  MakePack("mine");
  Editor.EditorLevel = 2;
  Enter();
  PickColour(4);
  PickTool(editor::kToolFill);
  Click(CellX(3), CellY(20));
  Click(CellX(30), CellY(22));
  Frame();
  for (int tool : {editor::kToolDraw, editor::kToolDrawChanger, editor::kToolNeutral}) {
    PickTool(tool);
    for (int x = 5; x < 12; ++x) Hold(CellX(x + 3 * tool), CellY(19 - x % 3), 1);
  }
  Hold(CellX(10), CellY(21), 2);
  PickTool(editor::kToolPlayer);
  Click(CellX(4), CellY(19));
  Move(400, 590);
  for (const char* ch = "Tall Steps"; *ch; ++ch) pt::TypeChar(*ch);
  Click(100, 572);
  for (int i = 0; i < 12; ++i) Frame();
  Move(400, 590);
  Click(ToolX(editor::kToolRight), kToolY);
  EXPECT_EQ(Level.LevelDirty, 0);
  const std::vector<uint8_t> saved = FileBytes(LevelFile("mine", 2));
  ASSERT_EQ(saved.size(), 28812u + 12u + 2u);

  // A fresh program body loads the same bytes.
  sandbox_.reset();
  sandbox_ = std::make_unique<vtest::GameSandbox>(2);
  fe::StartUp();
  MakePack("mine");
  std::ofstream(LevelFile("mine", 2), std::ios::binary)
      .write(reinterpret_cast<const char*>(saved.data()), static_cast<std::streamsize>(saved.size()));
  play::LoadLevel(2);
  EXPECT_EQ(Level.LevelName, "Tall Steps");
  EXPECT_EQ(play::EncodeLevel(Level), saved);
  play::LevelData tiled = Level;
  editor::AutoTileAll(tiled.TileGrid, tiled.EdgeFrameGrid, tiled.CornerFrameGrid);
  EXPECT_EQ(0, std::memcmp(tiled.EdgeFrameGrid, Level.EdgeFrameGrid, sizeof tiled.EdgeFrameGrid));
  EXPECT_EQ(0, std::memcmp(tiled.CornerFrameGrid, Level.CornerFrameGrid, sizeof tiled.CornerFrameGrid));
}

// The play test runs the saved level in state 5 and the level-end popup's
// exit comes back to the editor on the same level.
TEST_F(EditorTest, PlayTestRunsTheLevelAndTheLevelEndExitReturnsToTheEditor) {
  MakePack("mine");
  Editor.EditorLevel = 3;
  Level.Clear();
  Level.TileGrid[10][21] = play::kTileNeutral;
  Level.ObjectGrid[10][20] = play::kObjStart;
  Level.ObjectGrid[10][21] = play::kObjExit;
  Level.AllowMovement = 1;
  play::SaveLevel(3);
  fe::Screens().RunEditor = editor::RunEditor;
  fe::Screens().PlayLevel = play::PlayLevel;
  std::vector<int> states;
  int backAt = -1;
  pt::SetFrameHook([&](int64_t f) {
    if (states.empty() || states.back() != fe::Game.GameState) states.push_back(fe::Game.GameState);
    if (f == 12) pt::MouseMove(400, 590);
    if (f == 14) Click(ToolX(editor::kToolPlay), kToolY), pt::MouseMove(400, 590);
    if (fe::Game.GameState == fe::kStatePlay && play::Popup.PopupState == play::kPopupOpen) {
      if (play::Popup.PopupKind == play::kPopupLevelStart) pt::KeyTap(plat::vk::Escape);
      if (play::Popup.PopupKind == play::kPopupNewRecord) {
        pt::MouseMove(500, 416);
        pt::MousePress(1);
        pt::MouseRelease(1);
      }
    }
    if (fe::Game.GameState == fe::kStateEditor && states.size() > 2 && backAt < 0) backAt = static_cast<int>(f);
    if ((backAt >= 0 && f > backAt + 5) || f > 2000) fe::SetGameState(fe::kStateQuit, fe::KeepValue, fe::KeepValue);
  });
  fe::SetGameState(fe::kStateEditor, fe::KeepValue, fe::KeepValue);
  fe::RunDispatcher();
  pt::SetFrameHook(nullptr);
  EXPECT_EQ(states, (std::vector<int>{fe::kStateEditor, fe::kStatePlay, fe::kStateEditor}));
  EXPECT_EQ(Editor.EditorLevel, 3);
  EXPECT_EQ(fe::Records.RecordTimes[3][0] < fe::EmptyRecordTime, true);
}

// The map is drawn from a picture that follows the grids by redrawing only
// the changed area: after strokes, fills and erasures at the map's edges it
// shows exactly what drawing every cell shows.
TEST_F(EditorTest, TheMapPictureShowsWhatDrawingEveryCellShows) {
  MakePack("mine");
  Enter();
  auto same = [] {
    plat::Cls();
    editor::DrawMapPicture();
    const std::vector<uint32_t> cached = plat::ReadTargetPixels();
    plat::Cls();
    editor::DrawMapDirect();
    const std::vector<uint32_t> direct = plat::ReadTargetPixels();
    return std::equal(direct.begin(), direct.begin() + 800 * 576, cached.begin());
  };
  PickColour(9);
  PickTool(editor::kToolFillChanger);
  Click(CellX(0), CellY(0));
  Click(CellX(6), CellY(35));
  Frame();
  EXPECT_TRUE(same());
  for (int tool : {editor::kToolDraw, editor::kToolNeutral, editor::kToolDrawZone}) {
    PickTool(tool);
    for (int x = 0; x < 50; x += 7) Hold(CellX(x), CellY(x % 30), 1);
    Hold(CellX(49), CellY(29), 1);
    Hold(CellX(3), CellY(4), 2);
  }
  EXPECT_TRUE(same());
  // A block turned into a zone: the neighbours keep their frames, and the
  // block's shadow on them goes.
  PickTool(editor::kToolDraw);
  Hold(CellX(20), CellY(20), 1);
  PickColour(2);
  PickTool(editor::kToolDrawZone);
  Hold(CellX(20), CellY(20), 1);
  EXPECT_TRUE(same());
  Level.TileGrid[49][35] = 12;  // a change by other hands, at the corner
  Frame();
  EXPECT_TRUE(same());
}

// Pictures of the editor to look at: the map, the toolbar, the help page,
// each dialog and a fill in progress.
TEST_F(EditorTest, ScreensOfTheToolbarDialogsAndHelpPage) {
  MakePack("shots");
  Enter();
  for (int x = 2; x < 48; ++x) Level.TileGrid[x][28] = 60;
  for (int c = 0; c < 20; ++c) {
    Level.TileGrid[3 + 2 * c][20] = Level.TileGrid[3 + 2 * c][21] = c;
    Level.TileGrid[4 + 2 * c][20] = 20 + c;
    Level.TileGrid[3 + 2 * c][24] = 40 + c;
  }
  for (int x = 10; x < 20; ++x)
    for (int y = 5; y < 10; ++y) Level.TileGrid[x][y] = 5, Level.TileGrid[x + 15][y + 2] = 61;
  Level.ObjectGrid[4][27] = play::kObjStart;
  Level.ObjectGrid[45][27] = play::kObjExit;
  Level.ObjectGrid[20][27] = play::kObjCoin;
  editor::AutoTileAll(Level.TileGrid, Level.EdgeFrameGrid, Level.CornerFrameGrid);
  Level.LevelName = "shot level";
  editor::FieldsFromLevel(true);
  Move(400, 300);
  Shot("editor_map");
  PickTool(editor::kToolCoin);
  Shot("editor_toolbar");
  Click(744, 504);
  Move(ToolX(editor::kToolFill), kToolY);
  Shot("editor_help");
  Click(ToolX(editor::kToolClear), kToolY);
  Shot("editor_clear_dialog");
  Click(500, 375);
  for (int i = 0; i < 10; ++i) Frame();
  for (const char* name : {"another", "a pack with a long name", "zz"}) MakePack(name, false);
  Move(400, 590);
  Click(ToolX(editor::kToolLoadPack), kToolY);
  Move(600, 140);
  Shot("editor_pack_list");
  Level.EditorDialog = 0;
  Move(400, 590);
  Click(744, 504);
  PickTool(editor::kToolFillChanger);
  Click(CellX(30), CellY(14));
  Move(CellX(36), CellY(17));
  Shot("editor_fill_preview");
}

}  // namespace
