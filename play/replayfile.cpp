#include "play/replayfile.h"

#include <cmath>
#include <cstring>

namespace play {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutInt(std::vector<uint8_t>& out, int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }
void PutFloat(std::vector<uint8_t>& out, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(out, bits);
}

// Reads stop at the end of the data; missing bytes read as 0.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i, ++pos_)
      if (pos_ < size_) v |= static_cast<uint32_t>(data_[pos_]) << (8 * i);
    return v;
  }
  int32_t Int() { return static_cast<int32_t>(U32()); }
  float Float() {
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

ReplayEvent ReadEvent(Reader& r) {
  ReplayEvent e;
  e.step = r.Int();
  for (float* f : {&e.x, &e.y, &e.vx, &e.vy, &e.hookX, &e.hookY, &e.hookVX, &e.hookVY})
    *f = r.Float();
  e.aimX = r.Int();
  e.aimY = r.Int();
  for (int32_t* c :
       {&e.changedLeft, &e.changedRight, &e.changedJump, &e.changedFire, &e.changedRope})
    *c = r.Int();
  return e;
}

bool AllFinite(const ReplayEvent& e) {
  for (float f : {e.x, e.y, e.vx, e.vy, e.hookX, e.hookY, e.hookVX, e.hookVY})
    if (!std::isfinite(f)) return false;
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeReplay(int32_t runTime, const std::vector<ReplayEvent>& events) {
  std::vector<uint8_t> out;
  out.reserve(4 + kReplayEventBytes * (events.size() + 1));
  PutInt(out, runTime);
  const ReplayEvent closing;
  for (size_t k = 0; k <= events.size(); ++k) {
    const ReplayEvent& e = k < events.size() ? events[k] : closing;
    PutInt(out, e.step);
    for (float f : {e.x, e.y, e.vx, e.vy, e.hookX, e.hookY, e.hookVX, e.hookVY}) PutFloat(out, f);
    PutInt(out, e.aimX);
    PutInt(out, e.aimY);
    for (int32_t c : {e.changedLeft, e.changedRight, e.changedJump, e.changedFire, e.changedRope})
      PutInt(out, c);
  }
  return out;
}

bool DecodeReplay(const uint8_t* data, size_t size, DecodedReplay& out) {
  out = DecodedReplay{};
  Reader r(data, size);
  const int32_t runTime = r.Int();
  if (runTime <= 0) return false;
  std::vector<ReplayEvent> events;
  events.reserve(size > 4 ? (size - 4 + kReplayEventBytes - 1) / kReplayEventBytes : 0);
  while (!r.AtEnd()) {
    events.push_back(ReadEvent(r));
    if (!AllFinite(events.back())) return false;
  }
  out.runTime = runTime;
  out.events = std::move(events);
  return true;
}

}  // namespace play
