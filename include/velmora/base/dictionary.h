#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "velmora/base/variant.h"

namespace velmora {

// An ordered dictionary of text keys to variants: entries keep their insertion order, keys are
// compared exactly (case-sensitive). Replacement dictionaries, recipient lists and the pages'
// dictionaries are of this kind. Not safe for concurrent writers.
class Dictionary : public Object {
 public:
  std::string TypeName() const override { return "Dictionary"; }

  // Raises kErrKeyAlreadyExists when the key is present.
  void Add(const std::string& key, Variant value);
  bool Exists(const std::string& key) const;
  // The value of `key`, or Empty when it is absent (reading does not add, unlike scripts,
  // so that a lookup never changes the dictionary).
  Variant Item(const std::string& key) const;
  // Sets the value of `key`, adding the entry at the end when it is absent.
  void SetItem(const std::string& key, Variant value);
  // Raises kErrInvalidProcedureCall when the key is absent.
  void Remove(const std::string& key);
  void RemoveAll();

  size_t Count() const { return entries_.size(); }
  const std::vector<std::pair<std::string, Variant>>& entries() const { return entries_; }
  std::vector<std::string> Keys() const;

 private:
  std::vector<std::pair<std::string, Variant>> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// An ordered list of variants, as a page passes a collection of file paths. Indexed from 1
// as scripts count collection items.
class Collection : public Object {
 public:
  std::string TypeName() const override { return "Collection"; }

  void Add(Variant value) { items_.push_back(std::move(value)); }
  size_t Count() const { return items_.size(); }
  // Raises kErrSubscriptOutOfRange outside 1 ... Count().
  const Variant& Item(size_t index) const;
  const std::vector<Variant>& items() const { return items_; }

 private:
  std::vector<Variant> items_;
};

}  // namespace velmora
