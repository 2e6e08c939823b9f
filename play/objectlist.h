// An ordered list of shared objects that may be changed while it is walked.
//
// Bullets and particles take themselves out of their list from inside their
// own update, and a walk must then go on with the next object. Removal
// during a walk only empties the slot; the object itself is kept alive until
// the outermost walk ends, so the code that removed it can keep running.
// Objects appended during a walk are visited by that same walk.
#pragma once
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace play {

template <class T>
class ObjectList {
 public:
  using Ptr = std::shared_ptr<T>;

  void Append(Ptr obj) {
    items_.push_back(std::move(obj));
    ++live_;
  }

  // Takes obj out of the list; false when it was not in it.
  bool Remove(const T* obj) {
    const size_t at = Find(obj);
    if (at == kNone) return false;
    TakeOut(at);
    return true;
  }

  void Clear() {
    live_ = 0;
    if (walkDepth_ == 0) {
      std::vector<Ptr> old = std::move(items_);
      items_.clear();
      return;
    }
    for (Ptr& p : items_)
      if (p) graveyard_.push_back(std::move(p)), p.reset();
  }

  bool Contains(const T* obj) const { return Find(obj) != kNone; }
  int Count() const { return live_; }
  bool Empty() const { return live_ == 0; }

  // Calls f(T&) for every object in list order, including objects appended
  // by f; objects removed before their turn are skipped.
  template <class F>
  void Walk(F&& f) {
    ++walkDepth_;
    const size_t outerPos = walkPos_;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!items_[i]) continue;
      walkPos_ = i;
      f(*items_[i]);
    }
    walkPos_ = outerPos;
    if (--walkDepth_ == 0) Compact();
  }

  // The live objects in order (for tests and tools).
  std::vector<Ptr> Snapshot() const {
    std::vector<Ptr> out;
    out.reserve(static_cast<size_t>(live_));
    for (const Ptr& p : items_)
      if (p) out.push_back(p);
    return out;
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  size_t Find(const T* obj) const {
    if (!obj) return kNone;
    // The object being visited is by far the most common one to go.
    if (walkDepth_ > 0 && walkPos_ < items_.size() && items_[walkPos_].get() == obj)
      return walkPos_;
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == obj) return i;
    return kNone;
  }

  void TakeOut(size_t at) {
    --live_;
    if (walkDepth_ > 0) {
      graveyard_.push_back(std::move(items_[at]));
      items_[at].reset();
    } else {
      Ptr keep = std::move(items_[at]);  // dies after the list is consistent
      items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    }
  }

  void Compact() {
    if (graveyard_.empty()) return;
    std::erase_if(items_, [](const Ptr& p) { return !p; });
    graveyard_.clear();
  }

  std::vector<Ptr> items_;
  std::vector<Ptr> graveyard_;
  int live_ = 0;
  int walkDepth_ = 0;
  size_t walkPos_ = 0;
};

}  // namespace play
