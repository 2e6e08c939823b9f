// Date and time texts of the local clock. Month names are English whatever
// the user's locale: archive time stamps are parsed back from these texts.
#pragma once
#include <cstdint>
#include <string>

namespace plat {

// "08 Dec 2026" and "14:07:59" for a moment in seconds since 1970.
std::string DateText(int64_t unixSeconds);
std::string TimeText(int64_t unixSeconds);
std::string CurrentDate();
std::string CurrentTime();

}  // namespace plat
