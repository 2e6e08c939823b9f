#include "httpupload/site.h"

#include <cstdlib>

namespace http {

SiteAddress ParseSite(const std::string& text) {
  SiteAddress site{kDefaultSiteHost, kDefaultSitePort};
  const size_t colon = text.rfind(':');
  const std::string host = text.substr(0, colon);
  if (host.empty() || host.find_first_of("/ \t\r\n") != std::string::npos) return site;
  if (colon != std::string::npos) {
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
      return site;
    const int port = std::atoi(digits.c_str());
    if (port < 1 || port > 65535) return site;
    site.port = port;
  }
  site.host = host;
  return site;
}

SiteAddress GameSite() {
  const char* env = std::getenv("VELKOR_SITE");
  return ParseSite(env ? env : "");
}

}  // namespace http
