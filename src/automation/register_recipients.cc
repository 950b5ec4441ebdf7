#include "automation/registration.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// Utility's recipient resolution and publication table (library velmora_recipients).
void RegisterRecipientResolution(ClassRegistry& registry) {
  registry.Add("Velmora.Utility")
      .Bind("GetRecipientsAndFillPublicationTable", &Utility::GetRecipientsAndFillPublicationTable,
            {Ref("iDocID"), OptRef("iDocTypeID", Variant("")), OptRef("iXML", Variant(""))})
      .Bind("FillPublicationTable", &Utility::FillPublicationTable,
            {Ref("iDocID"), Ref("iDocTypeID"), OptRef("iBPID", Variant(int32_t{0})),
             OptRef("iUserID", Variant(""))})
      .Bind("ExecuteXslPatternAndFillPublicationTable",
            &Utility::ExecuteXslPatternAndFillPublicationTable,
            {Ref("iDocID"), Ref("iDocTypeID"), Ref("oXmlDoc"), Ref("sXslPattern")})
      .Bind("RemoveAllRoutingInfoFromDocument", &Utility::RemoveAllRoutingInfoFromDocument,
            {Ref("iDocID"), Ref("oXmlDoc")})
      .Bind("ClearTagsAndWriteDocToDB", &Utility::ClearTagsAndWriteDocToDB,
            {Ref("iDocID"), Ref("oXmlDoc"), Ref("sXslPattern")})
      .Bind("GetDefaultReceiver", &Utility::GetDefaultReceiver, {Ref("sXML")})
      .Bind("GetDocType", &Utility::GetDocType, {Ref("sXML"), OptRef("iBPID", Variant(int32_t{0}))})
      .Bind(
          "GetRecipientsFromPublicationTableByUsers",
          &Utility::GetRecipientsFromPublicationTableByUsers,
          {Ref("iDocID"), Ref("iDocTypeID"), OptRef("iEmail", Variant(false)), OptRef("vUserIDs")})
      .Bind("GetToRecipientList", &Utility::GetToRecipientList, {"iDocID", "iDocTypeID"})
      .Bind("GetPublicationStatus", &Utility::GetPublicationStatus, {Ref("iDocID"), Ref("iUserID")})
      .Bind("GetForwardFlag", &Utility::GetForwardFlag, {Ref("iDocID"), Ref("iUserID")})
      .Bind("ConvertPublicationStatusFromStringToEnum",
            &Utility::ConvertPublicationStatusFromStringToEnum, {Ref("sStatus")})
      .Bind("CheckPublicationErrors", &Utility::CheckPublicationErrors, {"iDocID"})
      .Bind("CheckSentLog", &Utility::CheckSentLog,
            {"iDocTypeID", "iSender", "iBPID", Opt("iDocID", Variant(int32_t{0}))})
      .Bind("DocTypeFoundInTable", &Utility::DocTypeFoundInTable, {Ref("iDocTypeID")})
      .Bind("GetDocumentTypeDescription", &Utility::GetDocumentTypeDescription,
            {Ref("iDocTypeID")});
}

}  // namespace velmora::automation
