// The bitmap font's glyph lookup and placement, and the one-line text field:
// typing, limits, Enter per mode, blink, focus and the record commit.
#include <gtest/gtest.h>


#include "platform/gfx.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "play/runstate.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/textfield.h"
#include "support/sandbox.h"
#include "support/screenshots.h"

namespace {

void OpenOffscreen() {
  if (plat::GraphicsOpen()) return;
  plat::SetGraphicsDriver(plat::kDriverSoftware);
  ASSERT_TRUE(plat::Graphics(800, 600, 0, 60, 0));
}

// Frame f of a 4x4 strip is one solid colour that encodes f.
uint32_t FrameColour(int f) { return 0xFF000000u | static_cast<uint32_t>(f * 5 + 3); }

std::shared_ptr<fe::GFont> SyntheticFont(int advance) {
  auto font = std::make_shared<fe::GFont>();
  font->image = plat::CreateImage(4, 4, fe::GFont::kGlyphFrames, 0);
  for (int f = 0; f < fe::GFont::kGlyphFrames; ++f)
    font->image->pixels[f].assign(16, FrameColour(f));
  font->image->Dirty();
  font->advance = advance;
  return font;
}

int RedAt(int x, int y) {
  return static_cast<int>(plat::ReadTargetPixels()[y * 800 + x] & 0xFF);
}

TEST(FontTest, GlyphFrames) {
  fe::GFont font;
  EXPECT_EQ(font.GlyphFrame('9'), 35);
  EXPECT_EQ(font.GlyphFrame(';'), 46);
  EXPECT_EQ(font.GlyphFrame(' '), 48);
  EXPECT_EQ(font.GlyphFrame('#'), 0);  // anything else: the "a" glyph
  EXPECT_EQ(font.GlyphFrame(200), 0);
  for (int c = 0; c < 256; ++c) EXPECT_NE(font.GlyphFrame(c), 47);
}

TEST(FontTest, Alignment) {
  EXPECT_EQ(fe::AlignedStartX(400, 5, 20, 1), 350);
  EXPECT_EQ(fe::AlignedStartX(520, 5, 10, -1), 470);
  EXPECT_EQ(fe::AlignedStartX(100, 3, 10, 1), 85);
  EXPECT_EQ(fe::AlignedStartX(100, 3, 10, 7), 100);
  EXPECT_EQ(fe::AlignedStartX(100, 0, 10, -1), 100);
}

TEST(FontTest, DrawsOneFramePerCharacterAtTheAdvance) {
  vtest::ResetAllState();
  OpenOffscreen();
  auto font = SyntheticFont(10);
  plat::SetClsColor(0, 0, 0);
  plat::Cls();
  plat::SetScale(2, 3);
  plat::SetRotation(45);
  font->Draw(100, 50, "zB#9 ", 0);
  float sx, sy;
  plat::GetScale(sx, sy);
  EXPECT_EQ(sx, 1.0f);
  EXPECT_EQ(sy, 1.0f);
  EXPECT_EQ(plat::GetRotation(), 0.0f);
  const int frames[] = {25, 1, 0, 35, 48};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(RedAt(101 + 10 * i, 51), static_cast<int>(FrameColour(frames[i]) & 0xFF)) << i;
  EXPECT_EQ(RedAt(106, 51), 0);  // gap between cells of 4 at advance 10
  EXPECT_EQ(font->drawIndex, 5);

  // Centred and right-aligned placement of the same text.
  plat::Cls();
  font->Draw(400, 50, "ab", 1);   // starts at 390
  font->Draw(400, 80, "ab", -1);  // starts at 380
  EXPECT_EQ(RedAt(390, 50), 3);
  EXPECT_EQ(RedAt(389, 50), 0);
  EXPECT_EQ(RedAt(380, 80), 3);
  EXPECT_EQ(RedAt(393, 80), 8);   // "b" at 390..393

  plat::Cls();
  font->Draw(100, 50, "", 1);
  EXPECT_EQ(RedAt(100, 50), 0);
}

// ---------------------------------------------------------------- field

class TextFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::ResetAllState();
    play::ResetInput();
    play::ResetPopup();
    play::ResetLevel();
    plat::test::UseManualClock(100000, 0);
  }
  void TearDown() override {
    fe::Res.RecordNameInput.reset();
    vtest::ResetAllState();
  }
  // Types one character per frame, as the field takes them.
  static void Type(fe::GInput& f, const std::string& s) {
    for (unsigned char c : s) {
      plat::test::TypeChar(c);
      f.Update();
    }
  }
};

TEST_F(TextFieldTest, TypingEditingAndTheLengthLimit) {
  auto f = fe::GInput::Create(200, 200, fe::kInputRecordNameAlt, 8);
  Type(*f, "abc");
  EXPECT_EQ(f->text, "") << "an inactive field takes no keys";
  plat::FlushKeys();  // they wait in the queue
  f->active = 1;
  Type(*f, "Abc De");
  EXPECT_EQ(f->text, "Abc De");
  Type(*f, "\b\b");
  EXPECT_EQ(f->text, "Abc ");
  Type(*f, "\t");
  EXPECT_EQ(f->text, "Abc     ");  // five spaces, cut to eight
  EXPECT_EQ(f->cursorX, 80);
  f->text = "abcdefg";
  Type(*f, "hi");
  EXPECT_EQ(f->text, "abcdefgh");  // the ninth is dropped at once
  EXPECT_EQ(f->cursorX, 80);
  Type(*f, std::string(9, '\b') + "\b");
  EXPECT_EQ(f->text, "");

  // Only one character is taken per frame.
  plat::test::TypeChar('x');
  plat::test::TypeChar('y');
  f->Update();
  EXPECT_EQ(f->text, "x");
  f->Update();
  EXPECT_EQ(f->text, "xy");
}

TEST_F(TextFieldTest, ControlCharactersAndWideCodesAreNotTyped) {
  auto f = fe::GInput::Create(200, 200, fe::kInputRecordNameAlt, 20);
  f->active = 1;
  for (int code : {1, 10, 27, 31, 127, 266, 0x263A}) {
    plat::test::TypeChar(code);
    f->Update();
  }
  EXPECT_EQ(f->text, "");
  for (int code : {32, 126, 128, 233, 255}) {
    plat::test::TypeChar(code);
    f->Update();
  }
  EXPECT_EQ(f->text, std::string("\x20\x7e\x80\xe9\xff"));
}

TEST_F(TextFieldTest, CtrlOrAltHeldTypesNothingButRefreshesBlinkAndCopy) {
  auto f = fe::GInput::Create(70, 568, fe::kInputLevelName, 20);
  f->active = 1;
  f->text = "ab";
  play::Level.LevelName = "old";
  f->blinkOn = 0;
  plat::test::KeyPress(plat::vk::LControl);
  plat::FlushKeys();  // the press itself typed nothing we want here
  plat::test::KeyPress(plat::vk::LControl);
  Type(*f, "c");
  EXPECT_EQ(f->text, "ab");
  EXPECT_EQ(f->blinkOn, 1);
  EXPECT_EQ(play::Level.LevelName, "ab");
  plat::test::ReleaseAll();
  plat::test::KeyPress(plat::vk::LAlt);
  Type(*f, "d");
  EXPECT_EQ(f->text, "ab");
  plat::test::ReleaseAll();
  Type(*f, "e");
  EXPECT_EQ(f->text, "abe");
}

TEST_F(TextFieldTest, EnterPerMode) {
  auto alt = fe::GInput::Create(200, 200, fe::kInputRecordNameAlt, 8);
  alt->active = 1;
  Type(*alt, "ok\r");
  EXPECT_EQ(alt->active, 1);
  EXPECT_EQ(alt->text, "ok");

  auto name = fe::GInput::Create(70, 568, fe::kInputLevelName, 20);
  auto author = fe::GInput::Create(370, 568, fe::kInputLevelAuthor, 20);
  name->active = author->active = 1;
  Type(*name, "Cave");
  Type(*author, "Me");
  EXPECT_EQ(play::Level.LevelName, "Cave");
  EXPECT_EQ(play::Level.LevelAuthor, "Me");
  Type(*name, "\r");
  Type(*author, "\r");
  EXPECT_EQ(name->active, 0);
  EXPECT_EQ(author->active, 0);
  EXPECT_EQ(name->text, "Cave");
  EXPECT_EQ(play::Level.LevelName, "Cave");

  for (int mode : {fe::kInputUploaderName, fe::kInputNewPackName}) {
    auto g = fe::GInput::Create(300, 348, mode, 20);
    g->active = 1;
    Type(*g, "x\r");
    EXPECT_EQ(g->active, 0) << mode;
  }
}

TEST_F(TextFieldTest, EnterInTheRecordFieldCommitsTheFinishedRunsTime) {
  fe::Res.RecordNameInput = fe::GInput::Create(200, 200, fe::kInputRecordName, 8);
  fe::GInput& f = *fe::Res.RecordNameInput;
  fe::ResetLevelRecords(4);
  fe::Game.CurrentLevel = 4;
  play::Popup.FinishTime = 12345;
  play::Run.RunTime = 99000000;  // the clock at a later go
  f.active = 1;
  Type(f, "Kim\r");
  EXPECT_EQ(fe::Records.RecordTimes[4][0], 12345);
  EXPECT_EQ(fe::Records.RecordNames[4][0], "Kim");
  EXPECT_EQ(fe::Records.RecordTimes[4][1], fe::EmptyRecordTime);
  EXPECT_EQ(play::Popup.LastRecordName, "Kim");
  EXPECT_EQ(play::Popup.NewRecordName, "Kim");
  EXPECT_EQ(f.active, 0);
  EXPECT_EQ(f.visible, 0);
  // A later button press has nothing left to commit.
  play::CommitPendingRecordName();
  EXPECT_EQ(fe::Records.RecordTimes[4][1], fe::EmptyRecordTime);
}

TEST_F(TextFieldTest, CursorBlinksEveryFourHundredMilliseconds) {
  auto f = fe::GInput::Create(200, 200, fe::kInputRecordNameAlt, 8);
  f->active = 1;
  Type(*f, "abcdefgh");
  EXPECT_EQ(f->cursorX, 80);
  EXPECT_EQ(f->blinkOn, 1);
  plat::test::AdvanceClock(400);
  f->Update();
  EXPECT_EQ(f->blinkOn, 1) << "400 ms is not yet more than 400";
  plat::test::AdvanceClock(1);
  f->Update();
  EXPECT_EQ(f->blinkOn, 0);
  plat::test::AdvanceClock(401);
  f->Update();
  EXPECT_EQ(f->blinkOn, 1);
}

TEST_F(TextFieldTest, ClickFocusUsesTheLivePointerWithEdgesIncluded) {
  auto f = fe::GInput::Create(200, 200, fe::kInputUploaderName, 8);  // box 200..284 x 200..216
  auto clickAt = [&](int x, int y) {
    plat::test::MouseMove(x, y);
    play::Input.MouseClick = 1;
    f->Update();
    play::Input.MouseClick = 0;
    return f->active;
  };
  EXPECT_EQ(clickAt(200, 200), 1);
  EXPECT_EQ(clickAt(284, 216), 1);
  EXPECT_EQ(clickAt(285, 216), 0);
  EXPECT_EQ(clickAt(240, 199), 0);
  EXPECT_EQ(clickAt(240, 217), 0);
  EXPECT_EQ(clickAt(240, 210), 1);
  // Without a click the focus stays where it is.
  plat::test::MouseMove(0, 0);
  f->Update();
  EXPECT_EQ(f->active, 1);
  // A hidden field takes no focus.
  f->visible = 0;
  EXPECT_EQ(clickAt(240, 210), 0);
}

// Text in both fonts and a field with its cursor, from the game's own strips.
TEST(FontScreenshotTest, BothFontsAndAField) {
  vtest::GameSandbox sandbox(2);
  OpenOffscreen();
  auto big = fe::GFont::Load("velkor.png", 32, 32, 20);
  auto small = fe::GFont::Load("velkor_small.png", 16, 16, 10);
  ASSERT_EQ(big->image->frames, 49);
  ASSERT_EQ(small->image->frames, 49);
  fe::Res.SmallFont = small;
  plat::SetClsColor(0, 0, 40);
  plat::Cls();
  plat::SetColor(255, 255, 255);
  big->Draw(400, 40, "Velkor 0123456789", 1);
  big->Draw(20, 90, "abcdefghijklm", 0);
  big->Draw(20, 130, "nopqrstuvwxyz", 0);
  big->Draw(780, 170, "?.,'\"!()-:; #_", -1);
  plat::SetColor(255, 200, 0);
  small->Draw(400, 240, "The quick brown fox jumps over 13 lazy dogs!", 1);
  small->Draw(20, 270, "?.,'\"!()-:; (CAPS) and #_ fall back to 'a'", 0);
  plat::SetColor(0, 255, 120);
  auto field = fe::GInput::Create(310, 330, "Kim", fe::kInputRecordName, 8);
  field->active = 1;
  field->blinkOn = 1;
  field->cursorX = 30;
  field->Draw();
  const std::string shot = vtest::ShotPath("fonts");
  ASSERT_TRUE(plat::SaveScreenshot(shot));
  // Glyph pixels of each font are lit where the texts stand, and only there.
  auto litIn = [](int x0, int y0, int x1, int y1) {
    const auto px = plat::ReadTargetPixels();
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += (px[y * 800 + x] & 0xFF) > 100;
    return n;
  };
  EXPECT_GT(litIn(230, 40, 570, 72), 200);  // 17 big glyphs centred on 400
  EXPECT_EQ(litIn(0, 40, 228, 72), 0);
  EXPECT_GT(litIn(180, 240, 620, 256), 100);
  fe::Res.SmallFont.reset();
}

}  // namespace
