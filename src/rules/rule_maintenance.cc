// Maintaining rules and their lines: Velmora.Rules for the configuration pages.
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "rules/rule_rows.h"
#include "velmora/rules/rules.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;
using rules::NumberField;

constexpr int32_t kSendMethodRule = static_cast<int32_t>(RuleType::SENDMETHODRULE);

db::RecordsetOptions Updatable() {
  return db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic};
}

// The eight columns AddRule and UpdateRule write, enumerations already converted.
struct RuleColumns {
  std::string description;
  int16_t rule_type = 0;
  std::string assigned_id;
  std::string method_call;
  int32_t sequence_number = 0;
  int16_t rule_logic = 0;
  int32_t original_id = 0;
  bool enabled = false;
};

void WriteRule(db::Recordset& rs, const RuleColumns& rule) {
  rs.SetField("DESCRIPTION", Variant(rule.description));
  rs.SetField("RULETYPE", Variant(rule.rule_type));
  rs.SetField("ASSIGNEDID", Variant(rule.assigned_id));
  rs.SetField("METHODCALL", Variant(rule.method_call));
  rs.SetField("SEQUENCENUMBER", Variant(rule.sequence_number));
  rs.SetField("RULELOGIC", Variant(rule.rule_logic));
  rs.SetField("ORIGINALID", Variant(rule.original_id));
  rs.SetField("ENABLED", Variant(static_cast<int16_t>(rule.enabled ? 1 : 0)));
}

}  // namespace

int32_t Rules::AddRule(std::string& iDescription, int16_t& iRuleType, std::string& iAssignedID,
                       std::string& IMethodCall, int32_t& iSequenceNumber, std::string& iRuleLogic,
                       int32_t& iOriginalID, bool& iEnabled) {
  return core::Guarded("Velmora.Rules.AddRule", [&]() -> int32_t {
    const RuleColumns rule{
        iDescription,    ConvertRuleTypeEnum(iRuleType),   iAssignedID, IMethodCall,
        iSequenceNumber, ConvertRuleLogicEnum(iRuleLogic), iOriginalID, iEnabled};
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset("SELECT * FROM RULEHEADER WHERE RULEID=-1", Updatable());
    rs->AddNew();
    WriteRule(*rs, rule);
    rs->Update();
    const int32_t id = rs->Field("RULEID").ToInt32();
    rs->Close();
    connection->Close();
    return id;
  });
}

void Rules::UpdateRule(int32_t& iRuleID, std::string& iDescription, int16_t& iRuleType,
                       std::string& iAssignedID, std::string& IMethodCall, int32_t& iSequenceNumber,
                       std::string& iRuleLogic, int32_t& iOriginalID, bool& iEnabled) {
  core::Guarded("Velmora.Rules.UpdateRule", [&] {
    const RuleColumns rule{
        iDescription,    ConvertRuleTypeEnum(iRuleType),   iAssignedID, IMethodCall,
        iSequenceNumber, ConvertRuleLogicEnum(iRuleLogic), iOriginalID, iEnabled};
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "Select * From RULEHEADER WHERE RULEID = " + SqlLong(iRuleID), Updatable());
    if (!rs->IsEOF()) {
      WriteRule(*rs, rule);
      rs->Update();
    }
    rs->Close();
    connection->Close();
  });
}

// The checks come before any change, so that a refused rule keeps its placeholder rows too,
// and the changes are made in one transaction.
bool Rules::DeleteRule(int32_t& iRuleID) {
  return core::Guarded("Velmora.Rules.DeleteRule", [&]() -> bool {
    const std::string id = SqlLong(iRuleID);
    auto connection = core::GetConnection();
    auto rows = connection->Query(
        "SELECT DISTINCT RULETYPE, SENDMETHOD.RULEID, SENDMETHOD.SENDMETHODID FROM RULEHEADER "
        "LEFT OUTER JOIN SENDMETHOD ON RULEHEADER.RULEID = SENDMETHOD.RULEID "
        "WHERE RULEHEADER.RULEID = " +
        id);
    bool placeholders = false;
    for (; !rows->IsEOF(); rows->MoveNext()) {
      if (NumberField(*rows, "RULETYPE") != kSendMethodRule || rows->Field("RULEID").IsNull()) {
        continue;
      }
      if (NumberField(*rows, "SENDMETHODID") != -1) {
        return false;
      }
      placeholders = true;
    }
    rows->Close();
    connection->Begin();
    if (placeholders) {
      connection->Execute("DELETE FROM SENDMETHOD WHERE (RULEID = " + id +
                          ") AND SENDMETHODID = -1");
    }
    connection->Execute("DELETE FROM RULELINE WHERE (RULEID = " + id + ")");
    connection->Execute("DELETE FROM RULEHEADER WHERE (RULEID = " + id + ")");
    connection->Commit();
    connection->Close();
    return true;
  });
}

int32_t Rules::AddRuleLine(int32_t& iRuleID, int32_t& iFieldType, int32_t& iSequenceNumber,
                           int32_t& iTagAttrXsl, std::string& iXslPattern, int32_t& iCondition,
                           std::string& iRuleLineValue) {
  return core::Guarded("Velmora.Rules.AddRuleLine", [&]() -> int32_t {
    int32_t fixed_text = static_cast<int32_t>(TagAttrXsl::FIXEDTEXT);
    return AddRuleLineEx(iRuleID, iFieldType, iSequenceNumber, iTagAttrXsl, iXslPattern, iCondition,
                         fixed_text, iRuleLineValue);
    return 0;
  });
}

int32_t Rules::AddRuleLineEx(int32_t& iRuleID, int32_t& iFieldType, int32_t& iSequenceNumber,
                             int32_t& iTagAttrXsl, std::string& iXslPattern, int32_t& iCondition,
                             int32_t& iTagAttrXslFixedText, std::string& iRuleLineValue) {
  return core::Guarded("Velmora.Rules.AddRuleLineEx", [&]() -> int32_t {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset("SELECT * FROM RULELINE WHERE LINEID=-1", Updatable());
    rs->AddNew();
    rs->SetField("RULEID", Variant(iRuleID));
    rs->SetField("FIELDTYPE", Variant(ConvertFieldTypeEnum(iFieldType)));
    rs->SetField("SEQUENCENUMBER", Variant(iSequenceNumber));
    rs->SetField("TAGATTRXSL", Variant(ConvertTagAttrXslEnum(iTagAttrXsl)));
    rs->SetField("XSLPATTERN", Variant(iXslPattern));
    rs->SetField("CONDITION", Variant(ConvertConditionEnum(iCondition)));
    rs->SetField("COMPARETYPE", Variant(ConvertTagAttrXslEnum(iTagAttrXslFixedText)));
    rs->SetField("VALUE", Variant(iRuleLineValue));
    rs->Update();
    const int32_t id = rs->Field("LINEID").ToInt32();
    rs->Close();
    connection->Close();
    return id;
  });
}

void Rules::DeleteRuleLines(int32_t& iRuleID) {
  core::Guarded("Velmora.Rules.DeleteRuleLines", [&] {
    auto connection = core::GetConnection();
    connection->Execute("DELETE FROM RULELINE WHERE (RULEID = " + SqlLong(iRuleID) + ")");
    connection->Close();
  });
}

std::string Rules::GetRuleDescription(int32_t i_lruleid) {
  return core::Guarded("Velmora.Rules.GetRuleDescription", [&]() -> std::string {
    const auto description = core::FirstField(
        "SELECT DESCRIPTION FROM RULEHEADER WHERE RULEID = " + SqlLong(i_lruleid), "DESCRIPTION");
    return description && !description->IsNull() ? description->ToText() : "";
  });
}

bool Rules::ExistRulesAttachedToSendMethods(const std::string& i_sDocumentTypeID, int32_t i_lBPID,
                                            int32_t i_lSendMethodID) {
  return core::Guarded("Velmora.Rules.ExistRulesAttachedToSendMethods", [&]() -> bool {
    std::string sql =
        "SELECT RULEID FROM SENDMETHOD WHERE NOT RULEID = -1 AND NOT RULEID = 0 AND NOT "
        "SENDMETHODID = -1 ";
    if (!i_sDocumentTypeID.empty()) {
      sql += "AND DOCUMENTTYPEID = " + SqlText(i_sDocumentTypeID) + " ";
    }
    if (i_lBPID != 0) {
      sql += "AND BUSINESSPARTNERID = " + SqlLong(i_lBPID) + " ";
    }
    if (i_lSendMethodID != 0) {
      sql += "AND SENDMETHODID = " + SqlLong(i_lSendMethodID) + " ";
    }
    return core::FirstField(sql, "RULEID").has_value();
  });
}

}  // namespace velmora
