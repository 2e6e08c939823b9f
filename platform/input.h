// Keyboard and mouse by Windows virtual-key codes (the settings file stores
// them), tracked from window events or injected by tests.
#pragma once
#include <functional>
#include <string>

namespace plat {

namespace vk {
constexpr int Backspace = 8, Tab = 9, Enter = 13, Shift = 16, Control = 17, Alt = 18,
              Pause = 19, CapsLock = 20, Escape = 27, Space = 32, PageUp = 33, PageDown = 34,
              End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45,
              Delete = 46, Key0 = 48, KeyA = 65, Num0 = 96, Multiply = 106, Add = 107,
              Subtract = 109, Decimal = 110, Divide = 111, F1 = 112, LShift = 160, RShift = 161,
              LControl = 162, RControl = 163, LAlt = 164, RAlt = 165, Semicolon = 186,
              Equals = 187, Comma = 188, Minus = 189, Period = 190, Slash = 191, Tilde = 192,
              LBracket = 219, Backslash = 220, RBracket = 221, Quote = 222;
}

// Number of presses since the last call for this key (0 for codes outside
// 0..255).
int KeyHit(int code);
bool KeyDown(int code);
// Next typed character (Backspace 8, Tab 9 and Enter 13 included), 0 when
// none is queued.
int GetChar();
void FlushKeys();
// For a text field that takes the keys: empties the typed-character queue,
// and keys held now type nothing (their repeats included) until each is
// pressed again.
void FlushTyping();
// Blocks (pumping events) until a key is hit; returns its code.
int WaitKey();
int WaitChar();

int MouseX();
int MouseY();
int MouseHit(int button);  // 1 left, 2 right, 3 middle
bool MouseDown(int button);
// Wheel notches turned since the last call: positive up (away from the
// user), negative down, in the direction the system's setting gives them.
int MouseWheel();
void FlushMouse();

// Reads pending window events into the input state. Flip() calls it.
void PollSystem();
// Set when the window is closed; the game's quit path reads it.
bool AppTerminate();
// Called once when the window is asked to close (before AppTerminate()
// turns true for the frame loops), so the game can run its own quit path.
void SetCloseHandler(std::function<void()> handler);
// Takes back a close request the game will not follow yet: AppTerminate()
// is false again, and the next request runs the handler again.
void RefuseClose();

}  // namespace plat
