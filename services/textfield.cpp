#include "services/textfield.h"

#include "platform/clock.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "services/font.h"
#include "services/input.h"
#include "services/level.h"
#include "services/popup.h"
#include "services/resources.h"
#include "services/shapes.h"
#include "services/uploadstate.h"

namespace fe {

TextFieldHooks FieldHooks;

namespace {

constexpr int kBlinkMs = 400;
constexpr int kCharWidth = 10;
constexpr int kFieldHeight = 16;

}  // namespace

bool IsTypeableChar(int code) {
  // The names end up as 8-bit lines of the records file: control codes would
  // split or corrupt a line, and wider codes keep only their low byte.
  return code >= 32 && code <= 255 && code != 127;
}

GInput::GInput() : blinkTime(plat::Millisecs()) {}

std::shared_ptr<GInput> GInput::Create(int x, int y, const std::string& text, int mode,
                                       int maxLength) {
  auto f = std::make_shared<GInput>();
  f->x = x;
  f->y = y;
  f->text = text;
  f->mode = mode;
  f->maxLength = maxLength;
  f->width = maxLength * kCharWidth + 4;
  return f;
}

std::shared_ptr<GInput> GInput::Create(int x, int y, int mode, int maxLength) {
  return Create(x, y, std::string(), mode, maxLength);
}

bool GInput::Contains(float px, float py) const {
  return px >= x && px <= x + width && py >= y && py <= y + kFieldHeight;
}

namespace {

// The mode's copy after every key.
void CopyTypedText(const GInput& f) {
  if (f.mode == kInputLevelName) play::Level.LevelName = f.text;
  if (f.mode == kInputLevelAuthor) play::Level.LevelAuthor = f.text;
  if (f.mode == kInputUploaderName) Upload.UploadFields[1] = f.text;
}

void EnterPressed(GInput& f) {
  switch (f.mode) {
    case kInputRecordName:
      play::CommitRecordName();
      break;
    case kInputUploaderName:
      f.active = 0;
      Upload.UploadDialogPage = kUploadRunning;
      break;
    case kInputLevelName:
    case kInputLevelAuthor:
      f.active = 0;
      break;
    case kInputNewPackName:
      f.active = 0;
      if (FieldHooks.NewPackEntered) FieldHooks.NewPackEntered(f.text);
      break;
    default:
      break;
  }
}

}  // namespace

void GInput::Update() {
  const int32_t now = plat::Millisecs();
  if (active) {
    const int code = plat::GetChar();
    if (code > 0) {
      if (code == 8) {
        if (!text.empty()) text.pop_back();
      } else if (code == 13) {
        EnterPressed(*this);
      } else if (code == 9) {
        text += "     ";
      } else if (IsTypeableChar(code) && !plat::KeyDown(plat::vk::LAlt) &&
                 !plat::KeyDown(plat::vk::LControl)) {
        text += static_cast<char>(code);
      }
      if (maxLength >= 0 && static_cast<int>(text.size()) > maxLength) text.resize(maxLength);
      CopyTypedText(*this);
      blinkOn = 1;
      blinkTime = now;
    }
    if (plat::MillisDiff(now, static_cast<int32_t>(blinkTime)) > kBlinkMs) {
      blinkOn = !blinkOn;
      blinkTime = now;
    }
    cursorX = static_cast<int>(text.size()) * kCharWidth;
  }
  if (FieldHooks.Updated) FieldHooks.Updated(*this);
  // Focus follows a click. The live pointer is used on every screen (the
  // editor refreshes its own copy from it each frame anyway), and a hidden
  // field takes no focus: a committed record field must not commit again.
  if (play::Input.MouseClick) {
    play::InputSource& src = play::Source();
    active = visible && Contains(static_cast<float>(src.MouseX()), static_cast<float>(src.MouseY()));
  }
}

void GInput::Draw() {
  if (visible != 1) return;
  play::DrawRectOutline(x, y, width, kFieldHeight);
  // Two pixels in, clear of the frame's left line; the cursor keeps its place.
  if (Res.SmallFont) Res.SmallFont->Draw(x + 2, y, text, 0);
  if (active && blinkOn) {
    const float cx = static_cast<float>(x + cursorX + 2);
    plat::DrawLine(cx, static_cast<float>(y + 1), cx, static_cast<float>(y + 15));
  }
}

}  // namespace fe
