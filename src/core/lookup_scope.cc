#include "core/lookup_scope.h"

#include <unordered_map>

namespace velmora::core {
namespace {

struct Kept {
  int depth = 0;
  std::unordered_map<std::string, std::string> answers;
};

thread_local Kept kept;

}  // namespace

LookupScope::LookupScope() { ++kept.depth; }

LookupScope::~LookupScope() {
  if (--kept.depth == 0) {
    kept.answers.clear();
  }
}

std::string Remembered(std::string_view kind, std::string_view key,
                       const std::function<std::string()>& read) {
  if (kept.depth == 0) {
    return read();
  }
  std::string name;
  name.reserve(kind.size() + key.size() + 1);
  name.append(kind).append(1, '\0').append(key);
  if (const auto found = kept.answers.find(name); found != kept.answers.end()) {
    return found->second;
  }
  std::string answer = read();
  kept.answers.emplace(std::move(name), answer);
  return answer;
}

}  // namespace velmora::core
