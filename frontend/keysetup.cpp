#include "frontend/keysetup.h"

#include "frontend/menuframe.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "play/draw.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/resources.h"
#include "services/shapes.h"

namespace fe {

namespace {

namespace vk = plat::vk;

struct KeyLabel {
  int code;
  const char* name;
};

// The font has letters, digits, a few stops and the space only, so a key
// whose character is not its own label is shown by a name.
constexpr KeyLabel kKeyNames[] = {
    {vk::Enter, "RETURN"},       {vk::Space, "SPACE"},        {vk::Left, "LEFT"},
    {vk::Up, "UP"},              {vk::Right, "RIGHT"},        {vk::Down, "DOWN"},
    {vk::LShift, "LSHIFT"},      {vk::RShift, "RSHIFT"},      {vk::LControl, "LCTRL"},
    {vk::RControl, "RCTRL"},     {vk::LAlt, "LALT"},          {vk::RAlt, "RALT"},
    {vk::Backspace, "BACKSPACE"}, {vk::Tab, "TAB"},           {vk::Shift, "SHIFT"},
    {vk::Control, "CTRL"},       {vk::Alt, "ALT"},            {vk::CapsLock, "CAPSLOCK"},
    {vk::Escape, "ESCAPE"},      {vk::PageUp, "PAGEUP"},      {vk::PageDown, "PAGEDOWN"},
    {vk::End, "END"},            {vk::Home, "HOME"},          {vk::Insert, "INSERT"},
    {vk::Delete, "DELETE"},      {vk::Semicolon, ";"},        {vk::Equals, "EQUALS"},
    {vk::Comma, ","},            {vk::Minus, "-"},            {vk::Period, "."},
    {vk::Slash, "SLASH"},        {vk::Tilde, "BACKQUOTE"},    {vk::LBracket, "LBRACKET"},
    {vk::Backslash, "BACKSLASH"}, {vk::RBracket, "RBRACKET"}, {vk::Quote, "'"},
};

// The key prompts, by KeyPromptIndex - 1.
constexpr const char* kPrompts[] = {"Press new left key", "Press new right key",
                                    "Press new jump key", "Press new slow mo key"};

int* PickerBinding(int index) {
  switch (index) {
    case kKeyPromptLeft: return &Settings.KeyBindLeft;
    case kKeyPromptRight: return &Settings.KeyBindRight;
    case kKeyPromptJump: return &Settings.KeyBindUp;
    case kKeyPromptSlowMo: return &Settings.KeyBindSlowMo;
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
  if (code >= vk::Num0 && code <= vk::Num0 + 9) return "NUM" + std::to_string(code - vk::Num0);
  if (code >= vk::F1 && code < vk::F1 + 24) return "F" + std::to_string(code - vk::F1 + 1);
  return "KEY " + std::to_string(code);
}

void DrawKeyPrompt() {
  const int index = Buttons.KeyPromptIndex;
  // Nearly opaque: the key names under the box give way to the prompt,
  // which lies across the jump and slow-motion rows.
  plat::SetAlpha(0.85f);
  plat::SetColor(0, 0, 0);
  plat::DrawRect(200, 200, 400, 300);
  plat::SetAlpha(1.0f);
  SetCycleColour(play::Input.AnimCounter);
  play::DrawRectOutline(200, 200, 400, 300);
  // In the big letters, two pixels closer than usual so that the longest
  // prompt stays inside the box (their outlines meet, the letters do not).
  if (index >= kKeyPromptLeft && index <= kKeyPromptSlowMo) {
    GFont big = *Res.BigFont;
    big.advance -= 2;
    big.Draw(400, 300, kPrompts[index - 1], 1);
  }
  plat::Flip();
}

void CaptureKey() {
  int& pending = Buttons.KeyPromptIndex;
  if (pending == kKeyPromptNone) return;
  DrawKeyPrompt();
  // A closed window ends the wait with 0: nothing is bound, and the quit
  // state the close asked for ends the screen.
  const int code = plat::WaitKey();
  if (int* binding = PickerBinding(pending); binding && code != 0) *binding = code;
  pending = kKeyPromptNone;
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
