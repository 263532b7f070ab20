// What IDispatch::Invoke must know of a member before the member runs, read once per interface
// from its type information: the kind of call it answers, the arguments a caller passes and the
// type each is converted to, and whether it takes or gives an object. With it the dispatch layer
// checks a call (how many arguments, which names) and converts every argument before anything
// happens, so that no member is reached by a call it cannot take, and no script code that a
// conversion runs (a default member, a toString) can run while a member is at work.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <utility>
#include <vector>

#include "framework/com/ComPtr.h"

namespace corvane {

struct TDispatchParameter {
  // The type an argument is converted to; VT_VARIANT for one passed on as given (variants,
  // objects, pointers).
  VARTYPE type = VT_VARIANT;
  bool optional = false;
};

struct TDispatchMember {
  // DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT or DISPATCH_PROPERTYPUTREF.
  WORD kind = DISPATCH_METHOD;
  // What the caller passes, in declaration order (a write's value last); no result.
  std::vector<TDispatchParameter> inputs;
  // A write whose value may be an object (an interface or a variant): Set reaches it.
  bool takesObject = false;
  // A read whose result is an object: arguments beyond its own go to the result's default member.
  bool givesObject = false;
};

class TDispatchTable {
 public:
  // The members of `info` (the interface side of a dual) and of the interfaces it derives from.
  explicit TDispatchTable(ComPtr<ITypeInfo> info);

  ITypeInfo* Info() const noexcept { return info_.get(); }
  // False when a base interface could not be read (its library is not registered): the members
  // it declares are not found.
  bool Complete() const noexcept { return complete_; }
  // The member `id` that a call of kind `flags` reaches, or null. A read and a method answer
  // each other's calls (scripts call a read with arguments as a method); Set reaches a write
  // that takes an object when there is no write of its own for it.
  const TDispatchMember* Find(DISPID id, WORD flags) const noexcept;

 private:
  const TDispatchMember* FindKind(DISPID id, WORD kinds) const noexcept;

  ComPtr<ITypeInfo> info_;
  std::vector<std::pair<DISPID, TDispatchMember>> members_;
  bool complete_ = true;
};

// The table of `info`, built on the first request and shared for the process (every object of an
// interface answers from the same type information). Raises EOleSysError when `info` itself
// cannot be read.
std::shared_ptr<const TDispatchTable> DispatchTableOf(ComPtr<ITypeInfo> info);
// Drops the tables, with the type information they hold, for the module's unloading.
void ReleaseDispatchTables() noexcept;

}  // namespace corvane
