// The level editor (game state 2): the map of the current pack's level with
// its drawing tools, the toolbar, the dialogs and the help page. It edits the
// level in memory that play uses (play::Level) and saves it through the
// level writer whenever it leaves a level.
#pragma once
#include <string>

namespace editor {

// The tool row, left to right; its index is also the button's column.
enum EditorToolIndex {
  kToolDraw = 0,
  kToolFill = 1,
  kToolPlayer = 2,
  kToolEnd = 3,
  kToolLeft = 4,
  kToolLevelNumber = 5,
  kToolRight = 6,
  kToolNewPack = 7,
  kToolLoadPack = 8,
  kToolPlay = 9,
  kToolClear = 10,
  kToolDrawChanger = 11,
  kToolFillChanger = 12,
  kToolDrawZone = 13,
  kToolFillZone = 14,
  kToolCoin = 15,
  kToolNeutral = 16,
  kToolNoRope = 17,
  kToolMove = 18,
  kToolShoot = 19,
  kToolRope = 20,
  kToolRowButtons = 21,
};

// Kept in play::Level.EditorDialog, which the level writer reads.
enum EditorDialogCode { kDialogNone = 0, kDialogNewPack = 1, kDialogPackList = 2, kDialogClear = 3 };

// What the last attempt to make a pack gave. 0..2 are the game's own; the
// others say why a name was refused or why the folder is not there.
enum CreatePackResultCode {
  kPackNotTried = 0,
  kPackCreated = 1,
  kPackExists = 2,
  kPackNameEmpty = 3,
  kPackNameInvalid = 4,
  kPackNameSeparator = 5,
  kPackNotCreated = 6,
};

enum FillStateValue { kFillIdle = 0, kFillFirstCorner = 1, kFillBothCorners = 2 };

// Help page topics that are not tool row buttons.
constexpr int kHelpTopicHelpButton = 0;
constexpr int kHelpTopicPalette = 22;
constexpr int kHelpTopicTextField = 23;

struct EditorVars {
  int EditorLevel = 0;
  int EditorTool = kToolDraw;
  int EditorColour = 0;
  int ToolbarVisible = 0;
  int EditorInputDelay = 10;
  float EditorMouseX = 0, EditorMouseY = 0;
  float EditorSnapX = 0, EditorSnapY = 0;
  int EditorCellX = 0, EditorCellY = 0;
  int FillState = kFillIdle;
  int FillStartX = 0, FillStartY = 0, FillEndX = 0, FillEndY = 0;
  int EditorHelpVisible = 0;
  int EditorHelpTopic = 0;
  int CreatePackResult = kPackNotTried;
  // Frames left to show that the level in hand could not be saved.
  int SaveFailedFrames = 0;
  // 1 after an Escape or a window close that stayed because the level could
  // not be saved: the next one, while the message shows, leaves all the same.
  int EscapeRefused = 0;
};
extern EditorVars Editor;
void ResetEditor();

// Wires the text fields' work that lies in the editor (fe::FieldHooks): the
// new-pack field's Enter and the help page's topic for a hovered field.
void InstallTextFieldActions();

// ------------------------------------------------------------ editor loop
// The state-2 routine: runs frames until the game state changes, then saves
// the level (nothing is written while a dialog is open).
void RunEditor();
// The pieces of RunEditor, for benchmarks and tests.
void EnterEditor();
void EditorFrame();
void LeaveEditor();

void HandleEditorInput();
void DrawEditor();
int IsMouseOverMap();
int IsMouseOverPalette();
int IsMouseOverToolRow();
void UpdateToolbarVisibility();

void ApplyDrawTool();
void ApplyFillTool();
void ApplyCoinTool();
void PlacePlayerStart();
void PlacePlayerEnd();
void DrawFillPreview();
void DrawLevelObjects();

// EditorLevel += delta, kept within 0..50.
void StepEditorLevel(int delta);
void PlayTestLevel();
void EditorNoOp();

// The level name and author fields take the level's texts; with
// cursorAtEnd the cursor stands after the text, else at offset 0.
void FieldsFromLevel(bool cursorAtEnd);
// Saves the level in hand; on failure the toolbar says so for a while and
// false comes back, so the caller can stay on the level.
bool SaveLevelInHand();

// --------------------------------------------------------------- dialogs
void HandleEditorDialog();
void DrawEditorDialog();
// Every tile empty, edge frame 0, corner frame 15, no objects; flags, texts
// and the dirty flag keep their values.
void ClearLevel();

// ------------------------------------------------------------- help page
void DrawEditorHelp();

}  // namespace editor
