#include "TypeLibCopy.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "TypeLibOwners.h"
#include "framework/com/ComPtr.h"
#include "framework/com/UniqueBstr.h"

namespace corvane::tlborder {
namespace {

void Check(HRESULT hr, const char* step) {
  if (FAILED(hr)) {
    char text[160];
    std::snprintf(text, sizeof text, "%s failed: 0x%08lX", step, static_cast<unsigned long>(hr));
    throw std::runtime_error(text);
  }
}

struct Docs {
  UniqueBstr Name;
  UniqueBstr Help;
  DWORD Context = 0;
};

Docs Documentation(ITypeInfo* info, MEMBERID member) {
  Docs docs;
  Check(info->GetDocumentation(member, docs.Name.put(), docs.Help.put(), &docs.Context, nullptr),
        "GetDocumentation");
  return docs;
}

// One type as the copier sees it: a dual interface is read from its interface side, where the
// parameters keep their names.
struct SourceType {
  ComPtr<ITypeInfo> Info;
  std::wstring Name;
  UINT Index = 0;
};

class Copier {
 public:
  Copier(ITypeLib* source, ICreateTypeLib2* target) : source_(source), target_(target) {}

  std::vector<TypeEntryFix> Run(const std::vector<std::wstring>& order) {
    CopyLibraryAttributes();
    std::vector<SourceType> types = Ordered(order);
    // Every type exists before any is filled, so references between them resolve to the new ones.
    for (const SourceType& type : types) Create(type);
    std::vector<TypeEntryFix> fixes;
    for (std::size_t i = 0; i < types.size(); ++i) Fill(types[i], i, fixes);
    Check(target_->SaveAllChanges(), "SaveAllChanges");
    return fixes;
  }

 private:
  void CopyLibraryAttributes() {
    TLIBATTR* attr = nullptr;
    Check(source_->GetLibAttr(&attr), "GetLibAttr");
    const TLIBATTR copy = *attr;
    source_->ReleaseTLibAttr(attr);
    UniqueBstr name, help, file;
    DWORD context = 0;
    Check(source_->GetDocumentation(-1, name.put(), help.put(), &context, file.put()),
          "library GetDocumentation");
    Check(target_->SetGuid(copy.guid), "SetGuid");
    Check(target_->SetLcid(copy.lcid), "SetLcid");
    Check(target_->SetVersion(copy.wMajorVerNum, copy.wMinorVerNum), "SetVersion");
    Check(target_->SetName(name.get()), "SetName");
    if (help) Check(target_->SetDocString(help.get()), "SetDocString");
    if (file) Check(target_->SetHelpFileName(file.get()), "SetHelpFileName");
    Check(target_->SetHelpContext(context), "SetHelpContext");
    // The loader adds the disk-image flag to what the file says; it is not the library's own.
    Check(target_->SetLibFlags(copy.wLibFlags & ~LIBFLAG_FHASDISKIMAGE), "SetLibFlags");
  }

  std::vector<SourceType> Ordered(const std::vector<std::wstring>& order) {
    std::vector<SourceType> all;
    for (UINT i = 0; i < source_->GetTypeInfoCount(); ++i) {
      SourceType type;
      type.Index = i;
      Check(source_->GetTypeInfo(i, type.Info.put()), "GetTypeInfo");
      type.Name = Documentation(type.Info.get(), MEMBERID_NIL).Name.get();
      type.Info = InterfaceSide(type.Info.get());
      all.push_back(std::move(type));
    }
    std::vector<SourceType> ordered;
    for (const std::wstring& name : order) {
      auto found = std::find_if(all.begin(), all.end(),
                                [&](const SourceType& type) { return type.Name == name; });
      if (found == all.end()) {
        throw std::runtime_error("type named in the order is not in the library");
      }
      ordered.push_back(std::move(*found));
      all.erase(found);
    }
    for (SourceType& rest : all) ordered.push_back(std::move(rest));
    return ordered;
  }

  static ComPtr<ITypeInfo> InterfaceSide(ITypeInfo* info) {
    TypeAttr attr(info);
    Check(info->GetTypeAttr(attr.put()), "GetTypeAttr");
    ComPtr<ITypeInfo> side = ComPtr<ITypeInfo>::Copy(info);
    if (attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL)) {
      HREFTYPE ref = 0;
      Check(info->GetRefTypeOfImplType(-1, &ref), "GetRefTypeOfImplType(-1)");
      side.reset();
      Check(info->GetRefTypeInfo(ref, side.put()), "GetRefTypeInfo (interface side)");
    }
    return side;
  }

  void Create(const SourceType& type) {
    TypeAttr attr(type.Info.get());
    Check(type.Info->GetTypeAttr(attr.put()), "GetTypeAttr");
    ComPtr<ICreateTypeInfo> created;
    Check(target_->CreateTypeInfo(const_cast<LPOLESTR>(type.Name.c_str()), attr->typekind,
                                  created.put()),
          "CreateTypeInfo");
    ComPtr<ITypeInfo> asInfo;
    Check(created->QueryInterface(IID_ITypeInfo, asInfo.put_void()), "QueryInterface(ITypeInfo)");
    created_[type.Name] = std::move(created);
    byName_[type.Name] = std::move(asInfo);
  }

  // The new library's own type for one of the source's, or the foreign one for an imported type.
  HREFTYPE Reference(ICreateTypeInfo* into, ITypeInfo* from, HREFTYPE sourceRef) {
    ComPtr<ITypeInfo> referenced;
    Check(from->GetRefTypeInfo(sourceRef, referenced.put()), "GetRefTypeInfo");
    ComPtr<ITypeLib> home;
    UINT index = 0;
    Check(referenced->GetContainingTypeLib(home.put(), &index), "GetContainingTypeLib");
    ITypeInfo* chosen = referenced.get();
    if (home.get() == source_) {
      const Docs docs = Documentation(referenced.get(), MEMBERID_NIL);
      chosen = byName_.at(docs.Name.get()).get();
    }
    HREFTYPE ref = 0;
    Check(into->AddRefTypeInfo(chosen, &ref), "AddRefTypeInfo");
    return ref;
  }

  // Copies a type description, giving every user-defined type a reference of the new library.
  TYPEDESC* Remap(const TYPEDESC& from, ICreateTypeInfo* into, ITypeInfo* source) {
    auto copy = std::make_unique<TYPEDESC>(from);
    if (from.vt == VT_PTR || from.vt == VT_SAFEARRAY) {
      copy->lptdesc = Remap(*from.lptdesc, into, source);
    } else if (from.vt == VT_USERDEFINED) {
      copy->hreftype = Reference(into, source, from.hreftype);
    } else if (from.vt == VT_CARRAY) {
      throw std::runtime_error("fixed-size arrays are not copied");
    }
    descs_.push_back(std::move(copy));
    return descs_.back().get();
  }

  void Fill(const SourceType& type, std::size_t index, std::vector<TypeEntryFix>& fixes) {
    ITypeInfo* from = type.Info.get();
    ICreateTypeInfo* into = created_.at(type.Name).get();
    TypeAttr attr(from);
    Check(from->GetTypeAttr(attr.put()), "GetTypeAttr");
    const Docs docs = Documentation(from, MEMBERID_NIL);

    Check(into->SetGuid(attr->guid), "SetGuid");
    Check(into->SetVersion(attr->wMajorVerNum, attr->wMinorVerNum), "SetVersion");
    if (docs.Help) Check(into->SetDocString(docs.Help.get()), "SetDocString");
    Check(into->SetHelpContext(docs.Context), "SetHelpContext");
    Check(into->SetAlignment(attr->cbAlignment), "SetAlignment");

    for (UINT i = 0; i < attr->cImplTypes; ++i) {
      HREFTYPE sourceRef = 0;
      Check(from->GetRefTypeOfImplType(i, &sourceRef), "GetRefTypeOfImplType");
      Check(into->AddImplType(i, Reference(into, from, sourceRef)), "AddImplType");
      INT flags = 0;
      Check(from->GetImplTypeFlags(i, &flags), "GetImplTypeFlags");
      if (flags) Check(into->SetImplTypeFlags(i, flags), "SetImplTypeFlags");
    }
    // The dual flag is accepted only once the base is in place.
    Check(into->SetTypeFlags(attr->wTypeFlags), "SetTypeFlags");

    for (UINT i = 0; i < attr->cFuncs; ++i) CopyFunction(from, into, i);
    for (UINT i = 0; i < attr->cVars; ++i) CopyVariable(from, into, i);
    Check(into->LayOut(), "LayOut");

    const bool pureDispatch =
        attr->typekind == TKIND_DISPATCH && !(attr->wTypeFlags & TYPEFLAG_FDUAL);
    if (pureDispatch) {
      // One slot per member, of this tool's (the library's) pointer size.
      fixes.push_back({index, static_cast<std::int16_t>(attr->cFuncs * sizeof(void*)),
                       static_cast<std::int32_t>(attr->cbSizeInstance), true});
    } else if (attr->typekind == TKIND_ENUM) {
      fixes.push_back({index, static_cast<std::int16_t>(attr->cbSizeVft),
                       static_cast<std::int32_t>(attr->cbSizeInstance), false});
    }
  }

  void CopyFunction(ITypeInfo* from, ICreateTypeInfo* into, UINT i) {
    FuncDesc func(from);
    Check(from->GetFuncDesc(i, func.put()), "GetFuncDesc");
    FUNCDESC copy = *func;
    copy.lprgscode = nullptr;
    copy.cScodes = 0;
    copy.elemdescFunc.tdesc = *Remap(func->elemdescFunc.tdesc, into, from);
    std::vector<ELEMDESC> params(func->lprgelemdescParam,
                                 func->lprgelemdescParam + func->cParams);
    for (ELEMDESC& param : params) param.tdesc = *Remap(param.tdesc, into, from);
    copy.lprgelemdescParam = params.empty() ? nullptr : params.data();
    Check(into->AddFuncDesc(i, &copy), "AddFuncDesc");

    // A property write names its parameters without the value it is given.
    const bool put = func->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
    const UINT wanted = put ? func->cParams : func->cParams + 1;
    std::vector<BSTR> names(func->cParams + 1, nullptr);
    UINT got = 0;
    Check(from->GetNames(func->memid, names.data(), static_cast<UINT>(names.size()), &got),
          "GetNames");
    std::vector<UniqueBstr> owned;
    for (UINT n = 0; n < got; ++n) owned.emplace_back(names[n]);
    if (got < wanted) throw std::runtime_error("a function has unnamed parameters");
    Check(into->SetFuncAndParamNames(i, names.data(), wanted), "SetFuncAndParamNames");

    // Help is found by DISPID, so a property's read and write forms carry one text, as they do
    // in our libraries.
    const Docs docs = Documentation(from, func->memid);
    if (docs.Help) Check(into->SetFuncDocString(i, docs.Help.get()), "SetFuncDocString");
    if (docs.Context) Check(into->SetFuncHelpContext(i, docs.Context), "SetFuncHelpContext");
  }

  void CopyVariable(ITypeInfo* from, ICreateTypeInfo* into, UINT i) {
    VarDesc var(from);
    Check(from->GetVarDesc(i, var.put()), "GetVarDesc");
    VARDESC copy = *var;
    copy.elemdescVar.tdesc = *Remap(var->elemdescVar.tdesc, into, from);
    Check(into->AddVarDesc(i, &copy), "AddVarDesc");
    const Docs docs = Documentation(from, var->memid);
    Check(into->SetVarName(i, docs.Name.get()), "SetVarName");
    if (docs.Help) Check(into->SetVarDocString(i, docs.Help.get()), "SetVarDocString");
    if (docs.Context) Check(into->SetVarHelpContext(i, docs.Context), "SetVarHelpContext");
  }

  ITypeLib* source_;
  ICreateTypeLib2* target_;
  std::map<std::wstring, ComPtr<ICreateTypeInfo>> created_;
  std::map<std::wstring, ComPtr<ITypeInfo>> byName_;
  std::vector<std::unique_ptr<TYPEDESC>> descs_;
};

}  // namespace

std::vector<TypeEntryFix> CopyTypeLibrary(ITypeLib* source, const std::wstring& target,
                                          const std::vector<std::wstring>& order) {
  // The library describes function tables of the module it is embedded in, whose bitness is
  // this tool's own: 4-byte slots on 32-bit Windows.
  constexpr SYSKIND kSystem = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  ComPtr<ICreateTypeLib2> created;
  Check(CreateTypeLib2(kSystem, target.c_str(), created.put()), "CreateTypeLib2");
  return Copier(source, created.get()).Run(order);
}

}  // namespace corvane::tlborder
