#include "framework/com/DispatchTable.h"

#include <map>
#include <mutex>

#include "framework/com/TypeInfo.h"

namespace corvane {
namespace {

// A description that a type information hands out and must be given back (TYPEATTR, FUNCDESC).
template <typename T, void (STDMETHODCALLTYPE ITypeInfo::*Give)(T*)>
class TBorrowedDesc {
 public:
  TBorrowedDesc(ITypeInfo& owner, HRESULT (STDMETHODCALLTYPE ITypeInfo::*take)(T**), const char* what)
      : owner_(owner) {
    if (const HRESULT hr = (owner.*take)(&desc_); FAILED(hr)) RaiseTypeInfoFailure(what, hr);
  }
  TBorrowedDesc(ITypeInfo& owner, HRESULT (STDMETHODCALLTYPE ITypeInfo::*take)(UINT, T**), UINT index,
                const char* what)
      : owner_(owner) {
    if (const HRESULT hr = (owner.*take)(index, &desc_); FAILED(hr)) RaiseTypeInfoFailure(what, hr);
  }
  TBorrowedDesc(const TBorrowedDesc&) = delete;
  TBorrowedDesc& operator=(const TBorrowedDesc&) = delete;
  ~TBorrowedDesc() { (owner_.*Give)(desc_); }
  const T* operator->() const noexcept { return desc_; }
  const T& operator*() const noexcept { return *desc_; }

 private:
  ITypeInfo& owner_;
  T* desc_ = nullptr;
};

using TTypeAttr = TBorrowedDesc<TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using TFuncDesc = TBorrowedDesc<FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;

TTypeAttr AttributesOf(ITypeInfo& info) {
  return TTypeAttr(info, &ITypeInfo::GetTypeAttr, "Cannot read type information");
}

// What a declared type means to a caller.
enum class TTypeUse {
  Value,    // converted to its own type
  Object,   // an interface pointer, IDispatch or IUnknown
  Variant,  // anything, objects included
  Other,    // passed on as given
};

struct TResolvedType {
  TTypeUse use = TTypeUse::Other;
  VARTYPE type = VT_VARIANT;
};

bool IsConvertible(VARTYPE type) noexcept {
  switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL:
    case VT_DECIMAL: case VT_ERROR:
      return true;
    default:
      return false;
  }
}

TResolvedType Resolve(ITypeInfo& owner, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> named;
      if (FAILED(owner.GetRefTypeInfo(desc.hreftype, named.put()))) return {};
      const TTypeAttr attr = AttributesOf(*named.get());
      switch (attr->typekind) {
        case TKIND_ENUM: return {TTypeUse::Value, VT_I4};
        case TKIND_ALIAS: return Resolve(*named.get(), attr->tdescAlias);
        case TKIND_INTERFACE: case TKIND_DISPATCH: case TKIND_COCLASS: return {TTypeUse::Object};
        default: return {};
      }
    }
    case VT_PTR:
      // Interfaces are declared as pointers to them; any other pointer is passed on.
      if (desc.lptdesc->vt == VT_USERDEFINED && Resolve(owner, *desc.lptdesc).use == TTypeUse::Object) {
        return {TTypeUse::Object};
      }
      return {};
    case VT_DISPATCH: case VT_UNKNOWN: return {TTypeUse::Object};
    case VT_VARIANT: return {TTypeUse::Variant};
    default: return IsConvertible(desc.vt) ? TResolvedType{TTypeUse::Value, desc.vt} : TResolvedType{};
  }
}

TDispatchMember MemberOf(ITypeInfo& owner, const FUNCDESC& func) {
  TDispatchMember member;
  member.kind = static_cast<WORD>(func.invkind);
  TResolvedType result = Resolve(owner, func.elemdescFunc.tdesc);
  TTypeUse lastInput = TTypeUse::Other;
  for (SHORT i = 0; i < func.cParams; ++i) {
    const ELEMDESC& param = func.lprgelemdescParam[i];
    const USHORT flags = param.paramdesc.wParamFlags;
    if (flags & PARAMFLAG_FRETVAL) {
      // Declared as a pointer to where the result goes.
      if (param.tdesc.vt == VT_PTR) result = Resolve(owner, *param.tdesc.lptdesc);
      continue;
    }
    if (flags & PARAMFLAG_FLCID) continue;  // filled in by the call, never passed
    const TResolvedType type = Resolve(owner, param.tdesc);
    member.inputs.push_back({type.use == TTypeUse::Value ? type.type : VARTYPE(VT_VARIANT),
                             (flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0});
    lastInput = type.use;
  }
  const bool write = (member.kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  member.takesObject = write && (lastInput == TTypeUse::Object || lastInput == TTypeUse::Variant);
  member.givesObject = member.kind == DISPATCH_PROPERTYGET && result.use == TTypeUse::Object;
  return member;
}

bool IsDispatchRoot(const GUID& iid) noexcept { return iid == IID_IDispatch || iid == IID_IUnknown; }

// Own members first, so that a member declared again in a derived interface is found there.
// False when a base could not be read (its library is not registered): its members are left out.
bool Collect(ITypeInfo& info, std::vector<std::pair<DISPID, TDispatchMember>>& into) {
  const TTypeAttr attr = AttributesOf(info);
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    const TFuncDesc func(info, &ITypeInfo::GetFuncDesc, i, "Cannot read a member's description");
    into.emplace_back(func->memid, MemberOf(info, *func));
  }
  if (attr->typekind != TKIND_INTERFACE || attr->cImplTypes == 0) return true;
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> base;
  HRESULT hr = info.GetRefTypeOfImplType(0, &ref);
  if (SUCCEEDED(hr)) hr = info.GetRefTypeInfo(ref, base.put());
  if (FAILED(hr)) return false;
  return IsDispatchRoot(AttributesOf(*base.get())->guid) || Collect(*base.get(), into);
}

std::mutex tablesMutex;
// Keyed by the type information the table holds, so that no key outlives its object.
std::map<ITypeInfo*, std::shared_ptr<const TDispatchTable>>& Tables() {
  static auto* tables = new std::map<ITypeInfo*, std::shared_ptr<const TDispatchTable>>;
  return *tables;
}

}  // namespace

TDispatchTable::TDispatchTable(ComPtr<ITypeInfo> info) : info_(std::move(info)) {
  complete_ = Collect(*info_.get(), members_);
}

const TDispatchMember* TDispatchTable::FindKind(DISPID id, WORD kinds) const noexcept {
  for (const auto& [memberId, member] : members_) {
    if (memberId == id && (member.kind & kinds) != 0) return &member;
  }
  return nullptr;
}

const TDispatchMember* TDispatchTable::Find(DISPID id, WORD flags) const noexcept {
  constexpr WORD kRead = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  if (flags & kRead) {
    if (const TDispatchMember* asked = FindKind(id, flags & kRead)) return asked;
    if (const TDispatchMember* other = FindKind(id, kRead)) return other;
  }
  if (flags & DISPATCH_PROPERTYPUT) {
    if (const TDispatchMember* write = FindKind(id, DISPATCH_PROPERTYPUT)) return write;
  }
  if (flags & DISPATCH_PROPERTYPUTREF) {
    if (const TDispatchMember* set = FindKind(id, DISPATCH_PROPERTYPUTREF)) return set;
    const TDispatchMember* write = FindKind(id, DISPATCH_PROPERTYPUT);
    if (write != nullptr && write->takesObject) return write;
  }
  return nullptr;
}

std::shared_ptr<const TDispatchTable> DispatchTableOf(ComPtr<ITypeInfo> info) {
  const std::lock_guard lock(tablesMutex);
  auto& tables = Tables();
  if (auto found = tables.find(info.get()); found != tables.end()) return found->second;
  auto table = std::make_shared<const TDispatchTable>(std::move(info));
  // One without the members of a missing base is the asking object's own: the library may be
  // registered before the next object asks.
  if (table->Complete()) tables.emplace(table->Info(), table);
  return table;
}

void ReleaseDispatchTables() noexcept {
  const std::lock_guard lock(tablesMutex);
  Tables().clear();
}

}  // namespace corvane
