// Keyboard and mouse state by Windows virtual-key codes, fed from SDL
// events (PollSystem) and from tests (headless.cpp).
#include "platform/input.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <deque>
#include <functional>

#include "platform/gfx.h"
#include "platform/gfx_internal.h"

namespace plat {
std::function<void()> gCloseHandler;

namespace detail {
namespace {

constexpr size_t kCharQueueLimit = 256;  // a stuck key must not grow it forever

struct InputState {
  std::array<bool, 256> keyDown{};
  std::array<int, 256> keyHits{};
  std::array<bool, 4> mouseDown{};
  std::array<int, 4> mouseHits{};
  int wheel = 0;
  std::deque<int> chars;
  // Keys that were down when typing began (FlushTyping): their repeats type
  // nothing until the key is pressed anew. textFromStaleKey: the last key
  // pressed or repeated is such a key, so the text it sends is dropped.
  std::array<bool, 256> keyStale{};
  bool textFromStaleKey = false;
  int mouseX = 0, mouseY = 0;
  bool terminate = false;
};

InputState gInput;

bool ValidKey(int code) { return code >= 0 && code <= 255; }
bool ValidButton(int b) { return b >= 1 && b <= 3; }

// The side-specific keys also drive the either-side code (16, 17, 18).
int GenericFor(int vk) {
  switch (vk) {
    case vk::LShift: case vk::RShift: return vk::Shift;
    case vk::LControl: case vk::RControl: return vk::Control;
    case vk::LAlt: case vk::RAlt: return vk::Alt;
    default: return 0;
  }
}

void SetKey(int vk, bool down, bool repeat) {
  if (down && !repeat) gInput.keyHits[vk]++;
  gInput.keyDown[vk] = down;
}

int ScancodeToVk(SDL_Scancode sc) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return vk::F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return vk::F1 + 12 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return vk::Num0 + 1 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: return vk::Enter;
    case SDL_SCANCODE_ESCAPE: return vk::Escape;
    case SDL_SCANCODE_BACKSPACE: return vk::Backspace;
    case SDL_SCANCODE_TAB: return vk::Tab;
    case SDL_SCANCODE_SPACE: return vk::Space;
    case SDL_SCANCODE_MINUS: return vk::Minus;
    case SDL_SCANCODE_EQUALS: return vk::Equals;
    case SDL_SCANCODE_LEFTBRACKET: return vk::LBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return vk::RBracket;
    case SDL_SCANCODE_BACKSLASH: case SDL_SCANCODE_NONUSHASH: return vk::Backslash;
    case SDL_SCANCODE_SEMICOLON: return vk::Semicolon;
    case SDL_SCANCODE_APOSTROPHE: return vk::Quote;
    case SDL_SCANCODE_GRAVE: return vk::Tilde;
    case SDL_SCANCODE_COMMA: return vk::Comma;
    case SDL_SCANCODE_PERIOD: return vk::Period;
    case SDL_SCANCODE_SLASH: return vk::Slash;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    case SDL_SCANCODE_CAPSLOCK: return vk::CapsLock;
    case SDL_SCANCODE_PRINTSCREEN: return 44;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_PAUSE: return vk::Pause;
    case SDL_SCANCODE_INSERT: return vk::Insert;
    case SDL_SCANCODE_HOME: return vk::Home;
    case SDL_SCANCODE_PAGEUP: return vk::PageUp;
    case SDL_SCANCODE_DELETE: return vk::Delete;
    case SDL_SCANCODE_END: return vk::End;
    case SDL_SCANCODE_PAGEDOWN: return vk::PageDown;
    case SDL_SCANCODE_RIGHT: return vk::Right;
    case SDL_SCANCODE_LEFT: return vk::Left;
    case SDL_SCANCODE_DOWN: return vk::Down;
    case SDL_SCANCODE_UP: return vk::Up;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_KP_DIVIDE: return vk::Divide;
    case SDL_SCANCODE_KP_MULTIPLY: return vk::Multiply;
    case SDL_SCANCODE_KP_MINUS: return vk::Subtract;
    case SDL_SCANCODE_KP_PLUS: return vk::Add;
    case SDL_SCANCODE_KP_0: return vk::Num0;
    case SDL_SCANCODE_KP_PERIOD: return vk::Decimal;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_LCTRL: return vk::LControl;
    case SDL_SCANCODE_RCTRL: return vk::RControl;
    case SDL_SCANCODE_LSHIFT: return vk::LShift;
    case SDL_SCANCODE_RSHIFT: return vk::RShift;
    case SDL_SCANCODE_LALT: return vk::LAlt;
    case SDL_SCANCODE_RALT: return vk::RAlt;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RGUI: return 92;
    default: return 0;
  }
}

// Characters the injected keys type, as on a US keyboard.
struct PunctChar {
  int vk;
  char plain, shifted;
};
constexpr PunctChar kPunct[] = {
    {vk::Semicolon, ';', ':'}, {vk::Equals, '=', '+'}, {vk::Comma, ',', '<'},
    {vk::Minus, '-', '_'},     {vk::Period, '.', '>'}, {vk::Slash, '/', '?'},
    {vk::Tilde, '`', '~'},     {vk::LBracket, '[', '{'}, {vk::Backslash, '\\', '|'},
    {vk::RBracket, ']', '}'},  {vk::Quote, '\'', '"'}};

}  // namespace

int VirtualKeyFor(SDL_Scancode sc, SDL_Keycode key) {
  // Letters and digits follow the keyboard layout, as virtual keys do;
  // everything else (and letters of non-Latin layouts) goes by position.
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9 && sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_0) {
    return '0' + (key - SDLK_0);
  }
  return ScancodeToVk(sc);
}

int CharForKey(int code, bool shift) {
  if (code >= 'A' && code <= 'Z') return shift ? code : code + 32;
  if (code >= '0' && code <= '9' && !shift) return code;
  if (code >= vk::Num0 && code <= vk::Num0 + 9) return '0' + (code - vk::Num0);
  if (code == vk::Space) return ' ';
  for (const auto& p : kPunct) {
    if (p.vk == code) return shift ? p.shifted : p.plain;
  }
  return 0;
}

void KeyEvent(int vk, bool down, bool repeat) {
  if (down) gInput.textFromStaleKey = false;
  if (!ValidKey(vk) || vk == 0) return;
  if (down) {
    if (!repeat) gInput.keyStale[vk] = false;
    gInput.textFromStaleKey = gInput.keyStale[vk];
  }
  SetKey(vk, down, repeat);
  if (int generic = GenericFor(vk)) {
    bool anyDown = false;
    for (int side : {vk::LShift, vk::RShift, vk::LControl, vk::RControl, vk::LAlt, vk::RAlt}) {
      if (GenericFor(side) == generic && gInput.keyDown[side]) anyDown = true;
    }
    SetKey(generic, anyDown, repeat || !down);
  }
  // Editing keys reach the typed-character queue from key presses, held
  // repeats included, since they send no text events.
  if (down && (vk == vk::Backspace || vk == vk::Tab || vk == vk::Enter)) PushKeyText(vk);
}

void PushKeyText(int ch) {
  if (!gInput.textFromStaleKey) PushChar(ch);
}

void PushChar(int ch) {
  if (ch <= 0 || ch > 255) return;
  if (gInput.chars.size() >= kCharQueueLimit) return;
  gInput.chars.push_back(ch);
}

void MouseButtonEvent(int button, bool down) {
  if (!ValidButton(button)) return;
  if (down) gInput.mouseHits[button]++;
  gInput.mouseDown[button] = down;
}

void MouseWheelEvent(int notches) { gInput.wheel += notches; }

void MouseMoveTarget(int x, int y) {
  const Video& v = Vid();
  gInput.mouseX = std::clamp(x, 0, v.targetW - 1);
  gInput.mouseY = std::clamp(y, 0, v.targetH - 1);
}

void RequestTerminate() {
  const bool first = !gInput.terminate;
  gInput.terminate = true;
  // The handler runs once: the game turns the request into its quit state.
  if (first && gCloseHandler) gCloseHandler();
}

void ResetInput() { gInput = InputState{}; }

void ReleaseHeld() {
  gInput.keyDown.fill(false);
  gInput.mouseDown.fill(false);
}

}  // namespace detail

using detail::gInput;

int KeyHit(int code) {
  if (!detail::ValidKey(code)) return 0;
  int n = gInput.keyHits[code];
  gInput.keyHits[code] = 0;
  return n;
}

bool KeyDown(int code) { return detail::ValidKey(code) && gInput.keyDown[code]; }

int GetChar() {
  if (gInput.chars.empty()) return 0;
  int ch = gInput.chars.front();
  gInput.chars.pop_front();
  return ch;
}

void FlushKeys() {
  gInput.keyDown.fill(false);
  gInput.keyHits.fill(0);
  gInput.chars.clear();
}

void FlushTyping() {
  gInput.chars.clear();
  // Every key, not only those seen down: a flush of the keys may have
  // forgotten a held one, and a key that is up is fresh at its next press.
  gInput.keyStale.fill(true);
  gInput.textFromStaleKey = false;
}

namespace {
// Runs wait passes until pick() gives a non-zero value. Each pass is a
// Flip: the frame drawn before the wait is shown again at the display's
// rate, so the window repaints when uncovered or resized while nothing on
// it moves. A closed window ends the wait with 0 rather than blocking
// forever.
template <typename Pick>
int WaitFor(Pick pick) {
  FlushKeys();
  for (;;) {
    Flip();
    if (int v = pick()) return v;
    if (gInput.terminate) return 0;
  }
}
}  // namespace

int WaitKey() {
  // From the top: a left or right shift, control or alt key is reported by
  // its own code (160..165) rather than the either-side code it also hits.
  return WaitFor([] {
    for (int code = 255; code >= 1; --code) {
      if (KeyHit(code)) return code;
    }
    return 0;
  });
}

int WaitChar() { return WaitFor([] { return GetChar(); }); }

int MouseX() { return gInput.mouseX; }
int MouseY() { return gInput.mouseY; }

int MouseHit(int button) {
  if (!detail::ValidButton(button)) return 0;
  int n = gInput.mouseHits[button];
  gInput.mouseHits[button] = 0;
  return n;
}

bool MouseDown(int button) { return detail::ValidButton(button) && gInput.mouseDown[button]; }

int MouseWheel() {
  const int n = gInput.wheel;
  gInput.wheel = 0;
  return n;
}

void FlushMouse() {
  gInput.mouseDown.fill(false);
  gInput.mouseHits.fill(0);
  gInput.wheel = 0;
}

namespace {

int ButtonFor(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

void MouseWindowEvent(int wx, int wy) {
  const detail::Video& v = detail::Vid();
  if (!v.window) return;
  int ww = 0, wh = 0;
  SDL_GetWindowSize(v.window, &ww, &wh);
  int tx = 0, ty = 0;
  detail::WindowToTarget(ww, wh, v.targetW, v.targetH, wx, wy, tx, ty);
  detail::MouseMoveTarget(tx, ty);
}

void HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: detail::RequestTerminate(); break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) detail::RequestTerminate();
      // Releases that happen while another window has focus never arrive.
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) detail::ReleaseHeld();
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      detail::KeyEvent(detail::VirtualKeyFor(e.key.keysym.scancode, e.key.keysym.sym),
                       e.type == SDL_KEYDOWN, e.key.repeat != 0);
      break;
    case SDL_TEXTINPUT: {
      // UTF-8 to code points; only the Latin-1 range is kept.
      const unsigned char* s = reinterpret_cast<const unsigned char*>(e.text.text);
      while (*s) {
        int cp = *s, extra = 0;
        if (cp >= 0xF0) { cp &= 0x07; extra = 3; }
        else if (cp >= 0xE0) { cp &= 0x0F; extra = 2; }
        else if (cp >= 0xC0) { cp &= 0x1F; extra = 1; }
        ++s;
        for (; extra > 0 && (*s & 0xC0) == 0x80; --extra, ++s) cp = (cp << 6) | (*s & 0x3F);
        if (cp >= 32 && cp != 127) detail::PushKeyText(cp);
      }
      break;
    }
    case SDL_MOUSEMOTION: MouseWindowEvent(e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      MouseWindowEvent(e.button.x, e.button.y);
      detail::MouseButtonEvent(ButtonFor(e.button.button), e.type == SDL_MOUSEBUTTONDOWN);
      break;
    case SDL_MOUSEWHEEL:
      // Taken as the system reports it (a natural-scrolling setting
      // included), so lists move as they do in the player's other programs.
      detail::MouseWheelEvent(e.wheel.y);
      break;
    default: break;
  }
}

}  // namespace

void PollSystem() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) HandleEvent(e);
}

bool AppTerminate() { return gInput.terminate; }
void SetCloseHandler(std::function<void()> handler) { gCloseHandler = std::move(handler); }
void RefuseClose() { gInput.terminate = false; }

}  // namespace plat
