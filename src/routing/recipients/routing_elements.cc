// Resolving the routing elements of a document (RECEIVER, BUSINESSPARTNER,
// BUS-PART-C, BUS-PART-S) into PUBLICATION rows, with a publication error for every value
// that leads to nobody; and Utility's published form.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/publication_errors.h"
#include "platform/host/partner_register.h"
#include "routing/document_types.h"
#include "routing/node_queries.h"
#include "routing/recipients/resolution.h"
#include "routing/xml_text.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"
#include "velmora/routing/distribution_list.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// The source of the error rows of unresolved values, and the path of the rows of partner ids
// and codes that cannot be used and of failures outside the loop (historic spellings).
constexpr const char* kErrorSource = "Velmora.Utility.ExecuteXslPatternAndFillPublicationTable";
constexpr const char* kReportPath = "Velmora.Utility.ExecuteXSLPatternAndFillPublicationTable";

// Label codes: the error row of an unresolved value, its descriptions, and the rows written
// first for a partner id that is not a number and a partner code that does not translate.
constexpr const char* kUnresolvedLabel = "ZODAR0008";
constexpr const char* kUserNotOnListText = "ZODAR4478";
constexpr const char* kNotResolvedText = "ZODAR4479";
constexpr const char* kNotNumericLabel = "ZODAR4475";
constexpr const char* kNotNumericText = "ZODAR4482";
constexpr const char* kCodeNotTranslatedLabel = "ZODAR4476";
constexpr const char* kCodeNotTranslatedText = "ZODAR4481";

// Runs `step`; the number of a failure is kept in `pending` (the last failure wins) and the
// caller goes on with the next step.
template <class Step>
void Trapped(int32_t& pending, Step&& step) {
  try {
    step();
  } catch (...) {
    pending = CurrentError().number();
  }
}

// Runs `check` when `n` is 0: its answer sets `n` to 1, and so does its failure (kept in
// `pending`), so that the value is then reported with the failure's number.
template <class Check>
void CountAsFoundWhen(int32_t& pending, int32_t& n, Check&& check) {
  if (n != 0) {
    return;
  }
  try {
    n = check() ? 1 : 0;
  } catch (...) {
    pending = CurrentError().number();
    n = 1;
  }
}

// `value` as a partner id: a whole decimal number (blanks around allowed) within 32 bits.
bool ParsePartnerId(const std::string& value, int32_t& id) {
  int64_t number = 0;
  if (!text::ParseInt64(text::Trim(value), number) ||
      number < std::numeric_limits<int32_t>::min() ||
      number > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  id = static_cast<int32_t>(number);
  return true;
}

// The publications of one routing element, written in one transaction on their own connection.
// Each insert runs inside a savepoint, so that a failed one is undone alone and the others
// stand, on either engine. The publication errors of the element are written once the
// transaction has ended: the open transaction holds the database's write lock, which the error
// log would wait for.
class ElementPublications {
 public:
  ElementPublications() : connection_(core::GetConnection()) { connection_->Begin(); }
  ~ElementPublications() {
    try {
      if (connection_->InTransaction()) {
        connection_->Rollback();
      }
      core::CloseConnection(connection_);
    } catch (...) {
      // The connection is dropped; the publications it held were not committed.
    }
  }
  ElementPublications(const ElementPublications&) = delete;
  ElementPublications& operator=(const ElementPublications&) = delete;

  int32_t Fill(int32_t doc_id, const std::string& type, int32_t partner, const std::string& user) {
    connection_->Execute("SAVEPOINT velmora_publication");
    try {
      const int32_t inserted =
          recipients::FillFromDistributionList(*connection_, doc_id, type, partner, user);
      connection_->Execute("RELEASE SAVEPOINT velmora_publication");
      return inserted;
    } catch (...) {
      try {
        connection_->Execute("ROLLBACK TO SAVEPOINT velmora_publication");
        connection_->Execute("RELEASE SAVEPOINT velmora_publication");
      } catch (...) {
        // The insert's own failure is the one reported; a transaction left broken fails its
        // commit.
      }
      throw;
    }
  }

  // A publication error to write after the commit; its failure is trapped like the others.
  void LogLater(std::function<void()> write) { errors_.push_back(std::move(write)); }

  // Commits the publications, then writes the publication errors in their order.
  void Commit() {
    connection_->Commit();
    int32_t ignored = 0;
    for (const std::function<void()>& write : errors_) {
      Trapped(ignored, write);
    }
  }

 private:
  std::unique_ptr<db::Connection> connection_;
  std::vector<std::function<void()>> errors_;
};

// The label `code` with each placeholder replaced, ignoring case.
std::string LabelWith(const char* code,
                      std::initializer_list<std::pair<const char*, std::string>> replacements) {
  std::string label = core::GetLabel(code);
  for (const auto& [placeholder, value] : replacements) {
    label = routing::ReplaceIgnoringCase(label, placeholder, value);
  }
  return label;
}

}  // namespace

bool recipients::ResolveRoutingElement(int32_t doc_id, const std::string& type,
                                       xml::Document& document, const std::string& query) {
  bool result = false;
  const std::shared_ptr<xml::NodeList> nodes = routing::node_queries::AllNodes(document, query);
  if (!nodes) {
    throw Error(kErrObjectRequired, kReportPath, "Object required: no nodes for " + query);
  }
  if (nodes->Empty()) {
    return false;
  }
  const std::string doc_text = std::to_string(doc_id);
  bool changed = false;
  DistributionList lists;
  ElementPublications publications;
  for (const xml::Node& node : *nodes) {
    std::string value = node.Text();
    if (value.empty()) {
      continue;
    }
    changed = true;
    int32_t pending = 0;
    int32_t n = 0;
    if (query == "//RECEIVER") {
      Trapped(pending, [&] { n = publications.Fill(doc_id, type, 0, value); });
      CountAsFoundWhen(pending, n, [&] { return lists.UserFoundOnDBList(type, value); });
    } else if (query == "//BUSINESSPARTNER") {
      int32_t partner = 0;
      if (ParsePartnerId(value, partner)) {
        Trapped(pending, [&] { n = publications.Fill(doc_id, type, partner, ""); });
        CountAsFoundWhen(pending, n, [&] { return lists.BPFoundOnDBList(type, partner); });
      } else {
        Trapped(pending, [&] {
          publications.LogLater(
              [doc_id, description = LabelWith(kNotNumericText,
                                               {{"[%DOCID%]", doc_text}, {"[%BPID%]", value}})] {
                core::LogPublicationError(
                    doc_id, static_cast<int32_t>(EnumerationErrors::ProcessDocumentError),
                    description, kReportPath, kNotNumericLabel);
              });
        });
      }
    } else if (query == "//BUS-PART-C" || query == "//BUS-PART-S") {
      const int32_t kind = query == "//BUS-PART-C" ? 0 : 1;
      int32_t partner = 0;
      bool translated = false;
      try {
        auto partners = core::GetComponent<host::BusinessPartner>("KxCommon.BusinessPartner");
        translated = partners && ParsePartnerId(partners->GetIDByCode(value, kind), partner);
      } catch (...) {
        translated = false;
      }
      if (!translated) {
        Trapped(pending, [&] {
          publications.LogLater(
              [doc_id, description = LabelWith(kCodeNotTranslatedText, {{"[%BPID%]", value}})] {
                core::LogPublicationError(
                    doc_id, static_cast<int32_t>(EnumerationErrors::ProcessDocumentError),
                    description, kReportPath, kCodeNotTranslatedLabel);
              });
        });
        pending = 0;
      } else {
        Trapped(pending, [&] { n = publications.Fill(doc_id, type, partner, ""); });
        CountAsFoundWhen(pending, n, [&] { return lists.BPFoundOnDBList(type, partner); });
      }
    }
    if (pending != 0 || n == 0) {
      Trapped(pending, [&] {
        std::string description;
        int32_t number = 0;
        if (n != 0) {
          description = LabelWith(kNotResolvedText,
                                  {{"[%RECIPIENT_ID%]", value}, {"[%DOCUMENT_ID%]", doc_text}});
          number = pending;
        } else if (query == "//RECEIVER") {
          description = LabelWith(kUserNotOnListText,
                                  {{"[%USER_ID%]", value},
                                   {"[%DOCTYPE%]", routing::document_types::Description(type)}});
        } else {
          description = LabelWith(
              kNotResolvedText,
              {{"[%BP_ID%]", value}, {"[%DOCTYPE%]", routing::document_types::Description(type)}});
        }
        publications.LogLater([doc_id, number, description] {
          core::LogPublicationError(doc_id, number, description, kErrorSource, kUnresolvedLabel);
        });
      });
    }
    if (n > 0) {
      result = true;
    }
    Trapped(pending, [&] { node.SetText(""); });
  }
  publications.Commit();
  if (changed) {
    Document().UpdateDocumentWithXmlBody(doc_id, document.Xml());
  }
  return result;
}

bool Utility::ExecuteXslPatternAndFillPublicationTable(int32_t iDocID,
                                                       const std::string& iDocTypeID,
                                                       xml::Document& oXmlDoc,
                                                       const std::string& sXslPattern) {
  return core::Guarded(kReportPath, [&] {
    return recipients::ResolveRoutingElement(iDocID, iDocTypeID, oXmlDoc, sXslPattern);
  });
}

}  // namespace velmora
