#include "frontend/upload.h"

#include <cstdio>

#include "httpupload/http.h"
#include "platform/packpath.h"
#include "platform/system.h"

namespace fe {

int UploadResultFromLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line == "SUCCESS") return kUploadOk;
    if (line == "ERROR") return kUploadError;
    if (line == "TEMP") return kUploadTemp;
    if (line == "PERM") return kUploadPerm;
  }
  return kUploadError;
}

int UploadPack(const std::string& archivePath, const std::string& uploader,
               const http::SiteAddress& site, const http::PostLimits& limits,
               const std::atomic<bool>* cancel) {
  http::tsendhttp req;
  req.limits = limits;
  req.cancel = cancel;
  req.AddField("ud_NAME", uploader);
  // No archive, no upload: an empty post would only be refused.
  if (!req.AddFile("uploadedfile", archivePath)) return kUploadError;
  return UploadResultFromLines(req.Post(site.host, site.port, "/velkor/updated.php"));
}

std::string PackArchivePath(const std::string& programDir, const std::string& pack) {
  const std::string dir = plat::PackPath(pack);
  return dir.empty() ? "" : programDir + "/" + dir + ".zip";
}

std::string UploadPageAddress(const http::SiteAddress& site, const std::string& localPath) {
  std::string url = "http://" + site.host;
  if (site.port != http::kDefaultSitePort) url += ":" + std::to_string(site.port);
  url += "/velkor/upload.php?filename=";
  for (const char ch : localPath) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '\\') {
      url += ';';
    } else if (c <= ' ' || c > 126 || c == '#' || c == '&' || c == '%' || c == '+') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      url += hex;
    } else {
      url += ch;
    }
  }
  return url;
}

void OpenUploadPage() {
  const std::string path =
      plat::ProgramDir() + "\\Data\\Packs\\" + Upload.UploadFields[0] + ".zip";
  plat::OpenURL(UploadPageAddress(http::GameSite(), path));
}

}  // namespace fe
