#include "services/uploadstate.h"

#include "services/gamestate.h"

namespace fe {

UploadDialogVars UploadDialog;

void UploadButtonPressed() {
  if (!IsBasePack()) UploadDialog.UploadDialogPage = kUploadName;
}

}  // namespace fe
