// Menu buttons: the table, hover with edges included, groups, click
// actions (the level-end ones above all) and the drawing colours.
#include <gtest/gtest.h>

#include "platform/gfx.h"
#include "platform/headless.h"
#include "play/countdown.h"
#include "play/runstate.h"
#include "play/tavik.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/textfield.h"
#include "support/sandbox.h"

namespace {

using fe::Button;
using fe::ButtonPtr;
using fe::Buttons;

// A button with a plain white picture of the given size, appended to the list.
ButtonPtr MakeButton(float x, float y, int w, int h, int action, int group) {
  auto b = std::make_shared<Button>();
  b->image = plat::ImageFromPixels(w, h, std::vector<uint32_t>(w * h, 0xFFFFFFFFu), 0);
  b->x = x;
  b->y = y;
  b->width = static_cast<float>(w);
  b->height = static_cast<float>(h);
  b->action = action;
  b->group = group;
  b->visible = 0;
  Buttons.ButtonList.push_back(b);
  return b;
}

class ButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::ResetAllState();
    fe::ResetButtons();
    play::ResetInput();
    play::ResetPopup();
  }
  void TearDown() override {
    fe::ResetButtons();
    play::ResetPopup();
    fe::Res.RecordNameInput.reset();
    vtest::ResetAllState();
  }
  static void ClickAt(int x, int y) {
    plat::test::MouseMove(x, y);
    play::Input.MouseClick = 1;
    Button::UpdateAll();
    play::Input.MouseClick = 0;
  }
  // The level-end buttons of group 5 at their places, shown as play does.
  void LevelEndButtons() {
    Buttons.BtnReplay = MakeButton(270, 400, 80, 24, 6, 5);
    Buttons.BtnNext = MakeButton(370, 400, 80, 24, 7, 5);
    Buttons.BtnExit = MakeButton(460, 400, 80, 24, 8, 5);
    Button::ShowGroup(5);
    play::Popup.PopupState = play::kPopupOpen;
  }
};

TEST_F(ButtonsTest, HoverIncludesTheEdgesAndOnePixelBefore) {
  Button b;
  b.x = 100;
  b.y = 200;
  b.width = 50;
  b.height = 20;
  EXPECT_TRUE(b.Hovers(99, 199));   // the pointer box's far corner touches
  EXPECT_TRUE(b.Hovers(150, 220));  // x + width, y + height
  EXPECT_TRUE(b.Hovers(125, 210));
  EXPECT_FALSE(b.Hovers(98, 210));
  EXPECT_FALSE(b.Hovers(151, 210));
  EXPECT_FALSE(b.Hovers(125, 198));
  EXPECT_FALSE(b.Hovers(125, 221));
}

TEST_F(ButtonsTest, OnlyLiveButtonsReactAndOverlappingOnesAllRun) {
  auto left = MakeButton(100, 100, 40, 20, 101, 20);
  auto right = MakeButton(120, 100, 40, 20, 102, 20);
  auto other = MakeButton(100, 100, 60, 20, 103, 3);
  Button::ShowGroup(20);
  EXPECT_EQ(left->visible, 1);
  EXPECT_EQ(other->visible, 0);
  ClickAt(130, 110);
  EXPECT_EQ(left->hover, 1);
  EXPECT_EQ(right->hover, 1);
  EXPECT_EQ(other->hover, 0);
  EXPECT_EQ(Buttons.KeyPromptIndex, 2);  // both ran, in list order

  // Hover without a click runs nothing; hover stays from the last update.
  Buttons.KeyPromptIndex = 0;
  plat::test::MouseMove(105, 110);
  Button::UpdateAll();
  EXPECT_EQ(left->hover, 1);
  EXPECT_EQ(right->hover, 0);
  EXPECT_EQ(Buttons.KeyPromptIndex, 0);

  Button::HideAll();
  ClickAt(105, 110);
  EXPECT_EQ(Buttons.KeyPromptIndex, 0);
  EXPECT_EQ(left->hover, 1) << "a hidden button keeps its last hover";
}

TEST_F(ButtonsTest, MenuActionsSetStatesAndSettings) {
  auto run = [](int action) {
    fe::Game.GameState = 0;
    Button::DoAction(action);
    return fe::Game.GameState;
  };
  EXPECT_EQ(run(1), 1);
  fe::Game.CurrentPack = "BASE";
  EXPECT_EQ(run(1), 1);
  fe::Game.CurrentPack = "mine";
  EXPECT_EQ(run(1), 9);
  EXPECT_EQ(run(24), 1);
  EXPECT_EQ(run(23), 0);  // group 8's replay and the labels do nothing
  EXPECT_EQ(run(16), 0);

  fe::Game.CurrentLevel = 12;
  fe::Game.PreviousLevel = 3;
  Button::DoAction(3);
  EXPECT_EQ(fe::Game.CurrentLevel, 12) << "only the state changes";
  EXPECT_EQ(fe::Game.PreviousLevel, 3);

  fe::Settings.FullScreen = 1;
  Button::DoAction(25);
  EXPECT_EQ(fe::Settings.FullScreen, 0);
  Button::DoAction(25);
  EXPECT_EQ(fe::Settings.FullScreen, 1);
}

TEST_F(ButtonsTest, LevelExitReturnsToWhereTheLevelWasEntered) {
  LevelEndButtons();
  struct Case {
    int previous, state, level;
  };
  // Through state 7 to the built-in select, through 11 to the pack select,
  // otherwise back to the previous state, level and third value.
  for (Case c : {Case{7, 1, 8}, Case{11, 9, 8}, Case{2, 2, 4}}) {
    fe::ResetGameFlow();
    fe::SetGameState(c.previous, 4, 77);
    fe::SetGameState(5, 8, 0);
    play::Popup.PopupState = play::kPopupOpen;
    ClickAt(470, 410);
    EXPECT_EQ(fe::Game.GameState, c.state) << c.previous;
    EXPECT_EQ(fe::Game.CurrentLevel, c.level) << c.previous;
    EXPECT_EQ(play::Popup.PopupState, play::kPopupClosed);
  }
  EXPECT_EQ(fe::Game.StateParam, 77);
}

TEST_F(ButtonsTest, NextLevelFollowsTheProgressInTheBuiltInPack) {
  LevelEndButtons();
  fe::SetGameState(5, 6, fe::KeepValue);
  // Locked next level: the next button is not made live, and pressing it
  // anyway changes nothing and leaves the popup open.
  Buttons.BtnNext->visible = 0;
  Button::UpdateAll();
  EXPECT_EQ(Buttons.BtnNext->visible, 0);
  Button::DoAction(7);
  EXPECT_EQ(fe::Game.GameState, 5);
  EXPECT_EQ(play::Popup.PopupState, play::kPopupOpen);

  fe::Records.LevelStatus[6] = 1;  // level 7 open
  Button::UpdateAll();
  EXPECT_EQ(Buttons.BtnNext->visible, 1);
  ClickAt(380, 410);
  EXPECT_EQ(fe::Game.GameState, 7);
  EXPECT_EQ(fe::Game.CurrentLevel, 7);
  EXPECT_EQ(play::Popup.PopupState, play::kPopupClosed);

  // Another pack goes on through state 11 whatever the progress says.
  fe::ResetRecords();
  fe::Game.CurrentPack = "mine";
  fe::SetGameState(5, 50, fe::KeepValue);
  play::Popup.PopupState = play::kPopupOpen;
  Button::DoAction(7);
  EXPECT_EQ(fe::Game.GameState, 11);
  EXPECT_EQ(fe::Game.CurrentLevel, 51);
}

TEST_F(ButtonsTest, LevelEndButtonsCommitAPendingNameWithTheFinishTime) {
  LevelEndButtons();
  fe::Res.RecordNameInput = fe::GInput::Create(200, 200, fe::kInputRecordName, 8);
  fe::ResetLevelRecords(9);
  fe::SetGameState(1, fe::KeepValue, fe::KeepValue);
  fe::SetGameState(5, 9, fe::KeepValue);
  play::Popup.FinishTime = 4321;
  play::Popup.RecordPlace = 0;
  play::OpenPopup(play::kPopupNewRecord);
  play::Popup.PopupState = play::kPopupOpen;
  fe::Res.RecordNameInput->active = 1;
  fe::Res.RecordNameInput->text = "Ada";
  play::Run.RunTime = 88888888;
  ClickAt(470, 410);  // exit
  EXPECT_EQ(fe::Records.RecordTimes[9][0], 4321);
  EXPECT_EQ(fe::Records.RecordNames[9][0], "Ada");
  EXPECT_EQ(play::Popup.NewRecordName, "Ada");
  EXPECT_EQ(play::Popup.LastRecordName, "Ada");
  EXPECT_EQ(fe::Res.RecordNameInput->visible, 0);
  EXPECT_EQ(fe::Game.GameState, 1);
  // Nothing is pending any more: another press inserts nothing.
  Button::DoAction(8);
  EXPECT_EQ(fe::Records.RecordTimes[9][1], fe::EmptyRecordTime);
}

TEST_F(ButtonsTest, ReplayRestartsAndClosesThePopup) {
  LevelEndButtons();
  fe::SetGameState(5, 3, fe::KeepValue);
  play::Run.CountdownState = 0;
  ClickAt(300, 410);
  EXPECT_EQ(play::Popup.PopupState, play::kPopupClosed);
  EXPECT_EQ(play::Run.CountdownState, play::kCountdownWaitPopup);
  EXPECT_EQ(fe::Game.GameState, 5);
}

// ---------------------------------------------------------------- drawing

uint32_t PixelAt(int x, int y) { return plat::ReadTargetPixels()[y * 800 + x]; }
int R(uint32_t p) { return p & 0xFF; }
int G(uint32_t p) { return (p >> 8) & 0xFF; }
int B(uint32_t p) { return (p >> 16) & 0xFF; }

// What every drawing routine leaves for the next one: white at alpha 1.
void ExpectWhiteAtFullAlpha() {
  int r, g, b;
  plat::GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);
  EXPECT_EQ(plat::GetAlpha(), 1.0f);
}

class ButtonDrawTest : public ButtonsTest {
 protected:
  void SetUp() override {
    ButtonsTest::SetUp();
    if (!plat::GraphicsOpen()) {
      plat::SetGraphicsDriver(plat::kDriverSoftware);
      ASSERT_TRUE(plat::Graphics(800, 600, 0, 60, 0));
    }
    fe::BuildPalette();
    fe::BuildColourCycle();
    plat::SetClsColor(0, 0, 0);
    plat::Cls();
  }
};

TEST_F(ButtonDrawTest, MenuColoursHoverTintAndDimmedSettings) {
  auto plain = MakeButton(10, 10, 8, 8, 3, 3);
  auto hovered = MakeButton(30, 10, 8, 8, 3, 3);
  auto full = MakeButton(50, 10, 8, 8, 25, 3);
  auto upload = MakeButton(70, 10, 8, 8, 19, 3);
  Button::ShowGroup(3);
  hovered->hover = 1;
  play::Input.AnimCounter = 0;  // the cycle starts at pure red
  fe::Settings.FullScreen = 0;
  fe::Game.CurrentPack = "base";
  Button::DrawAll();
  ExpectWhiteAtFullAlpha();
  const uint32_t p = PixelAt(14, 14), h = PixelAt(34, 14), f = PixelAt(54, 14),
                 u = PixelAt(74, 14);
  EXPECT_EQ(R(p), 255);
  EXPECT_EQ(G(p), 0);
  EXPECT_EQ(G(h), 127);  // (0 + 255) / 2
  EXPECT_NEAR(R(f), 64, 2);  // a quarter while off
  EXPECT_NEAR(R(u), 64, 2);  // no upload for the built-in pack

  plat::Cls();
  fe::Settings.FullScreen = 1;
  fe::Game.CurrentPack = "mine";
  Button::DrawAll();
  EXPECT_EQ(R(PixelAt(54, 14)), 255);
  EXPECT_EQ(R(PixelAt(74, 14)), 255);
}

TEST_F(ButtonDrawTest, PlayButtonsTakeThePopupAlphaAndTheLevelColour) {
  auto b = MakeButton(10, 10, 8, 8, 6, 5);
  fe::Game.GameState = 5;
  play::Input.AnimCounter = 12;  // palette colour 12: blue 263 shows as 255
  play::Popup.PopupAlpha = 1.0f;
  play::Popup.PopupAlpha = 0.5f;
  b->visible = 1;
  b->Draw();
  ExpectWhiteAtFullAlpha();
  plat::Cls();
  play::Popup.PopupAlpha = 1.0f;
  b->Draw();
  const uint32_t p = PixelAt(14, 14);
  EXPECT_EQ(R(p), 1);
  EXPECT_EQ(G(p), 61);
  EXPECT_EQ(B(p), 255);
  plat::Cls();
  b->visible = 0;  // drawn anyway, at a quarter of the alpha
  b->Draw();
  EXPECT_NEAR(B(PixelAt(14, 14)), 64, 2);
}

// The real table: 32 pictures from the game folder, in creation order.
TEST(ButtonTableTest, CreatesTheRowsInOrderHiddenWithTheirPictureSizes) {
  vtest::GameSandbox sandbox(2);
  fe::ResetButtons();
  fe::CreateButtons(1, 27);
  fe::CreateButtons(28, 32);
  ASSERT_EQ(Buttons.ButtonList.size(), 32u);
  const int actions[32] = {1,  2,  3,  6,  7,  8,  9,  10, 11, 12, 13,  14,  15,  16,  17,  18,
                           19, 20, 21, 22, 22, 23, 24, 25, 26, 27, 5, 101, 102, 103, 104, 105};
  for (int i = 0; i < 32; ++i) {
    const Button& b = *Buttons.ButtonList[i];
    EXPECT_EQ(b.action, actions[i]) << i;
    EXPECT_EQ(b.visible, 0);
    EXPECT_GT(b.width, 0);
    EXPECT_EQ(b.width, plat::ImageWidth(b.image));
    EXPECT_EQ(b.height, plat::ImageHeight(b.image));
  }
  EXPECT_EQ(Buttons.BtnReplay, Buttons.ButtonList[3]);
  EXPECT_EQ(Buttons.BtnNext, Buttons.ButtonList[4]);
  EXPECT_EQ(Buttons.BtnExit, Buttons.ButtonList[5]);
  EXPECT_EQ(Buttons.BtnReplayAlt, Buttons.ButtonList[21]);
  EXPECT_EQ(Buttons.BtnExitAlt, Buttons.ButtonList[22]);
  EXPECT_EQ(Buttons.ButtonList[26]->x, 300);
  EXPECT_EQ(Buttons.ButtonList[26]->y, 400);
  EXPECT_EQ(Buttons.ButtonList[20]->group, 9);
  Button::ShowGroup(3);
  int live = 0;
  for (const auto& b : Buttons.ButtonList) live += b->visible;
  EXPECT_EQ(live, 14);  // the options screen
  fe::ResetButtons();
}

}  // namespace
