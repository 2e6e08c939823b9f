// The key definition screen (state 20): the keys bound to left, right, jump
// and slow motion by name, a picker button for each and the capture of the
// new key; and the older full-screen key sequence that nothing calls.
#pragma once
#include <string>

namespace fe {

void RunKeySetup();
// While a picker is pending (Buttons.KeyPromptIndex 1..4): shows its prompt
// over the frame drawn so far, waits for one key and binds it. The captured
// press, and clicks made while waiting, do nothing else.
void CaptureKey();
// The prompt box of the pending picker, shown at once.
void DrawKeyPrompt();
// Asks for the jump, down, left, right and slow-motion keys one after
// another, then stores all five only when the answer is Y or y.
void ConfigureKeys();

// The text shown for a key code.
std::string KeyName(int code);

}  // namespace fe
