// Published-property metadata per class: what a stream, a property bag or a dotted-name lookup
// needs to find, read and write a component's properties without knowing its type.
//
// A class publishes by overriding ClassInfo() with a function-local static TClassInfo that names
// its parent's info and lists its own properties, built with Published<Class>:
//
//   const TClassInfo& TLogonAs::StaticClassInfo() {
//     static const TClassInfo info("TLogonAs", &TPersistent::StaticClassInfo(),
//         {Published<TLogonAs>::String("UserName", &TLogonAs::UserName, &TLogonAs::SetUserName)});
//     return info;
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "framework/ClassError.h"
#include "framework/Persistent.h"

namespace corvane {

enum class TTypeKind : uint8_t { String, Boolean, Integer, Class, Method };

const char* TypeKindName(TTypeKind kind);

// A property value as it crosses the generic accessors. A class-typed property yields the object
// it refers to (for an owned sub-object like LogonAs, that object itself: its own properties are
// then read and written in place).
using TPropValue = std::variant<std::string, bool, int32_t, TPersistent*>;

struct TPropInfo {
  using Getter = std::function<TPropValue(TPersistent&)>;
  using Setter = std::function<void(TPersistent&, const TPropValue&)>;

  std::string Name;
  TTypeKind Kind = TTypeKind::String;
  // The class of a class-typed property; null for every other kind.
  const class TClassInfo* PropClass = nullptr;
  // Empty when the property cannot be read or written. Event (method) properties have neither:
  // handlers are attached in code, never streamed.
  Getter Get;
  Setter Set;
  bool Stored = true;
  // Ordinal default (booleans as 0 and 1); a property equal to it need not be saved.
  std::optional<int32_t> Default;

  bool Readable() const { return static_cast<bool>(Get); }
  bool Writable() const { return static_cast<bool>(Set); }

  // Read and write through the accessors; a property without the accessor, an object of another
  // class or a value of the wrong kind raises a clear error.
  TPropValue GetValue(TPersistent& object) const;
  void SetValue(TPersistent& object, const TPropValue& value) const;
};

class TClassInfo {
 public:
  TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfo> ownProperties);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  // Every published property, the parent's first, in declaration order.
  const std::vector<const TPropInfo*>& Properties() const { return all_; }
  bool InheritsFrom(const TClassInfo& other) const;

 private:
  std::string name_;
  const TClassInfo* parent_;
  std::vector<TPropInfo> own_;
  std::vector<const TPropInfo*> all_;
};

namespace detail {

template <class C>
C& ObjectAs(TPersistent& object, const std::string& property) {
  auto* typed = dynamic_cast<C*>(&object);
  if (!typed) {
    RaiseClassError("Property " + property + " does not belong to an object of class " +
                    object.ClassName());
  }
  return *typed;
}

template <class T>
const T& ValueAs(const TPropValue& value, const std::string& property) {
  if (!std::holds_alternative<T>(value)) RaiseClassError("Invalid value for property " + property);
  return std::get<T>(value);
}

template <class C, class T, class G>
TPropInfo::Getter MakeGetter(const std::string& name, G get) {
  if constexpr (std::is_null_pointer_v<G>) {
    return {};
  } else {
    return [name, get](TPersistent& object) -> TPropValue {
      decltype(auto) result = std::invoke(get, ObjectAs<C>(object, name));
      if constexpr (std::is_same_v<T, TPersistent*>) {
        if constexpr (std::is_pointer_v<std::remove_reference_t<decltype(result)>>) {
          return TPropValue(std::in_place_type<TPersistent*>, result);
        } else {
          return TPropValue(std::in_place_type<TPersistent*>, &result);
        }
      } else {
        return TPropValue(std::in_place_type<T>, result);
      }
    };
  }
}

template <class C, class T, class S>
TPropInfo::Setter MakeSetter(const std::string& name, S set) {
  if constexpr (std::is_null_pointer_v<S>) {
    return {};
  } else {
    return [name, set](TPersistent& object, const TPropValue& value) {
      C& target = ObjectAs<C>(object, name);
      const T& typed = ValueAs<T>(value, name);
      if constexpr (std::is_member_object_pointer_v<S>) {
        target.*set = typed;
      } else {
        std::invoke(set, target, typed);
      }
    };
  }
}

}  // namespace detail

// Builders for the properties of class C. Getters and setters are member functions or data
// members of C; nullptr leaves the access out.
template <class C>
struct Published {
  template <class G, class S>
  static TPropInfo String(std::string name, G get, S set, bool stored = true) {
    return Make<std::string>(std::move(name), TTypeKind::String, get, set, stored, std::nullopt);
  }
  template <class G, class S>
  static TPropInfo Boolean(std::string name, G get, S set, std::optional<bool> def,
                           bool stored = true) {
    std::optional<int32_t> ordinal;
    if (def) ordinal = *def ? 1 : 0;
    return Make<bool>(std::move(name), TTypeKind::Boolean, get, set, stored, ordinal);
  }
  template <class G, class S>
  static TPropInfo Integer(std::string name, G get, S set, std::optional<int32_t> def,
                           bool stored = true) {
    return Make<int32_t>(std::move(name), TTypeKind::Integer, get, set, stored, def);
  }
  // A property holding an object of class `propClass` (its getter returns a pointer or a
  // reference to it).
  template <class G, class S>
  static TPropInfo Object(std::string name, const TClassInfo& propClass, G get, S set,
                          bool stored = true) {
    TPropInfo info =
        Make<TPersistent*>(std::move(name), TTypeKind::Class, get, set, stored, std::nullopt);
    info.PropClass = &propClass;
    return info;
  }
  static TPropInfo Event(std::string name) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TTypeKind::Method;
    return info;
  }

 private:
  template <class T, class G, class S>
  static TPropInfo Make(std::string name, TTypeKind kind, G get, S set, bool stored,
                        std::optional<int32_t> def) {
    TPropInfo info;
    info.Get = detail::MakeGetter<C, T>(name, get);
    info.Set = detail::MakeSetter<C, T>(name, set);
    info.Name = std::move(name);
    info.Kind = kind;
    info.Stored = stored;
    info.Default = def;
    return info;
  }
};

}  // namespace corvane
