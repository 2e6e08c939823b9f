// Where the game's web site is: its host for uploads and the web form.
#pragma once
#include <string>

namespace http {

// The site's host until one is live. A name under the reserved
// "example.net" keeps players' packs from reaching a stranger's server.
inline constexpr const char* kDefaultSiteHost = "velkor.example.net";
inline constexpr int kDefaultSitePort = 80;

struct SiteAddress {
  std::string host;
  int port = kDefaultSitePort;
};

// "host" or "host:port"; an empty or unusable text gives the default.
SiteAddress ParseSite(const std::string& text);
// The environment's VELKOR_SITE when set (for tests and anyone running their
// own site), else the default.
SiteAddress GameSite();

}  // namespace http
