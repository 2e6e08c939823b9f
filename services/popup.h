// The in-level popup window: level start, pause, level done and new record.
// Each shows the level's five best times and the level-end buttons; the new
// record window also holds the name field.
#pragma once
#include <string>

namespace play {

enum PopupKindValue {
  kPopupLevelDone = 1,
  kPopupNewRecord = 2,
  kPopupPause = 3,
  kPopupLevelStart = 4,
};

enum PopupStateValue {
  kPopupClosed = 0,
  kPopupFadingIn = 1,
  kPopupOpen = 2,
  kPopupFadingOut = 3,
  kPopupFadedOut = 4,  // releases the input lock on the next update
};

struct PopupVars {
  int PopupState = kPopupClosed;
  float PopupAlpha = 0.0f;  // also the alpha of the buttons drawn in play
  int PopupKind = 0;
  int RecordPlace = 0;   // place 0..4 the finished time earns (set by FinishLevel)
  int FinishTime = 0;    // the finished run's time in ms (set by FinishLevel)
  std::string RunTimeText;
  std::string NewRecordName;
  std::string LastRecordName;
};
extern PopupVars Popup;
void ResetPopup();

// Opens a popup of the kind over the play field; returns 0.
int OpenPopup(int kind);
// Once per frame from the play loop, in this order.
void UpdatePopup();
void DrawPopup();

// Enter in the record field: inserts the typed name for the finished run
// and hides the field.
void CommitRecordName();
// The level-end buttons' first step: commits when the record field still
// has the focus.
void CommitPendingRecordName();

}  // namespace play
