#include "velmora/base/dictionary.h"

#include "velmora/base/error.h"

namespace velmora {

void Dictionary::Add(const std::string& key, Variant value) {
  if (index_.count(key) != 0) {
    throw Error(kErrKeyAlreadyExists, "Velmora.Dictionary",
                "This key is already associated with an element of this collection");
  }
  index_.emplace(key, entries_.size());
  entries_.emplace_back(key, std::move(value));
}

bool Dictionary::Exists(const std::string& key) const { return index_.count(key) != 0; }

Variant Dictionary::Item(const std::string& key) const {
  const auto found = index_.find(key);
  return found == index_.end() ? Variant() : entries_[found->second].second;
}

void Dictionary::SetItem(const std::string& key, Variant value) {
  const auto found = index_.find(key);
  if (found == index_.end()) {
    Add(key, std::move(value));
  } else {
    entries_[found->second].second = std::move(value);
  }
}

void Dictionary::Remove(const std::string& key) {
  const auto found = index_.find(key);
  if (found == index_.end()) {
    throw Error(kErrInvalidProcedureCall, "Velmora.Dictionary",
                "Invalid procedure call or argument");
  }
  const size_t position = found->second;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  index_.erase(found);
  for (auto& [name, slot] : index_) {
    if (slot > position) {
      --slot;
    }
  }
}

void Dictionary::RemoveAll() {
  entries_.clear();
  index_.clear();
}

std::vector<std::string> Dictionary::Keys() const {
  std::vector<std::string> keys;
  keys.reserve(entries_.size());
  for (const auto& entry : entries_) {
    keys.push_back(entry.first);
  }
  return keys;
}

const Variant& Collection::Item(size_t index) const {
  if (index < 1 || index > items_.size()) {
    throw Error(kErrSubscriptOutOfRange, "Velmora.Collection", "Subscript out of range");
  }
  return items_[index - 1];
}

}  // namespace velmora
