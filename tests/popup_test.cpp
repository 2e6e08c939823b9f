// The in-level popup: fading, the input lock, the name field's focus and
// commit, each window's picture, and a whole finished level through the
// play harness up to the record and the opened level surviving a restart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frontend/dispatcher.h"
#include "frontend/startup.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "play/coins.h"
#include "play/draw.h"
#include "play/harness.h"
#include "play/playloop.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/textfield.h"
#include "support/bytes.h"
#include "support/play_support.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace {

using play::Popup;

void ResetEverything() {
  vtest::ResetAllState();
  vtest::ResetPlayState();
  fe::ResetButtons();
  fe::Res.RecordNameInput.reset();
}

// Runs UpdatePopup until the state changes; returns the number of frames.
int FramesUntilStateLeaves(int state) {
  int n = 0;
  while (Popup.PopupState == state && n < 1000) {
    play::UpdatePopup();
    ++n;
  }
  return n;
}

class PopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEverything();
    plat::test::UseManualClock(100000, 0);
    fe::Res.RecordNameInput = fe::GInput::Create(200, 200, fe::kInputRecordName, 8);
    fe::ResetLevelRecords(5);
    fe::Game.CurrentLevel = 5;
  }
  void TearDown() override { ResetEverything(); }

  static fe::GInput& Field() { return *fe::Res.RecordNameInput; }

  // A new record at `place` for a run of `ms`, faded in.
  static void OpenNewRecord(int place, int ms) {
    Popup.RecordPlace = place;
    Popup.FinishTime = ms;
    play::OpenPopup(play::kPopupNewRecord);
    FramesUntilStateLeaves(play::kPopupFadingIn);
  }
  static void Type(const std::string& s) {
    for (unsigned char c : s) {
      plat::test::TypeChar(c);
      play::UpdatePopup();
    }
  }
};

TEST_F(PopupTest, FadesInAndOutOverAboutFiftyFramesAndLocksInputMeanwhile) {
  play::OpenPopup(play::kPopupPause);
  EXPECT_EQ(Popup.PopupState, play::kPopupFadingIn);
  EXPECT_EQ(Popup.PopupAlpha, 0.0f);
  const int in = FramesUntilStateLeaves(play::kPopupFadingIn);
  EXPECT_NEAR(in, 50, 1);
  EXPECT_EQ(Popup.PopupState, play::kPopupOpen);
  EXPECT_EQ(Popup.PopupAlpha, 1.0f);
  EXPECT_EQ(play::Input.GameInputLocked, 1);
  play::UpdatePopup();
  EXPECT_EQ(Popup.PopupState, play::kPopupOpen);

  Popup.PopupState = play::kPopupFadingOut;  // Escape
  const int out = FramesUntilStateLeaves(play::kPopupFadingOut);
  EXPECT_NEAR(out, 50, 1);
  EXPECT_EQ(Popup.PopupState, play::kPopupFadedOut);
  EXPECT_EQ(play::Input.GameInputLocked, 1);
  play::UpdatePopup();
  EXPECT_EQ(Popup.PopupState, play::kPopupClosed);
  EXPECT_EQ(play::Input.GameInputLocked, 0);

  // Escape during the fade-in fades out from the alpha reached.
  play::OpenPopup(play::kPopupLevelStart);
  for (int i = 0; i < 10; ++i) play::UpdatePopup();
  Popup.PopupState = play::kPopupFadingOut;
  EXPECT_NEAR(FramesUntilStateLeaves(play::kPopupFadingOut), 10, 1);
}

TEST_F(PopupTest, NewRecordPlacesTheFieldAndGivesItTheFocusOnceShown) {
  Popup.LastRecordName = "Kim";
  Popup.NewRecordName = "old";
  Popup.RecordPlace = 2;
  Popup.FinishTime = 61007;
  Field().visible = 0;
  play::OpenPopup(play::kPopupNewRecord);
  EXPECT_EQ(Field().visible, 1);
  EXPECT_EQ(Field().x, 310);
  EXPECT_EQ(Field().y, 282);
  EXPECT_EQ(Field().text, "Kim");
  EXPECT_EQ(Popup.RunTimeText, "1.01:007");
  EXPECT_EQ(Popup.NewRecordName, "");
  Type("x");
  EXPECT_EQ(Field().active, 0) << "no keys while fading in";
  EXPECT_EQ(Field().text, "Kim");
  FramesUntilStateLeaves(play::kPopupFadingIn);
  EXPECT_EQ(Field().active, 1);
  Type("\bm\r");
  EXPECT_EQ(fe::Records.RecordNames[5][0], "Kim");
  EXPECT_EQ(fe::Records.RecordTimes[5][0], 61007);
  EXPECT_EQ(Popup.NewRecordName, "Kim");
  EXPECT_EQ(Field().visible, 0);

  play::OpenPopup(play::kPopupLevelDone);
  EXPECT_EQ(Popup.RunTimeText, "1.01:007");
}

TEST_F(PopupTest, AKeyHeldFromPlayIntoTheRecordWindowTypesNothingUntilPressedAgain) {
  plat::test::KeyPress('D');  // the run key, held across the finish
  play::OpenPopup(play::kPopupNewRecord);
  for (int frame = 0; frame < 80; ++frame) {
    plat::test::KeyRepeat('D');
    play::UpdatePopup();
  }
  EXPECT_EQ(Field().active, 1);
  EXPECT_EQ(Field().text, "");
  plat::test::KeyRelease('D');
  plat::test::KeyPress('D');
  plat::test::KeyRepeat('D');
  play::UpdatePopup();  // a character a frame
  play::UpdatePopup();
  EXPECT_EQ(Field().text, "dd");
}

TEST_F(PopupTest, AClickElsewhereInTheWindowKeepsTheNameFieldFocused) {
  OpenNewRecord(0, 3000);
  plat::test::MouseMove(420, 300);  // inside the window, off the field
  play::Input.MouseClick = 1;
  play::UpdatePopup();
  play::Input.MouseClick = 0;
  EXPECT_EQ(Field().active, 1);
  Type("Jo\r");
  EXPECT_EQ(fe::Records.RecordNames[5][0], "Jo");
}

TEST_F(PopupTest, EscapeCommitsWhatWasTyped) {
  OpenNewRecord(0, 2500);
  Field().text.clear();
  play::Run.RunTime = 77777777;  // the clock at a later go
  Type("Lee");
  Popup.PopupState = play::kPopupFadingOut;  // Escape
  play::UpdatePopup();
  EXPECT_EQ(fe::Records.RecordNames[5][0], "Lee");
  EXPECT_EQ(fe::Records.RecordTimes[5][0], 2500);
  EXPECT_EQ(Field().active, 0);
  // Typing during the fade-out goes nowhere, and nothing is inserted twice.
  Type("zz\r");
  FramesUntilStateLeaves(play::kPopupFadingOut);
  play::CommitPendingRecordName();
  EXPECT_EQ(fe::Records.RecordTimes[5][1], fe::EmptyRecordTime);
}

TEST_F(PopupTest, AButtonPressedWhileFadingInStillCommitsTheName) {
  Popup.LastRecordName = "Max";
  Popup.RecordPlace = 0;
  Popup.FinishTime = 999;
  play::OpenPopup(play::kPopupNewRecord);
  play::UpdatePopup();
  ASSERT_EQ(Popup.PopupState, play::kPopupFadingIn);
  play::CommitPendingRecordName();  // the level-end buttons' first step
  EXPECT_EQ(fe::Records.RecordNames[5][0], "Max");
  EXPECT_EQ(fe::Records.RecordTimes[5][0], 999);
}

TEST_F(PopupTest, AnotherPopupTakesTheFieldOutOfPlay) {
  OpenNewRecord(1, 4000);
  ASSERT_EQ(Field().active, 1);
  play::OpenPopup(play::kPopupPause);
  EXPECT_EQ(Field().active, 0);
  EXPECT_EQ(Field().visible, 0);
  FramesUntilStateLeaves(play::kPopupFadingIn);
  Type("abc\r");
  play::CommitPendingRecordName();
  EXPECT_EQ(fe::Records.RecordTimes[5][0], fe::EmptyRecordTime);
  // A click where the field stood does not bring the hidden field back.
  plat::test::MouseMove(320, 270);
  play::Input.MouseClick = 1;
  play::UpdatePopup();
  EXPECT_EQ(Field().active, 0);
}

// ---------------------------------------------------------------- pictures

void SaveShot(const std::string& name) {
  ASSERT_TRUE(plat::SaveScreenshot(vtest::ShotPath(name)));
}

play::LevelData SmallLevel() {
  play::LevelData l = vtest::BlankLevel();
  vtest::FillTiles(l, 0, 30, 49, 35, play::kTileNeutral);  // safe for any colour
  vtest::FillTiles(l, 30, 10, 34, 14, 3);
  vtest::FillTiles(l, 36, 10, 40, 14, 26);
  vtest::PutObject(l, 10, 29, play::kObjStart);
  vtest::PutObject(l, 20, 29, play::kObjExit);
  vtest::PutObject(l, 15, 29, play::kObjCoin);
  l.AllowShooting = 0;
  l.LevelName = "Small steps";
  return l;
}

TEST(PopupPictureTest, EachKindOverThePlayField) {
  vtest::GameSandbox sandbox(2);
  ResetEverything();
  fe::StartUp();
  fe::Game.CurrentPack = "base";
  fe::SetGameState(5, 4, fe::KeepValue);
  fe::LoadRecords();
  fe::InsertRecord(4, 21345, "Ann");
  fe::InsertRecord(4, 25010, "Bob");
  fe::InsertRecord(4, 30999, "Cy");
  fe::Records.LevelStatus[4] = 1;  // the next level is open: next is shown
  static_cast<play::LevelData&>(play::Level) = SmallLevel();
  play::SetupLevelObjects(0);
  play::Input.AnimCounter = 9 - 4;
  fe::Button::ShowGroup(5);

  struct Shot {
    int kind;
    const char* file;
  };
  for (Shot s : {Shot{play::kPopupLevelStart, "popup_start"},
                 Shot{play::kPopupPause, "popup_pause"},
                 Shot{play::kPopupLevelDone, "popup_done"},
                 Shot{play::kPopupNewRecord, "popup_record"}}) {
    Popup.FinishTime = 23456;
    Popup.RecordPlace = 1;
    Popup.LastRecordName = "Zoe";
    play::OpenPopup(s.kind);
    FramesUntilStateLeaves(play::kPopupFadingIn);
    if (s.kind == play::kPopupNewRecord) {
      fe::Res.RecordNameInput->blinkOn = 1;
      fe::Res.RecordNameInput->cursorX = 30;
    }
    plat::SetClsColor(0, 0, 0);
    plat::Cls();
    play::DrawGame();
    play::DrawPopup();
    SaveShot(s.file);
    float sx, sy;
    plat::GetScale(sx, sy);
    EXPECT_EQ(plat::GetAlpha(), 1.0f);
    int r, g, b;
    plat::GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
  }
  fe::Res.RecordNameInput->active = 0;
  ResetEverything();
}

// ---------------------------------------------------------------- a whole run

// Runs popup frames with its own pointer and clicks, after the play
// harness's scripted run has finished the level.
class PopupHand final : public play::InputSource {
 public:
  int KeyHit(int) override { return 0; }
  bool KeyDown(int) override { return false; }
  int MouseHit(int b) override {
    const int v = b == 1 ? click : 0;
    if (b == 1) click = 0;
    return v;
  }
  bool MouseDown(int) override { return false; }
  int MouseX() override { return x; }
  int MouseY() override { return y; }
  int x = 400, y = 300, click = 0;
};

void PlayFrames(int n) {
  for (int i = 0; i < n; ++i) {
    plat::test::AdvanceClock(1000.0 / 60.0);
    play::PlayFrame(false);
  }
}

TEST(PopupRunTest, FinishTypeANameGoOnAndFindItAllAfterARestart) {
  vtest::GameSandbox sandbox(2);
  ResetEverything();
  plat::test::UseManualClock(100000, 0);
  fe::StartUp();
  fe::EnterStartState();
  fe::UnlockLevels();  // as the level select does on entry
  ASSERT_EQ(fe::Records.LevelStatus[0], 1);
  ASSERT_EQ(fe::Records.LevelStatus[3], 0);
  fe::SetGameState(1, 1, fe::KeepValue);
  fe::SetGameState(5, 3, fe::KeepValue);  // level 3, entered from the level select
  fe::Records.LevelStatus[2] = 1;
  fe::Button::ShowGroup(5);

  bool typed = false;
  int finishTime = 0;
  play::PlayRunOptions o;
  o.pack = "base";
  o.level = 3;
  o.onFrame = [&](int) {
    if (!play::Run.LevelFinished || typed) return true;
    typed = true;
    finishTime = play::Run.RunTime;
    EXPECT_EQ(Popup.PopupKind, play::kPopupNewRecord);
    EXPECT_EQ(fe::Records.LevelStatus[2], 2);
    EXPECT_EQ(fe::Records.LevelStatus[3], 1);
    PopupHand hand;
    play::SetInputSource(&hand);
    PlayFrames(60);  // fade in; the field gets the focus
    EXPECT_EQ(fe::Res.RecordNameInput->active, 1);
    fe::Res.RecordNameInput->text.clear();
    for (char c : std::string("Zoe\x1b\n!")) {
      plat::test::TypeChar(static_cast<unsigned char>(c));
      PlayFrames(1);
    }
    // A click on the popup's panel, then one on "next".
    hand.x = 300, hand.y = 180, hand.click = 1;
    PlayFrames(1);
    EXPECT_EQ(fe::Res.RecordNameInput->active, 1);
    hand.x = 380, hand.y = 410, hand.click = 1;
    PlayFrames(1);
    EXPECT_EQ(fe::Game.GameState, fe::kStateNextLevel);
    EXPECT_EQ(fe::Game.CurrentLevel, 4);
    EXPECT_EQ(Popup.PopupState, play::kPopupClosed);
    play::SetInputSource(nullptr);
    return true;
  };
  const auto r = play::RunPlayScript(SmallLevel(), vtest::Script("limit 3000\n1 right\n"), o);
  ASSERT_TRUE(r.finished) << play::DescribeRun(r);
  ASSERT_TRUE(typed);
  EXPECT_EQ(fe::Records.RecordNames[3][0], "Zoe!");
  EXPECT_EQ(fe::Records.RecordTimes[3][0], finishTime);
  EXPECT_GT(finishTime, 0);
  fe::SaveRecordsAndStatus();  // the dispatcher's next pass

  // Start the program body again in the same folder and quit from the menu.
  ResetEverything();
  plat::test::UseManualClock(200000);
  EXPECT_EQ(vtest::RunProgramToQuit(), 0);
  EXPECT_EQ(fe::Records.RecordNames[3][0], "Zoe!");
  EXPECT_EQ(fe::Records.RecordTimes[3][0], finishTime);
  EXPECT_EQ(fe::Records.LevelStatus[2], 2);
  EXPECT_EQ(fe::Records.LevelStatus[3], 1);

  std::vector<uint8_t> scores, status;
  ASSERT_TRUE(plat::LoadFileBytes(sandbox.Path("Data/Packs/base/scores.dat"), scores));
  ASSERT_TRUE(plat::LoadFileBytes(sandbox.Path("Data/Packs/base/status.dat"), status));
  ASSERT_EQ(status.size(), 224u);
  EXPECT_EQ(status[4 * 2], 2);
  EXPECT_EQ(status[4 * 3], 1);
  const std::string text(scores.begin() + 1020, scores.end());
  EXPECT_EQ(text.substr(15 * 10, 6), "Zoe!\r\n");  // line 15: level 3, place 0
  ResetEverything();
}

// Closing the window over the new-record window leaves play through the quit
// request, not through the popup's buttons: the record is kept as Escape
// keeps it, and reaches the disk beside the replay already written for it.
TEST(PopupRunTest, ClosingTheWindowOverTheRecordWindowKeepsTheRecordWithItsReplay) {
  enum When { kFadingIn, kTyped, kAfterEscape };
  const struct {
    const char* name;
    When when;
    const char* kept;
  } cases[] = {
      {"before the field has the focus", kFadingIn, ""},  // the name offered: none yet
      {"with a name typed", kTyped, "abc"},
      {"after Escape", kAfterEscape, "abc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::GameSandbox sandbox(2);
    std::filesystem::create_directories(sandbox.Path("Data/Packs/mine/Levels"));
    const std::vector<uint8_t> level = play::EncodeLevel(SmallLevel());
    std::ofstream(sandbox.Path("Data/Packs/mine/Levels/1.doy"), std::ios::binary)
        .write(reinterpret_cast<const char*>(level.data()), static_cast<std::streamsize>(level.size()));

    namespace pt = plat::test;
    bool started = false, escaped = false, recordEscaped = false, closed = false;
    std::string typed = "abc";
    pt::SetFrameHook([&](int64_t frame) {
      if (closed) return;
      if (frame > 30000) {  // a run that never finishes must still end
        ADD_FAILURE() << "no new-record window";
        closed = true;
        pt::RequestClose();
        return;
      }
      const fe::GInput& field = *fe::Res.RecordNameInput;
      switch (fe::Game.GameState) {
        case fe::kStateSplash: pt::KeyTap(plat::vk::Space); return;
        case fe::kStateMainMenu:
          if (started) return;
          started = true;
          fe::Game.CurrentPack = "mine";  // as the options' pack list does
          fe::LoadRecords();
          fe::SetGameState(fe::kStatePlay, 1, fe::KeepValue);
          return;
        case fe::kStatePlay: break;
        default: return;
      }
      if (Popup.PopupKind == play::kPopupLevelStart && Popup.PopupState == play::kPopupOpen &&
          !escaped) {
        escaped = true;
        pt::KeyTap(plat::vk::Escape);
        pt::KeyPress(fe::Settings.KeyBindRight);  // held from the countdown to the exit
      }
      if (Popup.PopupKind != play::kPopupNewRecord) return;
      pt::KeyRelease(fe::Settings.KeyBindRight);
      bool close = false;
      if (c.when == kFadingIn) {
        close = Popup.PopupState == play::kPopupFadingIn;
      } else if (field.active && !typed.empty()) {
        pt::TypeChar(typed.front());
        typed.erase(0, 1);
      } else if (c.when == kTyped) {
        close = typed.empty() && field.text == "abc";
      } else if (!recordEscaped) {
        recordEscaped = typed.empty() && field.text == "abc";
        if (recordEscaped) pt::KeyTap(plat::vk::Escape);
      } else {
        close = !field.visible;  // Escape's fade-out has taken the name
      }
      if (close) {
        closed = true;
        pt::RequestClose();
      }
    });
    int code = -1000;
    try {
      fe::StartProgram();
    } catch (const vtest::ProgramExit& e) {
      code = e.code;
    }
    pt::SetFrameHook(nullptr);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(closed);

    // What the next start finds: the record, and the replay of that run.
    std::vector<uint8_t> replay;
    ASSERT_TRUE(plat::LoadFileBytes(sandbox.Path("Data/Packs/mine/replays/1.doyplay"), replay));
    ASSERT_GE(replay.size(), 4u);
    ResetEverything();
    fe::Game.CurrentPack = "mine";
    fe::LoadRecords();
    EXPECT_EQ(fe::Records.RecordTimes[1][0], vtest::IntAt(replay, 0));
    EXPECT_EQ(fe::Records.RecordNames[1][0], c.kept);
    EXPECT_EQ(fe::Records.RecordTimes[1][1], fe::EmptyRecordTime);  // kept once
    ResetEverything();
  }
}

}  // namespace
