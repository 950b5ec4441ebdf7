#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/env.h"
#include "support/fake_transfer_client.h"
#include "support/site_folder_test.h"
#include "velmora/delivery/push_doc_utils.h"
#include "velmora/delivery/send_method.h"

// The installation the push tests run on: document type ORDERS sent by "sam" (partner 10,
// "Acme") to "rita" (partner 20, "Brix") and "rob" (partner 30, "Cogs"); the share
// "\\files\out" mapped to Dir("share"); attachments in Dir("att"); the fake transfer client in
// the environment (tests of the real peers install the libcurl one).
namespace velmora::testing {

// One SENDMETHODHISTORY row.
struct HistoryRow {
  int32_t send_method = 0;
  int32_t partner = 0;
  int32_t rule = 0;
  int32_t status = 0;
  int32_t publication_error = 0;
};

// One PUBLICATIONERRORS row.
struct ErrorRow {
  int32_t id = 0;
  int32_t number = 0;
  std::string label;
  std::string source;
  std::string description;
  std::string replacements;
  int32_t closed = 0;
};

class PushTest : public SiteFolderTest {
 protected:
  PushTest() : SiteFolderTest(DateTime{2031, 4, 5, 6, 7, 8}) {}
  void SetUpDatabase() override;

  // A send method of `partner` for ORDERS under `rule`; `attachments`, `network` and `merge`
  // fill the extension array.
  int32_t AddSendMethod(int32_t partner, TSendMethodProperties record, int32_t rule = -1,
                        bool attachments = false, const std::string& network = "",
                        const std::string& merge = "");
  // An XML send method into `folder` writing "order_<doc>.xml", pushed automatically.
  static TSendMethodProperties FolderMethod(const std::string& folder);
  static TSendMethodProperties Method(ESendMethodProtocol protocol, const std::string& address);
  // A send method rule of partner `partner` matching documents whose FLAG is `flag`.
  int32_t AddFlagRule(const std::string& flag);

  // A published ORDERS document of sam with FLAG `flag`, received by rita and rob.
  int32_t AddOrder(const std::string& flag = "normal");
  // Registers attachment `name` with `content` for the document.
  void AddAttachment(int32_t doc, const std::string& name, const std::string& content);
  // Writes the site configuration: the share, MEMBERSHIP and `transfer` keys of "TRANSFER".
  void WriteSiteConfiguration(const std::string& transfer = "");

  std::vector<HistoryRow> History(int32_t doc);
  std::vector<ErrorRow> Errors(int32_t doc);
  int32_t Status(int32_t doc);
  static std::string ReadText(const std::string& path);

  PushDocUtils push_;
  std::shared_ptr<FakeTransferClient> transfer_ = std::make_shared<FakeTransferClient>();
  std::unique_ptr<core::ScopedEnv> env_;
};

}  // namespace velmora::testing
