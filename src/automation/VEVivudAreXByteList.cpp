#include "automation/LibraryIds.h"
#include "automation/VEVivudAreXAdapters.h"

namespace corvane {

TByteListAdapter::TByteListAdapter(TByteList& bytes) {
  UseRegisteredTypeInfo(kCorvaneLibid, kCorvaneLocale);
  SetWrapped(bytes);
}

HRESULT TByteListAdapter::get_Count(LONG* Value) noexcept {
  return Boundary<IByteList>([&] { *Value = Target().Count(); }, Value);
}

HRESULT TByteListAdapter::get_Item(LONG Index, unsigned char* Value) noexcept {
  return Boundary<IByteList>([&] { *Value = Target().Item(Index); }, Value);
}

HRESULT TByteListAdapter::put_Item(LONG Index, unsigned char value) noexcept {
  return Boundary<IByteList>([&] { Target().SetItem(Index, value); });
}

HRESULT TByteListAdapter::Clear() noexcept {
  return Boundary<IByteList>([&] { Target().Clear(); });
}

HRESULT TByteListAdapter::Add(unsigned char AValue) noexcept {
  return Boundary<IByteList>([&] { Target().Add(AValue); });
}

}  // namespace corvane
