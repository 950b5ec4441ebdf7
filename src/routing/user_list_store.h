#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The distribution lists (DISTRIBUTIONLIST: who receives the documents of a type) and the
// sender lists (SENDERLIST: who may send them). Both hold (document type, user) keys, the
// user's partner and three flags. Each operation opens its own connection of the installation
// and closes it on every path; database failures raise. The callers check the type and user.
namespace velmora::routing {

enum class UserList { kDistribution, kSender };

// The three flags of an entry, in the list's own order: EMAIL, HTMLATTACHMENT, ATTACHMENTS of
// a distribution list; NOTIFICATION, ATTACHMENTS, HTMLATTACHMENT of a sender list.
using UserListFlags = std::array<bool, 3>;

struct UserListEntry {
  std::optional<std::string> doctype;
  std::optional<std::string> user;
  std::optional<int32_t> partner;
  UserListFlags flags{};
};

class UserListStore {
 public:
  explicit UserListStore(UserList list) : list_(list) {}

  bool Contains(const std::string& doctype, const std::string& user);
  // Adds `user` of partner `partner` for `doctype`; an entry already there raises the
  // database's error.
  void Add(const std::string& doctype, const std::string& user, int32_t partner,
           const UserListFlags& flags);
  std::optional<UserListEntry> Get(const std::string& doctype, const std::string& user);
  // The entries of `doctype` (of every type when empty), by document type and user.
  std::vector<UserListEntry> List(const std::string& doctype = "");
  // Whether an entry was removed.
  bool Remove(const std::string& doctype, const std::string& user);

 private:
  UserList list_;
};

}  // namespace velmora::routing
