#pragma once

#include <gmime/gmime.h>

#include <memory>
#include <mutex>

// Owners of GMime and GLib objects for the composer and the parser, and the library's one-time
// initialisation (safe to call from any thread, any number of times).
namespace velmora::mail::gmime {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GText = std::unique_ptr<char, GFree>;

inline void InitializeOnce() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

}  // namespace velmora::mail::gmime
