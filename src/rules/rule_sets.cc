// The two rule sets of Velmora.Rules and the walk over their rows.
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/date_parser.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "routing/users.h"
#include "rules/rule_rows.h"
#include "rules/send_method_rule_set.h"
#include "velmora/base/error.h"
#include "velmora/document/document.h"
#include "velmora/rules/rules.h"

namespace velmora {
namespace {

using rules::NumberField;
using rules::TextField;

// The language id of the user object of the document's sender. Raises when the document has
// no sender the directory knows.
int32_t SenderLocale(int32_t doc_id) {
  const std::string sender = Document().GetSenderOfDocument(doc_id);
  return Variant(routing::users::BoundUser(sender)->LanguageID()).ToInt32();
}

// The rows of a rule set are ordered by rule sequence and then by RULEID, so that the rows of
// two rules with the same sequence number never interleave. Parameters: the document type and
// the partner.
constexpr const char* kSendMethodRuleSql =
    "SELECT DISTINCT RULEHEADER.DESCRIPTION, SENDMETHOD.SENDMETHODID, RULEHEADER.RULEID, "
    "RULEHEADER.RULETYPE, RULEHEADER.METHODCALL, RULEHEADER.SEQUENCENUMBER, "
    "RULEHEADER.RULELOGIC, RULELINE.LINEID , RULELINE.XSLPATTERN, RULELINE.CONDITION, "
    "RULELINE.COMPARETYPE, RULELINE.VALUE, RULELINE.FIELDTYPE, RULELINE.SEQUENCENUMBER, "
    "RULELINE.TAGATTRXSL "
    "FROM SENDMETHOD "
    "LEFT OUTER JOIN RULEHEADER ON SENDMETHOD.RULEID = RULEHEADER.RULEID "
    "LEFT OUTER JOIN RULELINE ON RULEHEADER.RULEID = RULELINE.RULEID "
    "WHERE SENDMETHOD.DOCUMENTTYPEID = ? AND "
    "SENDMETHOD.BUSINESSPARTNERID = ? AND "
    "RULEHEADER.ENABLED = 1 "
    "ORDER BY RULEHEADER.SEQUENCENUMBER, RULEHEADER.RULEID, RULELINE.SEQUENCENUMBER";

// Parameter: the partner (-1 for the rules of every partner).
constexpr const char* kDocumentTypeRuleSql =
    "SELECT  ruleheader.ruleid, "
    "ruleheader.description, "
    "ruleheader.ruletype, "
    "ruleheader.assignedid, "
    "ruleheader.methodcall, "
    "ruleheader.sequencenumber, "
    "ruleheader.rulelogic, "
    "ruleline.lineid , "
    "ruleline.xslpattern, "
    "ruleline.condition, "
    "ruleline.comparetype, "
    "ruleline.value, "
    "ruleline.fieldtype, "
    "ruleline.sequencenumber, "
    "ruleline.tagattrxsl "
    "FROM ruleheader LEFT OUTER JOIN ruleline ON ruleheader.ruleid = ruleline.ruleid "
    "WHERE RULEHEADER.RULETYPE = 2 AND RULEHEADER.ORIGINALID = ? AND "
    "RULEHEADER.ENABLED = 1 ORDER BY ruleheader.sequencenumber, ruleheader.ruleid, "
    "ruleline.sequencenumber";

}  // namespace

std::optional<int32_t> Rules::FirstMatchingRule(db::Recordset& rows, const xml::Document& doc,
                                                int32_t& locale, std::string* assigned_id) {
  int32_t current = 0;
  while (!rows.IsEOF()) {
    const int32_t rule = NumberField(rows, "RULEID");
    if (rule == current) {
      rows.MoveNext();
      continue;
    }
    current = rule;
    const std::string assigned = assigned_id != nullptr ? TextField(rows, "ASSIGNEDID") : "";
    if (ExecuteRule(rule, doc, rows, locale)) {
      if (assigned_id != nullptr) {
        *assigned_id = assigned;
      }
      return rule;
    }
  }
  return std::nullopt;
}

int32_t Rules::ExecuteSendMethodRuleSet(int32_t& iDocID, std::string& iDocTypeID,
                                        int32_t& iBusinessPartnerID) {
  return rules::SendMethodRuleSet(iDocID, iDocTypeID).Select(iBusinessPartnerID);
}

namespace rules {

SendMethodRuleSet::SendMethodRuleSet(int32_t doc_id, std::string doc_type)
    : doc_id_(doc_id), doc_type_(std::move(doc_type)) {}

int32_t SendMethodRuleSet::Select(int32_t partner) {
  return core::Guarded("Velmora.Rules.ExecuteSendMethodRuleSet", [&]() -> int32_t {
    if (!document_) {
      document_ = Document().GetXmlDomDocument(doc_id_);
    }
    if (!locale_) {
      locale_ = SenderLocale(doc_id_);
    }
    int32_t locale = *locale_;
    auto rows = core::getDisconnectedReadOnlyRecordSet(kSendMethodRuleSql,
                                                       {Variant(doc_type_), Variant(partner)});
    return Rules().FirstMatchingRule(*rows, *document_, locale, nullptr).value_or(-1);
  });
}

}  // namespace rules

std::string Rules::DocumentTypeRules(int32_t partner, const xml::Document& doc, int32_t& locale) {
  auto rows = core::getDisconnectedReadOnlyRecordSet(kDocumentTypeRuleSql, {Variant(partner)});
  std::string assigned;
  FirstMatchingRule(*rows, doc, locale, &assigned);
  return assigned;
}

std::string Rules::ExecuteDocumentTypeRuleSet(int32_t& iDocID, int32_t& iBPID,
                                              std::shared_ptr<xml::Document> iXMLDoc) {
  return core::Guarded("Velmora.Rules.ExecuteDocumentTypeRuleSet", [&]() -> std::string {
    std::shared_ptr<xml::Document> doc;
    int32_t locale = 0;
    if (iDocID == 0 && iXMLDoc) {
      doc = std::move(iXMLDoc);
      locale = core::SystemDefaultLocaleId();
    } else {
      doc = Document().GetXmlDomDocument(iDocID);
      try {
        locale = SenderLocale(iDocID);
      } catch (const Error&) {
        locale = 0;
      }
    }
    std::string result = DocumentTypeRules(iBPID, *doc, locale);
    if (result.empty() && iBPID >= 0) {
      result = DocumentTypeRules(-1, *doc, locale);
    }
    return result;
  });
}

}  // namespace velmora
