#include "automation/registration.h"
#include "velmora/routing/utility.h"
#include "velmora/routing/xml.h"

namespace velmora::automation {

// Velmora.XML, and the XML and XSL services of Velmora.Utility.
void RegisterXmlClasses(ClassRegistry& registry) {
  registry.Add("Velmora.XML")
      .Bind("XmlStringToDomDocument", &XML::XmlStringToDomDocument, {"i_sXml"})
      .Bind("XmlFileToDomDocument", &XML::XmlFileToDomDocument, {"i_sXmlFile"})
      .Bind("XslFileToDomDocument", &XML::XslFileToDomDocument, {"i_sXslFile"})
      .Bind("ApplyXslStyleSheetToXmlString", &XML::ApplyXslStyleSheetToXmlString,
            {"i_sXml", "i_sXslFile"})
      .Bind("ApplyXslStyleSheetToXmlDomDocument", &XML::ApplyXslStyleSheetToXmlDomDocument,
            {"io_oXmlDoc", "io_vXslFile"});
  registry.Add("Velmora.Utility")
      .Bind("transformXMLStringToHTML", &Utility::transformXMLStringToHTML, {"sXML", "sXSLPath"})
      .Bind("transformXMLToHTMLCommon", &Utility::transformXMLToHTMLCommon, {"oXmlDoc", "sXSLPath"})
      .Bind("GetTransformXSLPath", &Utility::GetTransformXSLPath)
      .Bind("getXSL", &Utility::getXSL, {"i_sDocTypeID"})
      .Bind("GetHtmlAttachmentXsl", &Utility::GetHtmlAttachmentXsl, {"sDocTypeID"})
      .Bind("ConstructXslPattern", &Utility::ConstructXslPattern, {"eTagAttrXsl", "sXslPattern"})
      .Bind("CheckXslPattern", &Utility::CheckXslPattern, {Ref("sXslPattern"), "eTagAttrXsl"})
      .Bind("ExecuteXSLPattern", &Utility::ExecuteXSLPattern, {"oXmlDoc", "sXslPattern"})
      .Bind("ExecuteXSLPatternReturnAllNodes", &Utility::ExecuteXSLPatternReturnAllNodes,
            {"oXmlDoc", "sXslPattern"})
      .Bind("WriteXMLFileToDisk", &Utility::WriteXMLFileToDisk,
            {"sXML", OptRef("sFileName", Variant(""))})
      .Bind("WriteXMLFileToDiskAsciiOrUnicode", &Utility::WriteXMLFileToDiskAsciiOrUnicode,
            {"sXML", OptRef("sFileName", Variant("")), Opt("bUnicode", Variant(true))})
      .Bind("DeleteXMLFileFromDisk", &Utility::DeleteXMLFileFromDisk, {"sFileName"})
      .Bind("urlDecode", &Utility::urlDecode, {Ref("sText")})
      .Bind("HTMLDecode", &Utility::HTMLDecode, {"vText"})
      .Bind("Formats", &Utility::Formats, {"vValue", "vFormat"});
}

}  // namespace velmora::automation
