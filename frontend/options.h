// The options screen (state 3): ghosts, times, keys, the two volumes, full
// screen and driver for the next start, the current pack, and the upload
// dialog over it.
#pragma once

namespace fe {

void RunOptions();

// The upload dialog the options screen carries is built on its own; the
// screen reaches it through this slot. Until a dialog is installed the slot
// holds none, which never opens.
struct UploadDialogSlot {
  // On every entry: no page requested, so a dialog left open by Escape is
  // closed when the options are entered next.
  void (*Reset)();
  // Once per frame, after the buttons.
  void (*Update)();
  // Once per frame, over the screen.
  void (*Draw)();
  // True while no page is shown or fading (the dialog's fade state is 0);
  // only then do the options buttons react.
  bool (*Closed)();
};
UploadDialogSlot& UploadDialog();
void ResetUploadDialogSlot();

}  // namespace fe
