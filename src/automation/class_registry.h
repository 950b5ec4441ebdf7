#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "automation/convert.h"
#include "core/dispatch.h"
#include "velmora/base/text.h"

// The automation layer: every public class by its ProgID, with a table of its methods (name,
// parameters in order with their kinds, and an invoker that converts variant arguments to the
// C++ types and writes by-reference arguments back). This is what `velmora call`, the HTTP
// service and late-bound callers reach.
namespace velmora::automation {

enum class ParamKind { kIn, kByRef };

struct Param {
  std::string name;
  ParamKind kind = ParamKind::kIn;
  bool optional = false;
  Variant default_value;
};

// A parameter as a registration names it: `{"i_lDocID"}`, optional `Opt("iLang", 0)`,
// by reference `Ref("iDocID")` and both `OptRef("iDocTypeID", "")`. A by-reference parameter
// is written back to the caller after the call: what the method wrote into it, or for an input
// the C++ method takes by value or const reference, the argument as the method received it.
struct ParamSpec {
  ParamSpec(const char* param_name) : name(param_name) {}
  ParamSpec(std::string param_name, bool is_optional, Variant default_to, bool is_by_ref = false)
      : name(std::move(param_name)),
        optional(is_optional),
        by_ref(is_by_ref),
        default_value(std::move(default_to)) {}
  std::string name;
  bool optional = false;
  bool by_ref = false;
  Variant default_value;
};
inline ParamSpec Opt(std::string name, Variant default_value = Variant()) {
  return ParamSpec(std::move(name), true, std::move(default_value));
}
inline ParamSpec Ref(std::string name) {
  return ParamSpec(std::move(name), false, Variant(), true);
}
inline ParamSpec OptRef(std::string name, Variant default_value = Variant()) {
  return ParamSpec(std::move(name), true, std::move(default_value), true);
}

// Calls one method with arguments already matched to its parameters (optional ones filled
// with their defaults); writes by-reference arguments back into `args`.
using Invoker = std::function<Variant(std::vector<Variant>& args)>;

struct Method {
  std::string name;
  std::vector<Param> params;
  Invoker invoke;
};

class ClassInfo {
 public:
  explicit ClassInfo(std::string progid) : progid_(std::move(progid)) {}

  const std::string& progid() const { return progid_; }
  // Methods compare without regard to ASCII case, as script callers name them.
  const Method* Find(const std::string& name) const;
  const std::vector<Method>& methods() const { return methods_; }

  // Binds a member function of a default-constructible class; one ParamSpec per parameter.
  // Parameters marked Ref, and parameters declared as non-const lvalue references, are
  // by-reference parameters.
  template <class C, class R, class... A>
  ClassInfo& Bind(const std::string& name, R (C::*function)(A...),
                  std::vector<ParamSpec> param_specs = {});

  // Adds each of `operations` (methods already bound) again under the name an interface
  // publishes it by, "<interface_name>_<operation>". Raises kErrUnknownMethod for an operation
  // not bound.
  ClassInfo& Implements(const std::string& interface_name,
                        const std::vector<std::string>& operations);

 private:
  void Add(Method method);

  std::string progid_;
  std::vector<Method> methods_;
};

namespace detail {

// How one parameter type travels: values are held in `Storage` while the method runs and
// passed as the parameter; by-reference values are written back. An object parameter taken by
// reference (db::Recordset&, xml::Document&) is held as a shared reference to the object the
// argument converted to; a non-const one is by reference: that object, as the method left it,
// goes back to the caller. A by-reference argument that arrives as null or empty starts from
// its type's default.
template <class A, class Enable = void>
struct ArgTraits {
  using Storage = std::remove_cv_t<std::remove_reference_t<A>>;
  static constexpr bool kWriteBack =
      std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>;
  static Storage From(const Variant& value, bool by_ref) {
    if (by_ref && (value.IsNull() || value.IsEmpty())) {
      return Storage{};
    }
    return Converter<Storage>::From(value);
  }
  static Storage& Pass(Storage& stored) { return stored; }
  static Variant Back(const Storage& stored) { return Converter<Storage>::To(stored); }
};

template <class A>
struct ArgTraits<A, std::enable_if_t<std::is_lvalue_reference_v<A> &&
                                     std::is_base_of_v<Object, std::remove_cvref_t<A>>>> {
  using Object = std::remove_cvref_t<A>;
  using Storage = std::shared_ptr<Object>;
  static constexpr bool kWriteBack = !std::is_const_v<std::remove_reference_t<A>>;
  static Storage From(const Variant& value, bool) { return RequiredObject<Object>(value); }
  static Object& Pass(Storage& stored) { return *stored; }
  static Variant Back(const Storage& stored) { return Variant(ObjectRef(stored)); }
};

template <class A>
constexpr bool kIsByRef = ArgTraits<A>::kWriteBack;

// Converts argument `index`; a failure names the argument. A by-reference argument that
// arrives as null or empty (a caller's placeholder for an output) starts from its type's
// default.
template <class A>
typename ArgTraits<A>::Storage ConvertArgument(const std::vector<Variant>& args, size_t index,
                                               const std::string& name, bool by_ref,
                                               const std::string& path) {
  try {
    return ArgTraits<A>::From(args[index], by_ref);
  } catch (const Error& failure) {
    throw Error(failure.number(), path,
                "Argument " + std::to_string(index + 1) + " (" + name +
                    ") cannot be converted: " + failure.description());
  }
}

template <class C, class R, class... A, size_t... I>
Variant CallBound(R (C::*function)(A...), std::vector<Variant>& args,
                  const std::vector<std::string>& names, const std::vector<bool>& by_ref,
                  const std::string& path, std::index_sequence<I...>) {
  std::tuple<typename ArgTraits<A>::Storage...> values{
      ConvertArgument<A>(args, I, names[I], by_ref[I], path)...};
  // By-reference arguments go back to the caller also when the method raises, as a script
  // caller sees what a method wrote before it failed.
  const auto write_back = [&] {
    ((by_ref[I] ? void(args[I] = ArgTraits<A>::Back(std::get<I>(values))) : void()), ...);
  };
  C object;
  Variant result;
  try {
    if constexpr (std::is_void_v<R>) {
      (object.*function)(ArgTraits<A>::Pass(std::get<I>(values))...);
    } else {
      result = Converter<std::remove_cv_t<std::remove_reference_t<R>>>::To(
          (object.*function)(ArgTraits<A>::Pass(std::get<I>(values))...));
    }
  } catch (...) {
    write_back();
    throw;
  }
  write_back();
  return result;
}

}  // namespace detail

template <class C, class R, class... A>
ClassInfo& ClassInfo::Bind(const std::string& name, R (C::*function)(A...),
                           std::vector<ParamSpec> param_specs) {
  constexpr size_t kArity = sizeof...(A);
  if (param_specs.empty() && kArity > 0) {
    for (size_t i = 0; i < kArity; ++i) {
      param_specs.emplace_back(("arg" + std::to_string(i + 1)).c_str());
    }
  }
  if (param_specs.size() != kArity) {
    throw Error(kErrWrongArgumentCount, progid_ + "." + name,
                "Registration names " + std::to_string(param_specs.size()) + " parameters for " +
                    std::to_string(kArity));
  }
  constexpr bool kByRef[] = {detail::kIsByRef<A>..., false};
  Method method;
  method.name = name;
  std::vector<std::string> names;
  std::vector<bool> by_ref;
  for (size_t i = 0; i < kArity; ++i) {
    const bool is_by_ref = kByRef[i] || param_specs[i].by_ref;
    method.params.push_back(Param{param_specs[i].name,
                                  is_by_ref ? ParamKind::kByRef : ParamKind::kIn,
                                  param_specs[i].optional, param_specs[i].default_value});
    names.push_back(param_specs[i].name);
    by_ref.push_back(is_by_ref);
  }
  method.invoke = [function, names, by_ref,
                   path = progid_ + "." + name](std::vector<Variant>& args) {
    return detail::CallBound(function, args, names, by_ref, path, std::index_sequence_for<A...>{});
  };
  Add(std::move(method));
  return *this;
}

// All registered classes. Registration happens once at start-up (RegisterAllClasses); lookups
// are then safe from several threads.
class ClassRegistry {
 public:
  static ClassRegistry& Global();

  // The class of `progid`, added when new; in the global registry it is also made creatable by
  // ProgID through the component registry as a Dispatch object. Registering a class from several
  // files (Utility's operations live in several subsystems) extends the same class.
  ClassInfo& Add(const std::string& progid);
  const ClassInfo* Find(const std::string& progid) const;
  std::vector<std::string> ProgIds() const;

  // Calls `method` of `progid`: matches the arguments to the parameters (missing optional ones
  // take their defaults), invokes, and leaves by-reference results in `args`. Raises
  // kErrCannotCreateObject for an unknown ProgID, kErrUnknownMethod for an unknown method,
  // kErrWrongArgumentCount for too many or too few arguments, the conversion's error (naming the
  // argument) for one that cannot be converted; the method's own errors pass unchanged.
  Variant Call(const std::string& progid, const std::string& method,
               std::vector<Variant>& args) const;

 private:
  struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return text::ToUpper(a) < text::ToUpper(b);
    }
  };
  std::map<std::string, std::unique_ptr<ClassInfo>, CaseInsensitiveLess> classes_;
};

// Invokes a registered method on already-matched arguments (shared by ClassRegistry::Call and
// the Dispatch objects).
Variant InvokeMethod(const ClassInfo& info, const std::string& method, std::vector<Variant>& args);

// Registers every public class of the library. Idempotent.
void RegisterAllClasses();

}  // namespace velmora::automation
