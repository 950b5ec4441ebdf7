#pragma once

#include <algorithm>
#include <vector>

// Internal: objects that live on a native handle (a running statement, a prepared statement) and
// must be finished before the handle goes back to the pool. The session keeps a list of them and
// detaches each when it closes; a detached object refuses further work with kErrDbClosed.
namespace velmora::db {

class Attachable {
 public:
  // Finishes the object's work on the handle. Called by the session at most once.
  virtual void DetachFromSession() noexcept = 0;

 protected:
  ~Attachable() = default;
};

// Not safe for concurrent use: it belongs to one session.
class AttachedSet {
 public:
  void Add(Attachable* item) { items_.push_back(item); }
  void Remove(Attachable* item) { std::erase(items_, item); }
  void DetachAll() noexcept {
    std::vector<Attachable*> items;
    items.swap(items_);
    for (Attachable* item : items) {
      item->DetachFromSession();
    }
  }

 private:
  std::vector<Attachable*> items_;
};

}  // namespace velmora::db
