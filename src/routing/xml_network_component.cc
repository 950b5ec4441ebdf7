// "D2ORiro.XML": Velmora.XML behind a late-bound interface, for network paths.
#include "routing/xml_network_component.h"

#include <string>
#include <vector>

#include "core/components.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/routing/xml.h"

namespace velmora::routing {
namespace {

constexpr const char* kSource = "D2ORiro.XML";

class NetworkXml : public core::Dispatch {
 public:
  std::string TypeName() const override { return kSource; }

  bool HasMethod(const std::string& method) const override {
    for (const char* name :
         {"XmlStringToDomDocument", "XmlFileToDomDocument", "XslFileToDomDocument",
          "ApplyXslStyleSheetToXmlString", "ApplyXslStyleSheetToXmlDomDocument"}) {
      if (text::IEquals(method, name)) {
        return true;
      }
    }
    return false;
  }

  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    XML xml;
    if (text::IEquals(method, "XmlStringToDomDocument")) {
      Expect(method, args, 1);
      return Variant(ObjectRef(xml.XmlStringToDomDocument(args[0].ToText())));
    }
    if (text::IEquals(method, "XmlFileToDomDocument")) {
      Expect(method, args, 1);
      return Variant(ObjectRef(xml.XmlFileToDomDocument(args[0].ToText())));
    }
    if (text::IEquals(method, "XslFileToDomDocument")) {
      Expect(method, args, 1);
      return Variant(ObjectRef(xml.XslFileToDomDocument(args[0].ToText())));
    }
    if (text::IEquals(method, "ApplyXslStyleSheetToXmlString")) {
      Expect(method, args, 2);
      return Variant(xml.ApplyXslStyleSheetToXmlString(args[0].ToText(), args[1].ToText()));
    }
    if (text::IEquals(method, "ApplyXslStyleSheetToXmlDomDocument")) {
      Expect(method, args, 2);
      std::shared_ptr<xml::Document> document = args[0].As<xml::Document>();
      return Variant(xml.ApplyXslStyleSheetToXmlDomDocument(document, args[1]));
    }
    throw Error(kErrUnknownMethod, kSource,
                "Object doesn't support this property or method: " + method);
  }

 private:
  static void Expect(const std::string& method, const std::vector<Variant>& args, size_t count) {
    if (args.size() != count) {
      throw Error(kErrWrongArgumentCount, kSource,
                  "Wrong number of arguments: " + method + " takes " + std::to_string(count));
    }
  }
};

}  // namespace

std::shared_ptr<core::Dispatch> NewNetworkXmlComponent() { return std::make_shared<NetworkXml>(); }

void RegisterNetworkXmlComponent() {
  core::ComponentRegistry::Global().Register(kNetworkXmlProgId,
                                             [] { return NewNetworkXmlComponent(); });
}

}  // namespace velmora::routing
