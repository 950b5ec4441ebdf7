#pragma once

// The plug-in interface of Velmora: what a customer's shared library implements so that the
// library can hand it documents (send methods of protocol MethodCall, plug-in rules). This
// header is self-contained: a plug-in compiles against it alone, with the C++ standard library
// the host was built with, and does not link Velmora.
//
// A plug-in library exports
//   - velmora_plugin_abi(): the kAbiVersion it was compiled with (VELMORA_PLUGIN_ABI());
//   - one factory per component, named in config/components.xml of the installation
//     (VELMORA_PLUGIN_FACTORY(symbol, Class)).
// The host calls a component only through the Host* members of Component, which run inside
// the plug-in, catch every exception and return it as a Status: no exception crosses into the
// host. A plug-in reports a failure by throwing Failure (an error number and a description);
// any other exception becomes kDefaultErrorNumber with its what() text.

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora::plugin {

// Raised by every change of the classes below; the host refuses a library built for another.
inline constexpr int32_t kAbiVersion = 1;

// The number of a failure that is not a Failure (a standard exception or anything else).
inline constexpr int32_t kDefaultErrorNumber = 51;

// A workbook of the host, handed to a plug-in by reference. Its operations belong to the
// host; a plug-in keeps the pointer only for the duration of the call that received it.
class WorkBook {
 public:
  virtual ~WorkBook() = default;
  // The text of the cell at `row`, `column` (1-based) of sheet `sheet` (1-based, in workbook
  // order) into `text`; false when the host cannot read it. Never throws.
  virtual bool ReadCellText(int32_t /*sheet*/, int32_t /*row*/, int32_t /*column*/,
                            std::string& /*text*/) noexcept {
    return false;
  }
  // Enters `text` into that cell as a user types it ("=..." a formula, a number text a
  // number); false when the host cannot write it. Never throws.
  virtual bool WriteCellText(int32_t /*sheet*/, int32_t /*row*/, int32_t /*column*/,
                             const std::string& /*text*/) noexcept {
    return false;
  }
};

// The argument of a call: the document text, a number, a boolean, null, an array of values
// (the rules engine passes an array of texts) or a workbook. Passed by reference: what the
// plug-in leaves in it goes back to the caller.
class Value {
 public:
  enum class Kind : int32_t { kEmpty, kNull, kBoolean, kNumber, kText, kArray, kWorkBook };

  Value() = default;
  Value(bool value) : kind_(Kind::kBoolean), boolean_(value) {}
  Value(int32_t value) : kind_(Kind::kNumber), number_(value) {}
  Value(double value) : kind_(Kind::kNumber), number_(value) {}
  Value(std::string value) : kind_(Kind::kText), text_(std::move(value)) {}
  Value(const char* value) : kind_(Kind::kText), text_(value) {}
  Value(std::vector<Value> items) : kind_(Kind::kArray), items_(std::move(items)) {}
  Value(WorkBook* workbook) : kind_(Kind::kWorkBook), workbook_(workbook) {}
  static Value Null() {
    Value value;
    value.kind_ = Kind::kNull;
    return value;
  }

  Kind kind() const { return kind_; }
  // The content of the kind held; the other accessors answer false, 0, "", no items or null.
  bool boolean() const { return boolean_; }
  double number() const { return number_; }
  const std::string& text() const { return text_; }
  const std::vector<Value>& items() const { return items_; }
  std::vector<Value>& items() { return items_; }
  WorkBook* workbook() const { return workbook_; }

 private:
  Kind kind_ = Kind::kEmpty;
  bool boolean_ = false;
  double number_ = 0;
  std::string text_;
  std::vector<Value> items_;
  WorkBook* workbook_ = nullptr;
};

// What a plug-in throws to fail a call; the host raises it as an error with this number and
// description.
class Failure : public std::exception {
 public:
  Failure(int32_t number, std::string description)
      : number_(number), description_(std::move(description)) {}
  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
};

// The outcome of a call across the boundary: number 0 is success.
struct Status {
  int32_t number = 0;
  std::string description;
  bool ok() const { return number == 0; }
};

// Runs `body`, turning any exception into a Status (a Failure of number 0 counts as
// kDefaultErrorNumber).
template <class Body>
Status Guard(Body&& body) noexcept {
  try {
    body();
    return Status{};
  } catch (const Failure& failure) {
    return Status{failure.number() == 0 ? kDefaultErrorNumber : failure.number(),
                  failure.description()};
  } catch (const std::exception& failure) {
    return Status{kDefaultErrorNumber, failure.what()};
  } catch (...) {
    return Status{kDefaultErrorNumber, "The plug-in raised an unknown exception"};
  }
}

// Older plug-ins: operations in slot order.
class IMethodCall {
 public:
  virtual ~IMethodCall() = default;
  // Receives the document text (or the argument array of a rule).
  virtual bool MethodCall(Value& i_vDocumentData) = 0;
  // Receives a workbook; the plug-in may set the reference to another workbook of the host.
  virtual bool GetExcelWorkBook(WorkBook*& i_oExcelWorkBook) = 0;
};

// Current plug-ins: operations in slot order; the host calls Process() last.
class IMethodCall24 {
 public:
  virtual ~IMethodCall24() = default;
  virtual void setBusinessPartnerID(int32_t i_lBPID) = 0;
  virtual void setDocumentID(int32_t i_lDocID) = 0;
  // Full paths of the document's attachment files.
  virtual void setDocumentAttachments(std::vector<std::string>& i_asAttachments) = 0;
  virtual void setDocumentXML(const std::string& i_sDocumentData) = 0;
  virtual void setExcelWorkBook(WorkBook* i_oExcelWorkBook) = 0;
  virtual void Process() = 0;
};

// The object a factory returns. A plug-in class derives from Component and from IMethodCall,
// IMethodCall24 or both, and may add methods called by name (AddMethod). The members
// "IMethodCall_MethodCall" and "IMethodCall_GetExcelWorkBook" answer by name for a class that
// implements IMethodCall, unless the class adds methods of those names itself.
class Component {
 public:
  enum class Interface : int32_t { kMethodCall = 1, kMethodCall24 = 2 };
  // A method called by name: one argument by reference, one answer.
  using Method = std::function<Value(Value& argument)>;

  virtual ~Component() = default;

  // ---- The boundary: called by the host, compiled into the plug-in, never throwing. ----
  virtual bool HostImplements(Interface which) const noexcept final {
    return which == Interface::kMethodCall ? dynamic_cast<const IMethodCall*>(this) != nullptr
                                           : dynamic_cast<const IMethodCall24*>(this) != nullptr;
  }
  virtual Status HostMethodCall(Value& data, bool& answer) noexcept final {
    return Guard([&] { answer = Need<IMethodCall>().MethodCall(data); });
  }
  virtual Status HostGetExcelWorkBook(WorkBook*& workbook, bool& answer) noexcept final {
    return Guard([&] { answer = Need<IMethodCall>().GetExcelWorkBook(workbook); });
  }
  virtual Status HostSetBusinessPartnerID(int32_t id) noexcept final {
    return Guard([&] { Need<IMethodCall24>().setBusinessPartnerID(id); });
  }
  virtual Status HostSetDocumentID(int32_t id) noexcept final {
    return Guard([&] { Need<IMethodCall24>().setDocumentID(id); });
  }
  virtual Status HostSetDocumentAttachments(std::vector<std::string>& paths) noexcept final {
    return Guard([&] { Need<IMethodCall24>().setDocumentAttachments(paths); });
  }
  virtual Status HostSetDocumentXML(const std::string& data) noexcept final {
    return Guard([&] { Need<IMethodCall24>().setDocumentXML(data); });
  }
  virtual Status HostSetExcelWorkBook(WorkBook* workbook) noexcept final {
    return Guard([&] { Need<IMethodCall24>().setExcelWorkBook(workbook); });
  }
  virtual Status HostProcess() noexcept final {
    return Guard([&] { Need<IMethodCall24>().Process(); });
  }
  // Whether `name` (ASCII case ignored) can be called by HostInvoke.
  virtual bool HostHasMethod(const std::string& name) const noexcept final {
    return FindMethod(name) != nullptr || BuiltIn(name) != 0;
  }
  // Calls the method `name` with `argument`; its answer goes to `answer`.
  virtual Status HostInvoke(const std::string& name, Value& argument,
                            Value& answer) noexcept final {
    return Guard([&] {
      if (const Method* method = FindMethod(name)) {
        answer = (*method)(argument);
      } else if (BuiltIn(name) == 1) {
        answer = Need<IMethodCall>().MethodCall(argument);
      } else if (BuiltIn(name) == 2) {
        WorkBook* workbook = argument.workbook();
        answer = Need<IMethodCall>().GetExcelWorkBook(workbook);
        argument = Value(workbook);
      } else {
        throw Failure(438, "Object doesn't support this property or method: " + name);
      }
    });
  }

 protected:
  // Makes `body` callable by the name `name` (ASCII case ignored; a later one replaces an
  // earlier one of the same name).
  void AddMethod(const std::string& name, Method body) { methods_[Folded(name)] = std::move(body); }

 private:
  static std::string Folded(std::string name) {
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c - 'A' + 'a');
      }
    }
    return name;
  }
  const Method* FindMethod(const std::string& name) const {
    const auto found = methods_.find(Folded(name));
    return found == methods_.end() ? nullptr : &found->second;
  }
  // 1 for "IMethodCall_MethodCall", 2 for "IMethodCall_GetExcelWorkBook" when this component
  // implements IMethodCall; 0 otherwise.
  int BuiltIn(const std::string& name) const {
    if (!HostImplements(Interface::kMethodCall)) {
      return 0;
    }
    const std::string folded = Folded(name);
    return folded == "imethodcall_methodcall"         ? 1
           : folded == "imethodcall_getexcelworkbook" ? 2
                                                      : 0;
  }
  template <class I>
  I& Need() {
    auto* implemented = dynamic_cast<I*>(this);
    if (implemented == nullptr) {
      throw Failure(438, "The component does not implement this interface");
    }
    return *implemented;
  }

  std::map<std::string, Method> methods_;
};

// The signatures of the exported entries.
using AbiFunction = int32_t (*)();
using FactoryFunction = Component* (*)(Status* failure);

}  // namespace velmora::plugin

// The name of the exported ABI entry.
#define VELMORA_PLUGIN_ABI_SYMBOL "velmora_plugin_abi"

// Exports velmora_plugin_abi(); write it once in one source file of the library.
#define VELMORA_PLUGIN_ABI()                                                       \
  extern "C" __attribute__((visibility("default"))) int32_t velmora_plugin_abi() { \
    return ::velmora::plugin::kAbiVersion;                                         \
  }

// Exports the factory `symbol` creating a new `Class` (default-constructible, derived from
// Component). A constructor that throws gives a null object and the failure in `*failure`.
// The host owns the object it receives and deletes it through the virtual destructor.
#define VELMORA_PLUGIN_FACTORY(symbol, Class)                                             \
  extern "C" __attribute__((visibility("default"))) ::velmora::plugin::Component* symbol( \
      ::velmora::plugin::Status* failure) {                                               \
    ::velmora::plugin::Component* created = nullptr;                                      \
    ::velmora::plugin::Status status =                                                    \
        ::velmora::plugin::Guard([&] { created = std::make_unique<Class>().release(); }); \
    if (failure != nullptr) {                                                             \
      *failure = std::move(status);                                                       \
    }                                                                                     \
    return created;                                                                       \
  }
