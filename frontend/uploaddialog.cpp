// The upload dialog over the options screen: name page, "Uploading...",
// success and failure pages, each fading in and out. The archive is written
// and posted on a worker thread, so the options screen keeps drawing the
// page and pumping the window meanwhile.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "frontend/upload.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "platform/system.h"
#include "services/font.h"
#include "services/gamestate.h"
#include "services/input.h"
#include "services/resources.h"
#include "services/shapes.h"
#include "services/textfield.h"

namespace fe {

namespace {

constexpr float kFadeStep = 0.02f;

// One export and post. Destroying it cancels the post and waits for the
// thread, a tenth of a second once the archive is written; a name lookup
// cannot be cut short, so after a second the thread is left to finish on
// its own and the player is not kept waiting.
class UploadJob {
 public:
  UploadJob(std::string programDir, std::string pack, std::string uploader, http::SiteAddress site,
            http::PostLimits limits)
      : shared_(std::make_shared<Shared>()) {
    thread_ = std::thread([s = shared_, programDir, pack, uploader, site, limits] {
      int r = kUploadError;
      if (ExportPack(programDir, pack))
        r = UploadPack(PackArchivePath(programDir, pack), uploader, site, limits, &s->cancel);
      std::lock_guard<std::mutex> lock(s->m);
      s->result = r;
      s->done = true;
      s->cv.notify_all();
    });
  }
  ~UploadJob() {
    shared_->cancel = true;
    std::unique_lock<std::mutex> lock(shared_->m);
    const bool done = shared_->cv.wait_for(lock, std::chrono::seconds(1), [&] { return shared_->done; });
    lock.unlock();
    if (done) {
      thread_.join();
    } else {
      thread_.detach();
    }
  }
  bool Done() const {
    std::lock_guard<std::mutex> lock(shared_->m);
    return shared_->done;
  }
  int Result() const {
    std::lock_guard<std::mutex> lock(shared_->m);
    return shared_->result;
  }

 private:
  struct Shared {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    int result = kUploadError;
    std::atomic<bool> cancel{false};
  };
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

std::unique_ptr<UploadJob> gJob;

void StartUpload() {
  Upload.UploadFields[0] = Game.CurrentPack;
  gJob = std::make_unique<UploadJob>(plat::ProgramDir(), Game.CurrentPack,
                                     Upload.UploadFields[1], http::GameSite(), UploadLimits);
}

// Starts the upload on the first call, then looks in on it once a frame;
// true once it has ended and chosen the next page.
bool FinishUpload() {
  if (!gJob) StartUpload();
  if (!gJob->Done()) return false;
  Upload.UploadDialogPage = gJob->Result() == kUploadOk ? kUploadSuccess : kUploadFailure;
  gJob.reset();
  return true;
}

void FadeStep() {
  UploadDialogVars& d = Upload;
  switch (d.UploadDialogFade) {
    case 0:
      if (d.UploadDialogPage != d.UploadDialogShownPage) {
        d.UploadDialogShownPage = d.UploadDialogPage;
        if (d.UploadDialogShownPage != kUploadNone) d.UploadDialogFade = 1;
        // Characters typed on the pages before (Space closes them), and the
        // repeats of keys still held, must not land in the name.
        if (d.UploadDialogShownPage == kUploadName) plat::FlushTyping();
      }
      break;
    case 1:
      if (d.UploadDialogAlpha >= 1.0f) {
        d.UploadDialogAlpha = 1.0f;
        d.UploadDialogFade = 2;
      } else {
        d.UploadDialogAlpha += kFadeStep;
      }
      break;
    case 2:
      if (d.UploadDialogShownPage == kUploadRunning && FinishUpload()) d.UploadDialogFade = 3;
      break;
    case 3:
      if (d.UploadDialogAlpha <= 0.0f) {
        d.UploadDialogAlpha = 0.0f;
        d.UploadDialogFade = 4;
      } else {
        d.UploadDialogAlpha -= kFadeStep;
      }
      break;
    default:
      d.UploadDialogFade = 0;
      break;
  }
}

bool Between(int v, int low, int high) { return v > low && v < high; }

void FailurePageClick() {
  play::InputSource& src = play::Source();
  const int x = src.MouseX(), y = src.MouseY();
  if (!play::Input.MouseClick || !Between(y, 364, 380)) return;
  if (Between(x, 220, 315)) {
    Upload.UploadDialogPage = kUploadName;
  } else if (Between(x, 360, 445)) {
    OpenUploadPage();
    Upload.UploadDialogPage = kUploadNone;
  } else if (Between(x, 500, 555)) {
    Upload.UploadDialogPage = kUploadNone;
  } else {
    return;
  }
  // Taken here, so the pack list under "Leave" does not act on it too.
  play::Input.MouseClick = 0;
}

constexpr int kCentre = 1, kLeft = 0;

struct PageText {
  int page;
  bool big;
  int x, y;
  int align;
  const char* text;
};

constexpr PageText kPageTexts[] = {
    {kUploadRunning, true, 400, 300, kCentre, "Uploading..."},
    {kUploadSuccess, true, 400, 220, kCentre, "SUCCESS!"},
    {kUploadSuccess, false, 400, 300, kCentre, "Thank you!"},
    {kUploadSuccess, false, 400, 316, kCentre, "Your levels will be verified"},
    {kUploadSuccess, false, 400, 332, kCentre, "and added to the site."},
    {kUploadSuccess, false, 400, 364, kCentre, "Press Space"},
    {kUploadFailure, true, 400, 220, kCentre, "WOOPS!"},
    {kUploadFailure, false, 400, 284, kCentre, "Something didnt work!"},
    {kUploadFailure, false, 400, 300, kCentre, "You can try again, use a web form"},
    {kUploadFailure, false, 400, 316, kCentre, "or leave it for now."},
    {kUploadFailure, false, 220, 364, kLeft, "Try Again"},
    {kUploadFailure, false, 360, 364, kLeft, "Web Form"},
    {kUploadFailure, false, 500, 364, kLeft, "Leave"},
    {kUploadName, false, 400, 300, kCentre, "Please enter your name:"},
};

}  // namespace

void UpdateUploadDialog() {
  UploadDialogVars& d = Upload;
  FadeStep();
  if (d.UploadDialogPage != d.UploadDialogShownPage && d.UploadDialogFade == 2)
    d.UploadDialogFade = 3;
  switch (d.UploadDialogShownPage) {
    case kUploadSuccess:
      if (plat::KeyHit(plat::vk::Space)) d.UploadDialogPage = kUploadNone;
      break;
    case kUploadFailure:
      if (plat::KeyHit(plat::vk::Space)) d.UploadDialogPage = kUploadNone;
      FailurePageClick();
      break;
    case kUploadName:
      if (Res.UploaderNameInput) {
        Res.UploaderNameInput->active = 1;
        Res.UploaderNameInput->Update();
      }
      break;
    default:
      break;
  }
}

void DrawUploadDialog() {
  const UploadDialogVars& d = Upload;
  if (d.UploadDialogFade <= 0) return;
  const float a = d.UploadDialogAlpha;
  plat::SetColor(0, 0, 0);
  plat::SetAlpha(0.5f * a);
  plat::DrawRect(0, 0, plat::kScreenW, plat::kScreenH);
  plat::SetAlpha(0.75f * a);
  plat::DrawRect(200, 200, 400, 200);
  plat::SetAlpha(a);
  const int i = play::Input.AnimCounter & 255;
  plat::SetColor((Res.ColourCycleR[i] + 255) / 2, (Res.ColourCycleG[i] + 255) / 2,
                 (Res.ColourCycleB[i] + 255) / 2);
  play::DrawRectOutline(200, 200, 400, 200);
  for (const PageText& t : kPageTexts) {
    const std::shared_ptr<GFont>& font = t.big ? Res.BigFont : Res.SmallFont;
    if (t.page == d.UploadDialogShownPage && font) font->Draw(t.x, t.y, t.text, t.align);
  }
  if (d.UploadDialogShownPage == kUploadName && Res.UploaderNameInput)
    Res.UploaderNameInput->Draw();
  plat::SetAlpha(1.0f);
  plat::SetColor(255, 255, 255);
}

http::PostLimits UploadLimits;

void EnterUploadDialog() { Upload.UploadDialogPage = kUploadNone; }

bool UploadDialogClosed() { return Upload.UploadDialogFade == 0; }

void LeaveUploadDialog() {
  if (!gJob) return;
  gJob.reset();
  UploadDialogVars& d = Upload;
  d.UploadDialogPage = d.UploadDialogShownPage = kUploadNone;
  d.UploadDialogFade = 0;
  d.UploadDialogAlpha = 0.0f;
}

bool UploadRunning() { return gJob != nullptr; }

void ResetUploadDialog() {
  gJob.reset();
  Upload = UploadDialogVars{};
  UploadLimits = {};
}

}  // namespace fe
