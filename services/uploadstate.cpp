#include "services/uploadstate.h"

#include "services/gamestate.h"

namespace fe {

UploadDialogVars Upload;

void UploadButtonPressed() {
  if (!IsBasePack()) Upload.UploadDialogPage = kUploadName;
}

}  // namespace fe
