#include "automation/registration.h"
#include "velmora/rules/rules.h"

namespace velmora::automation {

#define VELMORA_RULE_ARGS                                                                     \
  "iDescription", "iRuleType", "iAssignedID", "IMethodCall", "iSequenceNumber", "iRuleLogic", \
      "iOriginalID", "iEnabled"

// Velmora.Rules. The optional document of ExecuteDocumentTypeRuleSet is a DOMDocument object
// (for example from Velmora.XML's XmlStringToDomDocument) or nothing.
void RegisterRulesClasses(ClassRegistry& registry) {
  registry.Add("Velmora.Rules")
      .Bind("GetRuleType_SENDMETHODRULE", &Rules::GetRuleType_SENDMETHODRULE)
      .Bind("GetRuleType_DOCUMENTTYPERULE", &Rules::GetRuleType_DOCUMENTTYPERULE)
      .Bind("GetRuleType_SENDERIDRULE", &Rules::GetRuleType_SENDERIDRULE)
      .Bind("GetRuleType_RECIPIENTIDRULE", &Rules::GetRuleType_RECIPIENTIDRULE)
      .Bind("ExecuteSendMethodRuleSet", &Rules::ExecuteSendMethodRuleSet,
            {"iDocID", "iDocTypeID", "iBusinessPartnerID"})
      .Bind("ExecuteDocumentTypeRuleSet", &Rules::ExecuteDocumentTypeRuleSet,
            {"iDocID", "iBPID", Opt("iXMLDoc")})
      .Bind("AddRule", &Rules::AddRule, {VELMORA_RULE_ARGS})
      .Bind("UpdateRule", &Rules::UpdateRule, {"iRuleID", VELMORA_RULE_ARGS})
      .Bind("DeleteRule", &Rules::DeleteRule, {"iRuleID"})
      .Bind("AddRuleLine", &Rules::AddRuleLine,
            {"iRuleID", "iFieldType", "iSequenceNumber", "iTagAttrXsl", "iXslPattern", "iCondition",
             "iRuleLineValue"})
      .Bind("AddRuleLineEx", &Rules::AddRuleLineEx,
            {"iRuleID", "iFieldType", "iSequenceNumber", "iTagAttrXsl", "iXslPattern", "iCondition",
             "iTagAttrXslFixedText", "iRuleLineValue"})
      .Bind("DeleteRuleLines", &Rules::DeleteRuleLines, {"iRuleID"})
      .Bind("GetRuleDescription", &Rules::GetRuleDescription, {"i_lruleid"})
      .Bind("ExistRulesAttachedToSendMethods", &Rules::ExistRulesAttachedToSendMethods,
            {Opt("i_sDocumentTypeID", Variant("")), Opt("i_lBPID", Variant(0)),
             Opt("i_lSendMethodID", Variant(0))})
      .Bind("DateToXSLPatternString", &Rules::DateToXSLPatternString, {"i_vDate"})
      .Bind("XSLPatternStringToDate", &Rules::XSLPatternStringToDate, {"i_vDate"});
}

#undef VELMORA_RULE_ARGS

}  // namespace velmora::automation
