// Where the upload dialog stands. The options screen's upload button asks
// for the name page and the name field's Enter asks for the upload; the
// dialog itself (frontend/upload.h) does the work.
#pragma once
#include <string>

namespace fe {

enum UploadPage {
  kUploadNone = 0,
  kUploadRunning = 1,
  kUploadSuccess = 2,
  kUploadFailure = 3,
  kUploadName = 4,
};

struct UploadDialogVars {
  // Entry 0: the pack exported last; entry 1: the uploader's name.
  std::string UploadFields[2] = {"base", ""};
  int UploadDialogPage = kUploadNone;  // requested
  int UploadDialogShownPage = kUploadNone;
  int UploadDialogFade = 0;  // 0 closed, 1 fading in, 2 open, 3 fading out, 4 closed this frame
  float UploadDialogAlpha = 0.0f;
};
extern UploadDialogVars Upload;

// The upload button: the name page, except for the built-in pack.
void UploadButtonPressed();

}  // namespace fe
