#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "velmora/base/variant.h"

// The host's referential-integrity hook: before the host deletes a business partner, a user, a
// user's link to a partner or a document type, it asks every registered participant whether
// the record is still referred to.
namespace velmora::host {

// Origins: the kind of record about to be deleted. Participants compare them after
// upper-casing. Key names are compared exactly.
inline constexpr const char* kOriginBusinessPartner = "BUSINESSPARTNER";  // key BUSINESSPARTNERID
inline constexpr const char* kOriginUser = "USER";                        // key USERID
inline constexpr const char* kOriginUserDocumentType = "USER_DOCUMENTTYPE";
inline constexpr const char* kOriginUserBusinessPartner = "USER_BUSINESSPARTNER";
inline constexpr const char* kOriginDocumentType = "DOCUMENTTYPE";  // key DOCUMENTTYPEID

// "IReferentialIntegrity": implemented by the classes that refer to host records.
class ReferentialIntegrity : public Object {
 public:
  std::string TypeName() const override { return "IReferentialIntegrity"; }

  // True when the record of `origin` whose key columns `keys` hold `values` (parallel
  // one-dimensional arrays) is still referred to: the delete must be refused. Raises when the
  // participant cannot tell; it never answers false because of a failure.
  virtual bool Exists(const Variant& origin, const VariantArray& keys,
                      const VariantArray& values) = 0;
  // Called when no participant reported a reference, just before the delete; false stops it.
  virtual bool BeforeDelete(const Variant& origin, const VariantArray& keys,
                            const VariantArray& values) = 0;
};

// The participants, each under a name (its ProgID, for example "Velmora.DistributionList").
// A participant is created anew for every check. Safe to use from several threads.
class ReferentialIntegrityRegistry {
 public:
  using Factory = std::function<std::shared_ptr<ReferentialIntegrity>()>;

  // The registry the host's deletes consult.
  static ReferentialIntegrityRegistry& Global() {
    static ReferentialIntegrityRegistry registry;
    return registry;
  }

  ReferentialIntegrityRegistry() = default;
  ReferentialIntegrityRegistry(const ReferentialIntegrityRegistry&) = delete;
  ReferentialIntegrityRegistry& operator=(const ReferentialIntegrityRegistry&) = delete;

  // Registers `factory` under `name`, replacing an earlier one of that name.
  void Register(const std::string& name, Factory factory) {
    std::lock_guard lock(mutex_);
    participants_[name] = std::move(factory);
  }
  void Unregister(const std::string& name) {
    std::lock_guard lock(mutex_);
    participants_.erase(name);
  }
  std::vector<std::string> Names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [name, factory] : participants_) {
      names.push_back(name);
    }
    return names;
  }

  // Asks every participant (in name order) Exists, and when none answers true, every one
  // BeforeDelete. Returns nullopt when the delete may go on, else the refusal: "still referred
  // to by <name>" or "refused by <name>". A participant's failure propagates (the delete must
  // then not happen).
  std::optional<std::string> RefusalToDelete(const std::string& origin, const VariantArray& keys,
                                             const VariantArray& values) const {
    std::vector<std::pair<std::string, Factory>> participants;
    {
      std::lock_guard lock(mutex_);
      participants.assign(participants_.begin(), participants_.end());
    }
    std::vector<std::pair<std::string, std::shared_ptr<ReferentialIntegrity>>> created;
    for (const auto& [name, factory] : participants) {
      created.emplace_back(name, factory());
      if (created.back().second->Exists(Variant(origin), keys, values)) {
        return "still referred to by " + name;
      }
    }
    for (const auto& [name, participant] : created) {
      if (!participant->BeforeDelete(Variant(origin), keys, values)) {
        return "refused by " + name;
      }
    }
    return std::nullopt;
  }

  // The same for a record with one key.
  std::optional<std::string> RefusalToDelete(const std::string& origin, const std::string& key,
                                             const Variant& value) const {
    VariantArray keys(1);
    keys.At(0) = Variant(key);
    VariantArray values(1);
    values.At(0) = value;
    return RefusalToDelete(origin, keys, values);
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Factory> participants_;
};

}  // namespace velmora::host
