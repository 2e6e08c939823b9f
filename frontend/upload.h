// Sending a player's pack to the game's web site: the pack's zip archive,
// the upload, the web-form fallback in the browser, and the dialog that the
// options screen carries. Also two screenshot tools no screen calls.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "httpupload/http.h"
#include "httpupload/site.h"
#include "services/uploadstate.h"

namespace fe {

enum UploadResult { kUploadError = 0, kUploadOk = 1, kUploadTemp = 2, kUploadPerm = 3 };

// The site's answer: the first line that is exactly one of the four words.
int UploadResultFromLines(const std::vector<std::string>& lines);

// Posts the archive with the uploader's name to the site; one of
// UploadResult. Safe off the main thread: it reads no program-wide state.
int UploadPack(const std::string& archivePath, const std::string& uploader,
               const http::SiteAddress& site, const http::PostLimits& limits = {},
               const std::atomic<bool>* cancel = nullptr);

// "Data/Packs/<pack>.zip" under the program folder, as the site and the web
// form expect it.
std::string PackArchivePath(const std::string& programDir, const std::string& pack);

// The pack's files in archive order, each with the member name the site
// expects: pack + "\levels\" + n + ".doy" (n 0..50), then
// "\replays\" + n + ".doyplay", then "\scores.dat"; only levels and
// replays that exist.
struct PackMember {
  std::string diskPath;
  std::string memberName;
};
std::vector<PackMember> PackMembers(const std::string& programDir, const std::string& pack);
// Writes the pack's archive under a temporary name and renames it over the
// old one only when every member went in; false (the old archive kept)
// otherwise. Changes no working directory; safe off the main thread.
bool ExportPack(const std::string& programDir, const std::string& pack);

// The web form's address for an archive: every slash of either kind becomes
// ";", then what a URL query cannot carry is percent-encoded.
std::string UploadPageAddress(const http::SiteAddress& site, const std::string& localPath);
// Opens the web form for UploadFields[0]'s archive in the user's browser.
void OpenUploadPage();

// "screen" + n with at least three digits + ".png".
std::string ScreenshotName(int n);
// Saves the render target as the first free screenshot name in the working
// directory.
void SaveScreenshot();
// Draws and saves levels 1 to 50 of the current pack, one after another.
void ScreenshotAllLevels();

// What the options screen calls. On entry: EnterUploadDialog (no page).
// Each frame: its own buttons only while UploadDialogClosed(), then
// UpdateUploadDialog; after its own drawing, DrawUploadDialog. When its
// loop ends: LeaveUploadDialog, which stops an upload still running (Escape
// or the window's close button during an upload).
void EnterUploadDialog();
void UpdateUploadDialog();
void DrawUploadDialog();
bool UploadDialogClosed();
void LeaveUploadDialog();
bool UploadRunning();
// The limits the dialog's next upload runs under (tests shorten them).
extern http::PostLimits UploadLimits;

// Stops an upload still running and closes the dialog.
void ResetUploadDialog();

}  // namespace fe
