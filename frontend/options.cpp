#include "frontend/options.h"

#include "editor/packs.h"
#include "frontend/menuframe.h"
#include "frontend/upload.h"
#include "platform/gfx.h"
#include "play/runstate.h"
#include "services/buttons.h"
#include "services/config.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/resources.h"

namespace fe {

namespace {

// A marker runs from x 140 at volume 0 to x 300 at volume 1, between the
// row's minus and plus buttons.
float VolumeMarkerX(float volume) { return 140.0f + 160.0f * volume; }

void DrawOptions() {
  DrawMenuBackdrop();
  play::TickAnimCounter();
  Button::DrawAll();
  plat::SetAlpha(1.0f);
  // Under the settings that take effect at the next start, in the status
  // bar icons' colour; after the buttons, so that none lies over a note.
  SetCycleColour(play::Run.HudColour);
  plat::DrawImage(Res.ImgRestartNote, 110, 410);
  plat::DrawImage(Res.ImgRestartNote, 110, 455);
  DrawMenuTitle();
  plat::DrawImage(Res.ImgVolumeMarker, VolumeMarkerX(Settings.SfxVolume), 268);
  plat::DrawImage(Res.ImgVolumeMarker, VolumeMarkerX(Settings.MusicVolume), 348);
}

}  // namespace

void RunOptions() {
  MenuFrame frame(true);
  EnterUploadDialog();
  editor::ScanPacks(0);
  LoadMenuBackdrop();
  frame.Open();
  while (frame.Running()) {
    frame.Begin(UploadDialogClosed());
    UpdateUploadDialog();
    DrawOptions();
    // The list takes clicks also while an upload page is shown. A pack
    // chosen here is current with its records at once; the level behind
    // stays the one loaded on entry.
    editor::PickPackFromList(0);
    editor::DrawPackList();
    DrawUploadDialog();
    plat::SetAlpha(1.0f);
    // Escape leaves also while the dialog is open.
    frame.Finish(kStateMainMenu);
  }
  // Escape or the window's close button while an upload runs stops it.
  LeaveUploadDialog();
}

}  // namespace fe
