#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Internal: idle native handles kept per connection string, so that opening a connection for
// each operation costs no reconnect. Holds at most `max_total` handles over all keys; when full,
// the least recently returned handle is closed. Handles are closed outside the lock (closing a
// network connection can take time). Safe to use from several threads.
namespace velmora::db {

template <class Handle>
class HandlePool {
 public:
  explicit HandlePool(size_t max_total) : max_total_(max_total) {}
  HandlePool(const HandlePool&) = delete;
  HandlePool& operator=(const HandlePool&) = delete;

  // The most recently returned idle handle of `key`, or nullptr.
  std::unique_ptr<Handle> Take(const std::string& key) {
    std::lock_guard lock(mutex_);
    for (auto it = idle_.begin(); it != idle_.end(); ++it) {
      if (it->key == key) {
        std::unique_ptr<Handle> handle = std::move(it->handle);
        idle_.erase(it);
        return handle;
      }
    }
    return nullptr;
  }

  // Keeps `handle` for `key` unless `key` already has `max_per_key` idle handles.
  void Give(const std::string& key, std::unique_ptr<Handle> handle, size_t max_per_key) {
    std::vector<std::unique_ptr<Handle>> closing;
    {
      std::lock_guard lock(mutex_);
      size_t same_key = 0;
      for (const Entry& entry : idle_) {
        same_key += entry.key == key ? 1 : 0;
      }
      if (same_key >= max_per_key) {
        closing.push_back(std::move(handle));
      } else {
        idle_.push_front(Entry{key, std::move(handle)});
        while (idle_.size() > max_total_) {
          closing.push_back(std::move(idle_.back().handle));
          idle_.pop_back();
        }
      }
    }
  }

  // Closes the idle handles of `key`, or all of them when `key` is empty.
  void Clear(std::string_view key) {
    std::vector<std::unique_ptr<Handle>> closing;
    {
      std::lock_guard lock(mutex_);
      for (auto it = idle_.begin(); it != idle_.end();) {
        if (key.empty() || it->key == key) {
          closing.push_back(std::move(it->handle));
          it = idle_.erase(it);
        } else {
          ++it;
        }
      }
    }
  }

  size_t IdleCount(const std::string& key) const {
    std::lock_guard lock(mutex_);
    size_t count = 0;
    for (const Entry& entry : idle_) {
      count += entry.key == key ? 1 : 0;
    }
    return count;
  }

 private:
  struct Entry {
    std::string key;
    std::unique_ptr<Handle> handle;
  };

  const size_t max_total_;
  mutable std::mutex mutex_;
  std::list<Entry> idle_;  // most recently returned first
};

// The bound of every engine's pool over all connection strings.
inline constexpr size_t kMaxPooledHandles = 64;

}  // namespace velmora::db
