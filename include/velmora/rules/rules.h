#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/db/recordset.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

namespace velmora {

namespace rules {
class SendMethodRuleSet;
}

// The rule enumerations; tables RULEHEADER and RULELINE hold the same numbers. A number that is
// not a member may arrive from stored rows. TagAttrXsl (velmora/routing/utility.h) tells how
// RULELINE.XSLPATTERN and, through COMPARETYPE, RULELINE.VALUE are read.
enum class RuleType : int16_t {
  SENDMETHODRULE = 1,
  DOCUMENTTYPERULE = 2,
  SENDERIDRULE = 3,
  RECIPIENTIDRULE = 4,
};
enum class RuleLogic : int16_t { ANDRULE = 1, ORRULE = 2 };
enum class FieldType : int32_t { STRINGFIELD = 1, NUMERICFIELD = 2, DATEFIELD = 3 };
enum class Condition : int32_t {
  ISEXACTLY = 1,
  GREATERTHAN = 2,
  GREATEREQUAL = 3,
  LOWERTHAN = 4,
  LOWEREQUAL = 5,
  ISNOT = 6,
  PARTOF = 7,
  NOTPARTOF = 8,
  CONTAINS = 9,
  NOTCONTAINS = 10,
};

// Velmora.Rules: rules that test the content of an XML document, and their maintenance. A send
// method rule chooses which of a partner's send methods (SENDMETHOD rows carrying its RULEID)
// serve a document; a document type rule gives a document another type. A rule either tests
// its lines in order (field, condition, value; combined by RULELOGIC: AND matches when every
// line holds and stops at the first that does not, OR matches at the first line that holds)
// or hands the document values its lines select to a plug-in method (METHODCALL, called through
// Utility::CallMethod) that answers true or false. Only enabled rules are evaluated, in the
// order of their SEQUENCENUMBER (then RULEID), lines in the order of theirs.
//
// A line compares the document value (XSLPATTERN read as TAGATTRXSL says) with VALUE (a literal
// for COMPARETYPE FIXEDTEXT, otherwise a selector into the same document). An absent or blank
// document value never holds, whatever the condition. Numeric lines compare numbers (a value
// that is not a number never holds); date lines read the document value (and a selected
// comparison value) in the sender's locale with the DateParser (core/date_parser.h) and compare
// "yyyy-MM-dd" texts; a fixed date is written "yyyy-MM-dd". Conditions 1 to 6 compare with
// case; PARTOF, NOTPARTOF, CONTAINS and NOTCONTAINS ignore case and apply to string lines only
// (on another line they raise InvalidParamValue with label "ZODAR5699").
//
// Stateless; every call opens and closes its own connection. Failures are reported as
// "Velmora.Rules.<operation>" and raised; an evaluation error carries the chain of the line,
// the rule and the rule set.
class Rules {
 public:
  int16_t GetRuleType_SENDMETHODRULE();
  int16_t GetRuleType_DOCUMENTTYPERULE();
  int16_t GetRuleType_SENDERIDRULE();
  int16_t GetRuleType_RECIPIENTIDRULE();

  // The RULEID of the first matching enabled rule attached to partner `iBusinessPartnerID` and
  // type `iDocTypeID` through SENDMETHOD, or -1. Dates are read in the locale of the document's
  // sender; a sender the directory does not know raises.
  int32_t ExecuteSendMethodRuleSet(int32_t& iDocID, std::string& iDocTypeID,
                                   int32_t& iBusinessPartnerID);
  // The ASSIGNEDID of the first matching enabled document type rule of partner `iBPID`; when
  // there is none and `iBPID` is 0 or more, that of the rules for every partner (ORIGINALID
  // -1); "" when nothing matches. With `iDocID` 0 and a document given, that document is
  // tested and dates are read in the platform default locale; otherwise the stored document
  // of `iDocID` is tested in its sender's locale (the default when the sender is unknown).
  std::string ExecuteDocumentTypeRuleSet(int32_t& iDocID, int32_t& iBPID,
                                         std::shared_ptr<xml::Document> iXMLDoc = nullptr);

  // Stores a rule and returns its RULEID. `iRuleType` outside 1 ... 4 is stored as 0;
  // `iRuleLogic` is "AND" or "OR" exactly, anything else is stored as 0 (a rule that matches
  // when any line holds).
  int32_t AddRule(std::string& iDescription, int16_t& iRuleType, std::string& iAssignedID,
                  std::string& IMethodCall, int32_t& iSequenceNumber, std::string& iRuleLogic,
                  int32_t& iOriginalID, bool& iEnabled);
  // Rewrites the rule's columns as AddRule writes them; nothing when the rule does not exist.
  void UpdateRule(int32_t& iRuleID, std::string& iDescription, int16_t& iRuleType,
                  std::string& iAssignedID, std::string& IMethodCall, int32_t& iSequenceNumber,
                  std::string& iRuleLogic, int32_t& iOriginalID, bool& iEnabled);
  // Deletes the rule with its lines and its placeholder SENDMETHOD rows (SENDMETHODID -1) and
  // returns true. A send method rule to which a real send method is still attached is left
  // untouched and the result is false.
  bool DeleteRule(int32_t& iRuleID);
  // Stores a line with a fixed comparison value (COMPARETYPE FIXEDTEXT); returns its LINEID.
  // Enumeration values outside their members are stored as 0.
  int32_t AddRuleLine(int32_t& iRuleID, int32_t& iFieldType, int32_t& iSequenceNumber,
                      int32_t& iTagAttrXsl, std::string& iXslPattern, int32_t& iCondition,
                      std::string& iRuleLineValue);
  // As AddRuleLine with the comparison kind `iTagAttrXslFixedText` (COMPARETYPE).
  int32_t AddRuleLineEx(int32_t& iRuleID, int32_t& iFieldType, int32_t& iSequenceNumber,
                        int32_t& iTagAttrXsl, std::string& iXslPattern, int32_t& iCondition,
                        int32_t& iTagAttrXslFixedText, std::string& iRuleLineValue);
  void DeleteRuleLines(int32_t& iRuleID);
  // DESCRIPTION of the rule; "" when there is no rule or no description.
  std::string GetRuleDescription(int32_t i_lruleid);
  // Whether a rule is attached to a real send method, restricted to the document type when
  // `i_sDocumentTypeID` is not "", to the partner when `i_lBPID` is not 0 and to the send
  // method when `i_lSendMethodID` is not 0.
  bool ExistRulesAttachedToSendMethods(const std::string& i_sDocumentTypeID = "",
                                       int32_t i_lBPID = 0, int32_t i_lSendMethodID = 0);

  // The date of `i_vDate` (a date, or a text "yyyy-MM-dd[ hh:mm[:ss]]") as "yyyy-MM-dd".
  std::string DateToXSLPatternString(const Variant& i_vDate);
  // The date that the text of `i_vDate` writes as "yyyy-MM-dd" (blanks around it ignored).
  // Any other text, an impossible date included, raises InvalidParamValue with label
  // "ZODAR5698" naming the text.
  Variant XSLPatternStringToDate(const Variant& i_vDate);

 private:
  friend class rules::SendMethodRuleSet;

  // Walks the rule set `rows` (a rule's rows together, lines in order) and returns the RULEID
  // of the first matching rule, or nullopt; with `assigned_id`, that rule's ASSIGNEDID goes
  // there.
  std::optional<int32_t> FirstMatchingRule(db::Recordset& rows, const xml::Document& doc,
                                           int32_t& locale, std::string* assigned_id);
  std::string DocumentTypeRules(int32_t partner, const xml::Document& doc, int32_t& locale);
  // One rule against `doc`; `rows` stands at the rule's first row and is moved through its rows.
  bool ExecuteRule(int32_t ruleId, const xml::Document& doc, db::Recordset& rows, int32_t& locale);
  bool ExecutePlugInRule(int32_t ruleId, const xml::Document& doc, db::Recordset& rows);
  bool ExecuteRuleLine(const std::string& xslPattern, int32_t condition, int32_t compareType,
                       const std::string& value, int32_t fieldType, int32_t tagAttrXsl,
                       const xml::Document& doc, int32_t& locale);
  bool ExecuteRuleLineCondition(const Variant& documentValue, const Variant& compareValue,
                                int32_t fieldType, int32_t condition);
  // The date `text` writes in `locale` as "yyyy-MM-dd", or nullopt. Locale 0 becomes the
  // platform default for the rest of the evaluation.
  std::optional<std::string> NormaliseDate(const std::string& text, int32_t& locale);

  int16_t ConvertRuleLogicEnum(const std::string& value);
  int16_t ConvertRuleTypeEnum(int32_t value);
  int16_t ConvertFieldTypeEnum(int32_t value);
  std::string ConvertFieldTypeString(int32_t value);
  int16_t ConvertTagAttrXslEnum(int32_t value);
  int16_t ConvertConditionEnum(int32_t value);
  std::string ConvertConditionString(int32_t value);
};

}  // namespace velmora
