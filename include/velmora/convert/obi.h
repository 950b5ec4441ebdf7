#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/xml/document.h"

namespace velmora {

// The content language of an OBI object.
enum class EObiLanguage : int32_t { X12 = 1, Edifact = 2, XML = 3 };

// Where GetObiDocumentInfo writes its answers; a null pointer is an output not asked for.
struct ObiDocumentInfoOutputs {
  std::string* oDocTypeID = nullptr;
  std::string* oSenderBP = nullptr;
  std::string* oSenderUser = nullptr;
  std::string* oReceiverBP = nullptr;
  std::string* oReceiverUser = nullptr;
};

// Velmora.OBI: order documents of the OBI convention and the OBI objects that carry them.
//
// An OBI object is Base64 text (see Base64) of this byte layout, lengths big-endian unsigned
// 32-bit: version major, version minor, 0, language code (0 X12, 1 EDIFACT, 2 XML), content
// length n, n content bytes (the document text as Windows-1252, or UTF-16LE when it has
// characters outside that code page), signature length m, m signature bytes. Bytes after the
// signature are ignored.
//
// An OBI document is an XML document whose root element name, the document type, begins with
// "OBI" (any case, after blanks). Its sender and receiver partner names are the texts of
// Envelope/Sender/PartnerName and Envelope/Receiver/PartnerName under the root; its version is
// the root's "version" attribute ("3.0": major 3, minor 0).
//
// OBI handling is switched off: IsOBIEnabled is false, and callers refuse OBI documents.
// Stateless; safe to use from several threads.
//
// Failures: the errors named below are raised as they are, with source "Velmora.OBI.<step>";
// any other failure is reported under "Velmora.OBI.<method>" and raised. Objects that are too
// short, truncated, claim more bytes than they hold or name another language never read past
// their data.
class OBI {
 public:
  // `oObiObject` = the OBI object of `iXml` (trimmed of blanks) and `ioSignature`, with the
  // version bytes `ioVersion` (missing bytes count as 0) and language `iLanguage`. Raises as
  // CheckObiVersionSupported; InvalidObiObject with label "ZODAR4504" (source
  // "Velmora.OBI.CheckObiObjectContainsValidXml") when `iXml` is not well-formed; and
  // InvalidObiObject with label "ZODAR4507" ("Velmora.OBI.LongToByteArray") for a content or
  // signature too long for a length field. `ioVersion` and `ioSignature` are not changed.
  void ConstructObiObject(Bytes& ioVersion, EObiLanguage iLanguage, const std::string& iXml,
                          Bytes& ioSignature, std::string& oObiObject);
  // Unpacks `iObiObject`. The outputs are cleared first (version 0 0, language 0, "", no
  // signature) and filled only when the whole object is valid. Raises InvalidObiObject, source
  // "Velmora.OBI.DeconstructObiObject", with label "ZODAR4503" for text that is not Base64 or
  // decodes to fewer than 16 bytes, "ZODAR4501" for a language code other than 0, 1, 2, and
  // "ZODAR4502" for a length that runs past the end of the data; XML content that is not
  // well-formed raises as ConstructObiObject. Content whose second byte is 0 is read as
  // UTF-16LE (Windows-1252 XML text never holds that character), otherwise as Windows-1252.
  void DeconstructObiObject(const std::string& iObiObject, Bytes& oVersion, EObiLanguage& oLanguage,
                            std::string& oXml, Bytes& oSignature);
  // The two version bytes of the document `oXmlDoc`, or of `iXml` (parsed as XmlToDom) when
  // `oXmlDoc` is nothing: the first and third characters of the root's "version" attribute as
  // digits; a missing character, or one that is not a digit, gives 0.
  Bytes GetObiDocumentVersion(const std::shared_ptr<xml::Document>& oXmlDoc,
                              const std::string& iXml);
  // Raises InvalidObiVersion with label "ZODAR4500" when the major version (the first byte; 0
  // when there is none) is not 3, then InvalidObiLanguage with label "ZODAR4501" when
  // `iLanguage` is not XML; source "Velmora.OBI.CheckObiVersionSupported".
  void CheckObiVersionSupported(const Bytes& iVersion, EObiLanguage iLanguage);
  // Whether `iDocTypeID`, without leading and trailing blanks, begins with "OBI" in any case.
  bool IsObiDocument(const std::string& iDocTypeID);
  // Whether the root element of `oXmlDoc` (or of `iXml` parsed as XmlToDom when `oXmlDoc` is
  // nothing) names an OBI document type. Only for an OBI document are the outputs asked for
  // written: the document type, the sender partner name into oSenderBP and oSenderUser, the
  // receiver partner name into oReceiverBP and oReceiverUser; a partner name is looked up only
  // when one of its two outputs is asked for. Outputs of other documents are left unchanged.
  bool GetObiDocumentInfo(const std::shared_ptr<xml::Document>& oXmlDoc, const std::string& iXml,
                          const ObiDocumentInfoOutputs& outputs = {});
  // A new document holding `iXml`. Text that is not well-formed raises ProcessDocumentError,
  // source "Velmora.OBI.XmlToDom", described in four lines joined by "\r\n": label
  // "ZODAR1839", "ZODAR1843" with the parser's reason, "ZODAR1840" with the line and
  // "ZODAR1841" with the position in the line.
  std::shared_ptr<xml::Document> XmlToDom(const std::string& iXml);
  // Always false: OBI documents are not accepted.
  bool IsOBIEnabled();
};

}  // namespace velmora
