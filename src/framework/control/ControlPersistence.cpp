// Saved state: the component's published properties in the library's stream format, or the
// control's read/write properties by name in a container's property bag.
#include <cstdint>
#include <vector>
#include "framework/OleSysError.h"
#include "framework/PropertyStream.h"
#include "framework/com/TypeInfo.h"
#include "framework/com/UniqueBstr.h"
#include "framework/control/ControlBase.h"

namespace corvane {
namespace {

// Reads exactly `size` bytes; a stream that ends first is a truncated saved state.
void ReadExactly(IStream& stream, uint8_t* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ULONG got = 0;
    const HRESULT hr = stream.Read(buffer + done, static_cast<ULONG>(size - done), &got);
    RaiseIfFailed(hr, "Reading the saved state");
    if (got == 0) throw EOleSysError("The saved state is truncated", kPropertyStreamCorrupt);
    done += got;
  }
}

void WriteExactly(IStream& stream, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ULONG written = 0;
    RaiseIfFailed(stream.Write(bytes.data() + done, static_cast<ULONG>(bytes.size() - done), &written),
                  "Writing the saved state");
    if (written == 0) throw EOleSysError("The stream took no bytes", static_cast<int32_t>(STG_E_MEDIUMFULL));
    done += written;
  }
}

// The read/write properties of `info`'s interface and its bases, the bases' first: a property
// read without arguments that has a write of the same DISPID.
void CollectProperties(ITypeInfo& info, std::vector<TBagProperty>& properties) {
  TYPEATTR* attr = nullptr;
  RaiseIfFailed(info.GetTypeAttr(&attr), "GetTypeAttr");
  const TYPEATTR copy = *attr;
  info.ReleaseTypeAttr(attr);
  if (copy.guid == IID_IDispatch || copy.guid == IID_IUnknown) return;
  if (copy.cImplTypes > 0) {
    HREFTYPE base = 0;
    ComPtr<ITypeInfo> baseInfo;
    if (SUCCEEDED(info.GetRefTypeOfImplType(0, &base)) &&
        SUCCEEDED(info.GetRefTypeInfo(base, baseInfo.put()))) {
      CollectProperties(*baseInfo.get(), properties);
    }
  }
  std::vector<MEMBERID> reads;
  std::vector<MEMBERID> writes;
  for (UINT i = 0; i < copy.cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    RaiseIfFailed(info.GetFuncDesc(i, &func), "GetFuncDesc");
    const bool hasRetval = func->cParams > 0 &&
                           (func->lprgelemdescParam[func->cParams - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
    const int inputs = func->cParams - (hasRetval ? 1 : 0);
    if (func->invkind == INVOKE_PROPERTYGET && inputs == 0) reads.push_back(func->memid);
    if (func->invkind == INVOKE_PROPERTYPUT && func->cParams == 1) writes.push_back(func->memid);
    info.ReleaseFuncDesc(func);
  }
  for (MEMBERID id : reads) {
    bool writable = false;
    for (MEMBERID w : writes) writable = writable || w == id;
    if (!writable) continue;
    UniqueBstr name;
    UINT count = 0;
    if (FAILED(info.GetNames(id, name.put(), 1, &count)) || count == 0) continue;
    properties.push_back({std::wstring(name.get(), name.Length()), id});
  }
}

std::vector<TBagProperty> ReadWriteProperties(IDispatch& self) {
  ComPtr<ITypeInfo> info;
  RaiseIfFailed(self.GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), "GetTypeInfo");
  std::vector<TBagProperty> properties;
  ComPtr<ITypeInfo> side = InterfaceSide(std::move(info));
  CollectProperties(*side.get(), properties);
  return properties;
}

}  // namespace

void TControlBase::LoadFromStream(IStream& stream) {
  uint8_t header[kPropertyStreamHeaderSize];
  ReadExactly(stream, header, sizeof header);
  std::vector<uint8_t> all(PropertyStreamSize(header));
  std::copy(header, header + sizeof header, all.begin());
  ReadExactly(stream, all.data() + sizeof header, all.size() - sizeof header);
  ReadPropertyStream(component_->Streamed(), all);
  dirty_ = false;
}

void TControlBase::SaveToStream(IStream& stream, bool clearDirty) {
  WriteExactly(stream, WritePropertyStream(component_->Streamed()));
  if (clearDirty) dirty_ = false;
}

ULONGLONG TControlBase::SavedSize() { return WritePropertyStream(component_->Streamed()).size(); }

void TControlBase::ReadPropertyFromBag(IDispatch& self, IPropertyBag& bag, IErrorLog* log,
                                       const TBagProperty& property) {
  UniqueVariant value;
  if (FAILED(bag.Read(property.Name.c_str(), value.put(), log))) return;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{const_cast<VARIANT*>(value.get()), &named, 1, 1};
  RaiseIfFailed(self.Invoke(property.Id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                            nullptr, nullptr, nullptr),
                "Setting a saved property");
}

void TControlBase::LoadFromBag(IDispatch& self, IPropertyBag& bag, IErrorLog* log) {
  for (const TBagProperty& property : ReadWriteProperties(self)) ReadPropertyFromBag(self, bag, log, property);
  dirty_ = false;
}

void TControlBase::SaveToBag(IDispatch& self, IPropertyBag& bag, bool clearDirty) {
  for (const TBagProperty& property : ReadWriteProperties(self)) {
    if (!WritesPropertyToBag(property)) continue;
    UniqueVariant value;
    DISPPARAMS none{};
    RaiseIfFailed(self.Invoke(property.Id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                              value.put(), nullptr, nullptr),
                  "Reading a property to save");
    // Objects keep their state in their own properties; a bag holds plain values.
    if (value.Type() == VT_DISPATCH || value.Type() == VT_UNKNOWN) continue;
    RaiseIfFailed(bag.Write(property.Name.c_str(), const_cast<VARIANT*>(value.get())), "IPropertyBag::Write");
  }
  if (clearDirty) dirty_ = false;
}

}  // namespace corvane
