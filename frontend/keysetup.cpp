#include "frontend/keysetup.h"

#include "frontend/buttons.h"
#include "frontend/config.h"
#include "frontend/font.h"
#include "frontend/gamestate.h"
#include "frontend/menuframe.h"
#include "frontend/resources.h"
#include "play/input.h"
#include "play/tavik.h"
#include "platform/gfx.h"
#include "platform/input.h"

namespace fe {

namespace {

struct KeyLabel {
  int code;
  const char* name;
};

// The font has letters, digits, a few stops and the space only, so a key
// whose character is not its own label is shown by a name.
constexpr KeyLabel kKeyNames[] = {
    {13, "RETURN"},     {32, "SPACE"},      {37, "LEFT"},      {38, "UP"},
    {39, "RIGHT"},      {40, "DOWN"},       {160, "LSHIFT"},   {161, "RSHIFT"},
    {162, "LCTRL"},     {163, "RCTRL"},     {164, "LALT"},     {165, "RALT"},
    {8, "BACKSPACE"},   {9, "TAB"},         {16, "SHIFT"},     {17, "CTRL"},
    {18, "ALT"},        {20, "CAPSLOCK"},   {27, "ESCAPE"},    {33, "PAGEUP"},
    {34, "PAGEDOWN"},   {35, "END"},        {36, "HOME"},      {45, "INSERT"},
    {46, "DELETE"},     {186, ";"},         {187, "EQUALS"},   {188, ","},
    {189, "-"},         {190, "."},         {191, "SLASH"},    {192, "BACKQUOTE"},
    {219, "LBRACKET"},  {220, "BACKSLASH"}, {221, "RBRACKET"}, {222, "'"},
};

// The key prompts, by KeyPromptIndex - 1.
constexpr const char* kPrompts[] = {"Press new left key", "Press new right key",
                                    "Press new jump key", "Press new slow mo key"};

int* PickerBinding(int index) {
  switch (index) {
    case 1: return &Settings.KeyBindLeft;
    case 2: return &Settings.KeyBindRight;
    case 3: return &Settings.KeyBindUp;
    case 4: return &Settings.KeyBindSlowMo;
    default: return nullptr;
  }
}

void DrawKeyScreen() {
  DrawMenuBackdrop();
  play::TickAnimCounter();
  // In the status bar icons' colour.
  SetCycleColour(play::Run.HudColour);
  plat::DrawImage(Res.ImgKeyScreenTitle, 250, 40);
  plat::DrawImage(Res.ImgKeyShootLabel, 100, 400);
  plat::DrawImage(Res.ImgKeyRopeLabel, 100, 440);
  const int bound[4] = {Settings.KeyBindLeft, Settings.KeyBindRight, Settings.KeyBindUp,
                        Settings.KeyBindSlowMo};
  for (int i = 0; i < 4; ++i) Res.BigFont->Draw(400, 200 + 40 * i, KeyName(bound[i]), 0);
}

}  // namespace

std::string KeyName(int code) {
  for (const KeyLabel& k : kKeyNames)
    if (k.code == code) return k.name;
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return std::string(1, static_cast<char>(code));
  if (code >= 96 && code <= 105) return "NUM" + std::to_string(code - 96);
  if (code >= 112 && code <= 135) return "F" + std::to_string(code - 111);
  return "KEY " + std::to_string(code);
}

void DrawKeyPrompt() {
  const int index = Buttons.KeyPromptIndex;
  plat::SetAlpha(0.5f);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(200, 200, 400, 300);
  plat::SetAlpha(1.0f);
  SetCycleColour(play::Input.AnimCounter);
  play::DrawRectOutline(200, 200, 400, 300);
  if (index >= 1 && index <= 4) Res.SmallFont->Draw(400, 300, kPrompts[index - 1], 1);
  plat::Flip();
}

void CaptureKey() {
  int& pending = Buttons.KeyPromptIndex;
  if (pending <= 0) return;
  DrawKeyPrompt();
  // A closed window ends the wait with 0: nothing is bound, and the quit
  // state the close asked for ends the screen.
  const int code = plat::WaitKey();
  if (int* binding = PickerBinding(pending); binding && code != 0) *binding = code;
  pending = 0;
  plat::FlushKeys();
  plat::FlushMouse();
}

void RunKeySetup() {
  MenuFrame frame(true);
  LoadMenuBackdrop();
  frame.Open();
  while (frame.Running()) {
    // The buttons are drawn before this frame's click is handled.
    frame.Begin(false);
    DrawKeyScreen();
    Button::DrawAll();
    Button::UpdateAll();
    CaptureKey();
    frame.Finish(kStateOptions);
  }
}

void ConfigureKeys() {
  plat::SetAlpha(1.0f);
  play::DrawLevel(1);
  plat::SetColor(Res.BlockPaletteR[0], Res.BlockPaletteG[0], Res.BlockPaletteB[0]);
  for (int y = 576; y < plat::kScreenH; y += 16)
    for (int x = 0; x < plat::kScreenW; x += 16) plat::DrawImage(Res.ImgBlocksPlain, x, y, 10);
  plat::ImagePtr grab = plat::CreateImage(plat::kScreenW, plat::kScreenH);
  plat::GrabImage(grab, 0, 0);
  plat::Flip();

  int up = 0, down = 0, left = 0, right = 0, slow = 0;
  struct Line {
    const char* text;
    int* key;
    int step;
  };
  const Line lines[] = {{"Key config", nullptr, 60},     {"Press Up Key", &up, 30},
                        {"Press Down key", &down, 30},   {"press left key", &left, 30},
                        {"Press Right key", &right, 60}, {"Press Slowmo key", &slow, 60},
                        {"Everything ok? Press Y", nullptr, 0}};
  int y = 60;
  for (const Line& line : lines) {
    plat::GrabImage(grab, 0, 0);
    plat::SetColor(255, 255, 255);
    plat::DrawImage(grab, 0, 0);
    Res.BigFont->Draw(100, y, line.text, 0);
    y += line.step;
    plat::Flip();
    if (line.key && (*line.key = plat::WaitKey()) == 0) return;  // the window closed
  }
  const int answer = plat::WaitChar();
  if (answer != 'Y' && answer != 'y') return;
  Settings.KeyBindUp = up;
  Settings.KeyBindDown = down;
  Settings.KeyBindLeft = left;
  Settings.KeyBindRight = right;
  Settings.KeyBindSlowMo = slow;
}

}  // namespace fe
