// Splitting a text at delimiters.
#pragma once
#include <string>

namespace play {

// Field n (from 1) of the text; with width above 0 each width-long piece of
// the delimiter counts as a delimiter of its own.
std::string GetField(const std::string& text, const std::string& delimiter, int n, int width);

}  // namespace play
