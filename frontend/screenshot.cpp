// Screenshot tools for whoever makes the site's pictures; no screen calls
// them.
#include <cstdio>

#include "frontend/upload.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "play/coins.h"
#include "play/draw.h"
#include "services/level.h"

namespace fe {

std::string ScreenshotName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "screen%03d.png", n);
  return name;
}

void SaveScreenshot() {
  int n = 1;
  while (plat::FileType(ScreenshotName(n)) != plat::kFileNone) ++n;
  plat::SaveScreenshot(ScreenshotName(n));
}

void ScreenshotAllLevels() {
  for (int n = 1; n <= play::kLevelCount; ++n) {
    plat::Cls();
    play::LoadLevel(n);
    play::SetupLevelObjects(0);
    play::DrawLevel(0);
    plat::Flip();
    SaveScreenshot();
  }
}

}  // namespace fe
