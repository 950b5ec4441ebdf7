#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "platform/mail/mailbox.h"
#include "velmora/base/error.h"

namespace velmora::mail {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Raise(const std::string& description) {
  throw Error(kErrMailboxFailed, "Velmora.Mailbox", description);
}

// One message file: its id ("new/<name>" or "cur/<name>") and its order in the inbox.
struct Entry {
  fs::file_time_type changed;
  std::string id;
};

class MaildirMailbox : public Mailbox {
 public:
  MaildirMailbox(std::string folder, const MailboxSettings& settings)
      : folder_(std::move(folder)), max_bytes_(settings.max_message_bytes) {}

  std::vector<std::string> List() override {
    std::error_code error;
    if (!fs::is_directory(folder_ + "/new", error) && !fs::is_directory(folder_ + "/cur", error)) {
      Raise("The mailbox " + Name() + " is not a Maildir folder (it has neither new/ nor cur/).");
    }
    std::vector<Entry> entries;
    for (const char* sub : {"new", "cur"}) {
      Scan(sub, entries);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return std::tie(a.changed, a.id) < std::tie(b.changed, b.id);
    });
    std::vector<std::string> ids;
    ids.reserve(entries.size());
    for (Entry& entry : entries) {
      ids.push_back(std::move(entry.id));
    }
    return ids;
  }

  std::string Fetch(const std::string& id) override {
    const std::string path = PathOf(id);
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) {
      Raise("The message " + id + " of the mailbox " + Name() +
            " cannot be read: " + error.message());
    }
    if (size > max_bytes_) {
      Raise("The message " + id + " of the mailbox " + Name() + " has " + std::to_string(size) +
            " bytes, more than the limit of " + std::to_string(max_bytes_) + ".");
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
      Raise("The message " + id + " of the mailbox " + Name() + " cannot be read.");
    }
    return bytes;
  }

  void Delete(const std::string& id) override {
    const std::string path = PathOf(id);
    if (::unlink(path.c_str()) != 0) {
      Raise("The message " + id + " of the mailbox " + Name() +
            " cannot be deleted: " + std::strerror(errno));
    }
  }

 private:
  std::string Name() const { return "maildir:" + folder_; }

  void Scan(const char* sub, std::vector<Entry>& entries) const {
    const fs::path folder = fs::path(folder_) / sub;
    std::error_code error;
    if (!fs::exists(folder, error)) {
      return;
    }
    fs::directory_iterator it(folder, error);
    if (error) {
      Raise("The mailbox " + Name() + " cannot be listed: " + error.message());
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (name.empty() || name.front() == '.' || !it->is_regular_file(error)) {
        continue;
      }
      entries.push_back({it->last_write_time(error), std::string(sub) + "/" + name});
    }
    if (error) {
      Raise("The mailbox " + Name() + " cannot be listed: " + error.message());
    }
  }

  // The file of `id`; ids other than the ones List gives are refused.
  std::string PathOf(const std::string& id) const {
    const size_t slash = id.find('/');
    const std::string sub = id.substr(0, slash);
    const std::string name = slash == std::string::npos ? "" : id.substr(slash + 1);
    if ((sub != "new" && sub != "cur") || name.empty() || name.front() == '.' ||
        name.find('/') != std::string::npos) {
      Raise("'" + id + "' is not a message of the mailbox " + Name() + ".");
    }
    return folder_ + "/" + id;
  }

  std::string folder_;
  size_t max_bytes_;
};

}  // namespace

std::unique_ptr<Mailbox> NewMaildirMailbox(const std::string& folder,
                                           const MailboxSettings& settings) {
  return std::make_unique<MaildirMailbox>(folder, settings);
}

}  // namespace velmora::mail
