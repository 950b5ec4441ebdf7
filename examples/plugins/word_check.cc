// A sample Velmora plug-in: the component "Sample.WordCheck" implements both plug-in
// interfaces and the named method ContainsWord; a workbook it receives is marked as checked.
// It compiles against velmora/plugin/method_call.h alone.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "velmora/plugin/method_call.h"

namespace {

using velmora::plugin::Failure;
using velmora::plugin::Value;
using velmora::plugin::WorkBook;

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

class WordCheck : public velmora::plugin::Component,
                  public velmora::plugin::IMethodCall,
                  public velmora::plugin::IMethodCall24 {
 public:
  WordCheck() {
    AddMethod("ContainsWord", [](Value& argument) { return Value(ContainsWord(argument)); });
  }

  // IMethodCall: accepts a document that is a text that is not empty, and answers false for
  // anything else. The document is not changed.
  bool MethodCall(Value& i_vDocumentData) override {
    return i_vDocumentData.kind() == Value::Kind::kText && !i_vDocumentData.text().empty();
  }
  // Marks the workbook as checked (see MarkChecked) and keeps the caller's reference; false
  // for no workbook or one the host does not let it read and write.
  bool GetExcelWorkBook(WorkBook*& i_oExcelWorkBook) override {
    return i_oExcelWorkBook != nullptr && MarkChecked(*i_oExcelWorkBook);
  }

  // IMethodCall24: collects what the host sets; Process() appends one line to the file named
  // by $VELMORA_SAMPLE_PLUGIN_LOG (when set).
  void setBusinessPartnerID(int32_t i_lBPID) override { partner_ = i_lBPID; }
  void setDocumentID(int32_t i_lDocID) override { document_ = i_lDocID; }
  void setDocumentAttachments(std::vector<std::string>& i_asAttachments) override {
    attachments_ = i_asAttachments;
  }
  void setDocumentXML(const std::string& i_sDocumentData) override { xml_ = i_sDocumentData; }
  void setExcelWorkBook(WorkBook* i_oExcelWorkBook) override { workbook_ = i_oExcelWorkBook; }
  void Process() override {
    if (xml_.empty() && workbook_ == nullptr) {
      throw Failure(1001, "Sample.WordCheck: Process without a document");
    }
    if (workbook_ != nullptr && !MarkChecked(*workbook_)) {
      throw Failure(1003, "Sample.WordCheck: the workbook cannot be marked");
    }
    const char* log = std::getenv("VELMORA_SAMPLE_PLUGIN_LOG");
    if (log == nullptr) {
      return;
    }
    std::ofstream out(log, std::ios::app);
    out << "partner=" << partner_ << " document=" << document_
        << " attachments=" << attachments_.size() << " xml=" << xml_.size() << "\n";
    if (!out) {
      throw Failure(1002, std::string("Sample.WordCheck: cannot write ") + log);
    }
  }

 private:
  // Writes "checked: " + the text of cell A1 of the first sheet into its cell B1.
  static bool MarkChecked(WorkBook& workbook) {
    std::string first;
    return workbook.ReadCellText(1, 1, 1, first) &&
           workbook.WriteCellText(1, 1, 2, "checked: " + first);
  }

  // The argument is an array of texts, as a plug-in rule passes the values its lines select:
  // true when the first text holds the second, ASCII case ignored.
  static bool ContainsWord(const Value& argument) {
    const std::vector<Value>& items = argument.items();
    if (argument.kind() != Value::Kind::kArray || items.size() != 2 ||
        items[0].kind() != Value::Kind::kText || items[1].kind() != Value::Kind::kText) {
      throw Failure(13, "ContainsWord takes an array of two texts: the text and the word");
    }
    return Lower(items[0].text()).find(Lower(items[1].text())) != std::string::npos;
  }

  int32_t partner_ = 0;
  int32_t document_ = 0;
  std::vector<std::string> attachments_;
  std::string xml_;
  WorkBook* workbook_ = nullptr;
};

}  // namespace

VELMORA_PLUGIN_ABI()
VELMORA_PLUGIN_FACTORY(sample_create_word_check, WordCheck)
