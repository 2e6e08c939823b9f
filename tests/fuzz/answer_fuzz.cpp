// libFuzzer target for the upload client's answer reader: a server's bytes,
// arriving in any pieces, always give the same lines, and those lines are
// exactly the answer cut at each line feed with a CR before it dropped.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "httpupload/http.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the piece size the answer arrives in.
  const size_t piece = data[0] % 17 + 1;
  const std::string answer(reinterpret_cast<const char*>(data + 1), size - 1);

  http::LineSplitter whole;
  whole.Feed(answer.data(), answer.size());
  const auto lines = whole.Finish();

  http::LineSplitter pieces;
  for (size_t at = 0; at < answer.size(); at += piece)
    pieces.Feed(answer.data() + at, std::min(piece, answer.size() - at));
  Check(pieces.Finish() == lines);

  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    Check(lines[i].find('\n') == std::string::npos);
    joined += lines[i];
    if (i + 1 < lines.size()) joined += '\n';
  }
  std::string expected;
  for (size_t i = 0; i < answer.size(); ++i) {
    if (answer[i] == '\r' && i + 1 < answer.size() && answer[i + 1] == '\n') continue;
    expected += answer[i];
  }
  Check(joined == expected);
  return 0;
}
