#include <memory>
#include <string>

#include "automation/registration.h"
#include "velmora/convert/edi.h"
#include "velmora/convert/obi.h"

namespace velmora::automation {
namespace {

// The default of an optional output: a caller who leaves the argument out has not passed it.
class OmittedArgument : public Object {
 public:
  std::string TypeName() const override { return "Missing"; }
};

const Variant& Omitted() {
  static const Variant omitted(ObjectRef(std::make_shared<OmittedArgument>()));
  return omitted;
}

// GetObiDocumentInfo for late-bound callers: the outputs are optional by-reference arguments,
// and only those passed are asked for.
class ObiAutomation {
 public:
  bool GetObiDocumentInfo(const std::shared_ptr<xml::Document>& oXmlDoc, const std::string& iXml,
                          Variant& oDocTypeID, Variant& oSenderBP, Variant& oSenderUser,
                          Variant& oReceiverBP, Variant& oReceiverUser) {
    Output type(oDocTypeID);
    Output sender_bp(oSenderBP);
    Output sender_user(oSenderUser);
    Output receiver_bp(oReceiverBP);
    Output receiver_user(oReceiverUser);
    const bool is_obi =
        OBI().GetObiDocumentInfo(oXmlDoc, iXml,
                                 {type.Target(), sender_bp.Target(), sender_user.Target(),
                                  receiver_bp.Target(), receiver_user.Target()});
    if (is_obi) {
      for (Output* output : {&type, &sender_bp, &sender_user, &receiver_bp, &receiver_user}) {
        output->WriteBack();
      }
    }
    return is_obi;
  }

 private:
  // One optional output: asked for when the argument was passed; the text written is copied
  // back into it.
  class Output {
   public:
    explicit Output(Variant& argument)
        : argument_(argument), passed_(!argument.As<OmittedArgument>()) {}
    std::string* Target() { return passed_ ? &value_ : nullptr; }
    void WriteBack() {
      if (passed_) {
        argument_ = Variant(value_);
      }
    }

   private:
    Variant& argument_;
    bool passed_;
    std::string value_;
  };
};

}  // namespace

// Velmora.OBI and Velmora.EDI with all their methods.
void RegisterConvertClasses(ClassRegistry& registry) {
  registry.Add("Velmora.OBI")
      .Bind("ConstructObiObject", &OBI::ConstructObiObject,
            {"ioVersion", "iLanguage", "iXml", "ioSignature", "oObiObject"})
      .Bind("DeconstructObiObject", &OBI::DeconstructObiObject,
            {"iObiObject", "oVersion", "oLanguage", "oXml", "oSignature"})
      .Bind("GetObiDocumentVersion", &OBI::GetObiDocumentVersion, {"oXmlDoc", "iXml"})
      .Bind("CheckObiVersionSupported", &OBI::CheckObiVersionSupported, {"iVersion", "iLanguage"})
      .Bind("IsObiDocument", &OBI::IsObiDocument, {"iDocTypeID"})
      .Bind("GetObiDocumentInfo", &ObiAutomation::GetObiDocumentInfo,
            {"oXmlDoc", "iXml", Opt("oDocTypeID", Omitted()), Opt("oSenderBP", Omitted()),
             Opt("oSenderUser", Omitted()), Opt("oReceiverBP", Omitted()),
             Opt("oReceiverUser", Omitted())})
      .Bind("XmlToDom", &OBI::XmlToDom, {"iXml"})
      .Bind("IsOBIEnabled", &OBI::IsOBIEnabled);
  registry.Add("Velmora.EDI")
      .Bind("Run", &EDI::Run)
      .Bind("filePresentViaFTP", &EDI::filePresentViaFTP,
            {"file", "folder", "server", "port", "user", "password"})
      .Bind("deleteFileViaFTP", &EDI::deleteFileViaFTP,
            {"file", "folder", "server", "port", "user", "password"})
      .Bind("checkEdiReferences", &EDI::checkEdiReferences,
            {"networkID", Opt("languageID", Variant(int32_t{1033}))});
}

}  // namespace velmora::automation
