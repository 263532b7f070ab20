#include <vector>

#include "automation/LibraryIds.h"
#include "automation/VEVivudAreXAdapters.h"
#include "framework/com/Enumerator.h"

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

HRESULT TByteListAdapter::NewEnum(IEnumVARIANT** out) noexcept {
  return Boundary<IByteList>(
      [&] {
        const TByteList& bytes = Target();
        std::vector<UniqueVariant> entries(static_cast<size_t>(bytes.Count()));
        for (int i = 0; i < bytes.Count(); ++i) {
          VARIANT byte;
          V_VT(&byte) = VT_UI1;
          V_UI1(&byte) = bytes.Item(i);
          entries[static_cast<size_t>(i)] = UniqueVariant(std::move(byte));
        }
        MakeEnumerator<IEnumVARIANT>(std::move(entries)).copy_to(out);
      },
      out);
}

}  // namespace corvane
