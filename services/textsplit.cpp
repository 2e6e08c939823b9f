#include "services/textsplit.h"

namespace play {

namespace {

// 1-based position of the next delimiter (or piece) after position `after`;
// 0 when there is none.
size_t NextDelimiter(const std::string& text, const std::string& delimiter, int width,
                     size_t after) {
  size_t best = std::string::npos;
  auto consider = [&](const std::string& piece) {
    if (piece.empty()) return;
    const size_t at = text.find(piece, after);  // 0-based search from `after` = 1-based after+1
    if (at != std::string::npos && (best == std::string::npos || at < best)) best = at;
  };
  if (width <= 0) {
    consider(delimiter);
  } else {
    for (size_t i = 0; i < delimiter.size(); i += static_cast<size_t>(width))
      consider(delimiter.substr(i, static_cast<size_t>(width)));
  }
  return best == std::string::npos ? 0 : best + 1;
}

}  // namespace

std::string GetField(const std::string& text, const std::string& delimiter, int n, int width) {
  if (delimiter.empty()) return text;
  size_t prev = 0;  // 1-based position of the previous delimiter, 0 at the start
  for (int field = 1;; ++field) {
    const size_t found = NextDelimiter(text, delimiter, width, prev);
    if (field == n) {
      const size_t from = prev;  // 0-based index of one past the previous position
      if (found == 0) return from <= text.size() ? text.substr(from) : std::string();
      return text.substr(from, found - 1 - from);
    }
    if (found == 0) return std::string();
    prev = found;
  }
}

}  // namespace play
