#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "support/library_db_test.h"
#include "velmora/rules/rules.h"
#include "velmora/xml/document.h"

// The rules tests: a seeded installation with a membership directory whose users write dates
// in different locales, and short ways to store rules, lines, send method links and documents.
namespace velmora::testing {

// Users of the directory and their locales: "jan" Dutch (1043), "kate" English UK (2057),
// "sam" English US (1033); all of partner 12.
class RuleTest : public LibraryDbTest {
 protected:
  void SetUpDatabase() override;

  // A stored rule; `logic` is the text AddRule converts ("AND", "OR").
  int32_t AddRule(RuleType type, const std::string& logic, int32_t sequence = 1,
                  int32_t original = -1, const std::string& assigned = "",
                  const std::string& method = "", bool enabled = true,
                  const std::string& description = "rule");
  // A line of `rule` (lines keep the order they are added in); `compare` is COMPARETYPE.
  int32_t AddLine(int32_t rule, FieldType field, TagAttrXsl kind, const std::string& pattern,
                  Condition condition, const std::string& value,
                  TagAttrXsl compare = TagAttrXsl::FIXEDTEXT);
  // A document type rule of partner `original` that assigns `assigned` and holds one string
  // line "//<element> = value".
  int32_t AddTypeRule(int32_t original, const std::string& assigned, const std::string& element,
                      const std::string& value, int32_t sequence = 1);
  // A SENDMETHOD row linking send method `send_method` of `partner` and `type` to `rule`.
  void Link(int32_t rule, int32_t partner, const std::string& type, int32_t send_method);
  // A stored document with body `xml` and sender `sender`.
  int32_t AddDocument(const std::string& xml, const std::string& sender);

  // ExecuteDocumentTypeRuleSet for `partner` with document id 0 and `xml` loaded.
  std::string TypeFor(int32_t partner, const std::string& xml);
  // ExecuteSendMethodRuleSet of a stored document.
  int32_t SendMethodRuleFor(int32_t doc, int32_t partner, const std::string& type);

  static std::shared_ptr<xml::Document> Load(const std::string& xml);
  int64_t Count(const std::string& table, const std::string& where = "1 = 1");

  Rules rules_;
  int32_t next_line_ = 1;
};

}  // namespace velmora::testing
