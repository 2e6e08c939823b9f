#include "platform/dates.h"

#include <cstdio>
#include <ctime>

namespace plat {

namespace {

std::tm Local(int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

}  // namespace

std::string DateText(int64_t unixSeconds) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::tm tm = Local(unixSeconds);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d %s %04d", tm.tm_mday, kMonths[tm.tm_mon % 12],
                tm.tm_year + 1900);
  return buf;
}

std::string TimeText(int64_t unixSeconds) {
  const std::tm tm = Local(unixSeconds);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string CurrentDate() { return DateText(std::time(nullptr)); }
std::string CurrentTime() { return TimeText(std::time(nullptr)); }

}  // namespace plat
