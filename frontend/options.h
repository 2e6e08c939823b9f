// The options screen (state 3): ghosts, times, keys, the two volumes, full
// screen and driver for the next start, the current pack, and the upload
// dialog over it.
#pragma once

namespace fe {

void RunOptions();

}  // namespace fe
