#include "automation/registration.h"
#include "velmora/db/connection.h"
#include "velmora/support/attachments.h"
#include "velmora/support/user_defined_fields.h"

namespace velmora::automation {

// An optional open connection: the caller's Connection object, borrowed for the call (the
// argument keeps it alive); nothing, Empty and null mean none.
template <>
struct Converter<db::Connection*> {
  static db::Connection* From(const Variant& value) {
    if (value.IsEmpty() || value.IsNull() || value.IsNothing()) {
      return nullptr;
    }
    auto connection = value.As<db::Connection>();
    if (!connection) {
      throw Error(kErrTypeMismatch, "Velmora",
                  "Type mismatch: a connection is expected, not " + value.TypeName());
    }
    return connection.get();
  }
  // An in-parameter is never written back; the binding requires the conversion to exist.
  static Variant To(db::Connection* /*connection*/) { return Variant(); }
};

// Velmora.UserDefinedFields and Velmora.Attachments.
void RegisterFieldAndAttachmentClasses(ClassRegistry& registry) {
  registry.Add("Velmora.UserDefinedFields")
      .Bind("FillTagsValueTable", &UserDefinedFields::FillTagsValueTable,
            {"iDocID", "iDocTypeID", "iXmlDoc", Opt("iConn")})
      .Bind("UpdateValuesInTagsValueTable", &UserDefinedFields::UpdateValuesInTagsValueTable,
            {"iDocID", "iDocTypeID"})
      .Bind("DeleteTagsForDocument", &UserDefinedFields::DeleteTagsForDocument,
            {"iDocID", Opt("iConn")})
      .Bind("UpdateTagsValueTable", &UserDefinedFields::UpdateTagsValueTable,
            {"iDocTypeID", "iTagID"})
      .Bind("AddTagsValueTable", &UserDefinedFields::AddTagsValueTable,
            {"iDocTypeID", "iTagID", Opt("iConn")});
  registry.Add("Velmora.Attachments")
      .Bind("ExamenFolderForNewFilesAndWriteThemToDB",
            &Attachments::ExamenFolderForNewFilesAndWriteThemToDB,
            {"iDocID", "iPath", Opt("iConn")})
      .Bind("getDBFiles", &Attachments::getDBFiles, {"iDocID", Opt("iConn")})
      .Bind("GetDocumentAttachmentsBySenderRS", &Attachments::GetDocumentAttachmentsBySenderRS,
            {"iSender", "iDocID"})
      .Bind("GetDocumentAttachmentsRS", &Attachments::GetDocumentAttachmentsRS, {"iDocID"})
      .Bind("DeleteAttachment", &Attachments::DeleteAttachment,
            {"iDocID", "iAttachmentID", "iFileName", "iRootPath"})
      .Bind("GetAttachmentUrlAndFolder", &Attachments::GetAttachmentUrlAndFolder,
            {"oURL", "oFolder"});
}

}  // namespace velmora::automation
