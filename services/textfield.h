// One-line text field: frame, blinking cursor at the end of the text, a
// maximum length and a mode that decides where the text goes and what Enter
// does.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace fe {

enum InputMode {
  kInputRecordName = 1,
  kInputLevelName = 2,
  kInputLevelAuthor = 3,
  kInputUploaderName = 4,
  kInputNewPackName = 5,
  kInputRecordNameAlt = 20,
};

class GInput {
 public:
  std::string text;
  int active = 0;
  int visible = 1;
  int width = 0;
  int blinkOn = 0;
  int x = 0, y = 0;
  int64_t blinkTime = 0;
  int cursorX = 10;
  int mode = 0;
  int maxLength = 10;

  GInput();

  static std::shared_ptr<GInput> Create(int x, int y, const std::string& text, int mode,
                                        int maxLength);
  // Same, with the empty text.
  static std::shared_ptr<GInput> Create(int x, int y, int mode, int maxLength);

  // Once per frame: one typed character, cursor blink, focus by click.
  void Update();
  // Once per frame after Update, while visible.
  void Draw();

  // The pointer box (x, y)-(x + width, y + 16), edges included.
  bool Contains(float px, float py) const;
};

// The work of the fields that lies in the editor, above them: Enter in the
// new-pack field makes the pack, and every field's update turns the editor's
// help page to the fields' topic while the editor's pointer is over it. The
// editor installs them (editor::InstallTextFieldActions); unset, nothing
// happens.
struct TextFieldHooks {
  void (*NewPackEntered)(const std::string& name) = nullptr;
  void (*Updated)(const GInput& field) = nullptr;
};
extern TextFieldHooks FieldHooks;

// Typed characters the field accepts: 32 and up except 127, and only codes
// that fit the 8-bit files the names are stored in.
bool IsTypeableChar(int code);

}  // namespace fe
