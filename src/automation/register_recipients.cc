#include "automation/registration.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// Utility's recipient resolution and publication table (library velmora_recipients).
void RegisterRecipientResolution(ClassRegistry& registry) {
  registry.Add("Velmora.Utility")
      .Bind("GetRecipientsAndFillPublicationTable", &Utility::GetRecipientsAndFillPublicationTable,
            {"iDocID", Opt("iDocTypeID", Variant("")), Opt("iXML", Variant(""))})
      .Bind(
          "FillPublicationTable", &Utility::FillPublicationTable,
          {"iDocID", "iDocTypeID", Opt("iBPID", Variant(int32_t{0})), Opt("iUserID", Variant(""))})
      .Bind("ExecuteXslPatternAndFillPublicationTable",
            &Utility::ExecuteXslPatternAndFillPublicationTable,
            {"iDocID", "iDocTypeID", "oXmlDoc", "sXslPattern"})
      .Bind("RemoveAllRoutingInfoFromDocument", &Utility::RemoveAllRoutingInfoFromDocument,
            {"iDocID", "oXmlDoc"})
      .Bind("ClearTagsAndWriteDocToDB", &Utility::ClearTagsAndWriteDocToDB,
            {"iDocID", "oXmlDoc", "sXslPattern"})
      .Bind("GetDefaultReceiver", &Utility::GetDefaultReceiver, {"sXML"})
      .Bind("GetDocType", &Utility::GetDocType, {"sXML", Opt("iBPID", Variant(int32_t{0}))})
      .Bind("GetRecipientsFromPublicationTableByUsers",
            &Utility::GetRecipientsFromPublicationTableByUsers,
            {"iDocID", "iDocTypeID", Opt("iEmail", Variant(false)), Opt("vUserIDs")})
      .Bind("GetToRecipientList", &Utility::GetToRecipientList, {"iDocID", "iDocTypeID"})
      .Bind("GetPublicationStatus", &Utility::GetPublicationStatus, {"iDocID", "iUserID"})
      .Bind("GetForwardFlag", &Utility::GetForwardFlag, {"iDocID", "iUserID"})
      .Bind("ConvertPublicationStatusFromStringToEnum",
            &Utility::ConvertPublicationStatusFromStringToEnum, {"sStatus"})
      .Bind("CheckPublicationErrors", &Utility::CheckPublicationErrors, {"iDocID"})
      .Bind("CheckSentLog", &Utility::CheckSentLog,
            {"iDocTypeID", "iSender", "iBPID", Opt("iDocID", Variant(int32_t{0}))})
      .Bind("DocTypeFoundInTable", &Utility::DocTypeFoundInTable, {"iDocTypeID"})
      .Bind("GetDocumentTypeDescription", &Utility::GetDocumentTypeDescription, {"iDocTypeID"});
}

}  // namespace velmora::automation
