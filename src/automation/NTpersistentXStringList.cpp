#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/LibraryIds.h"
#include "automation/NTpersistentXAdapters.h"
#include "framework/OleSysError.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/Enumerator.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {

namespace {

// A script's value as an 8-bit string: numbers as the system writes them ("12"), Empty as "".
// Scripts pass variables by reference, so a reference is followed first. Text the code page
// cannot hold is refused, naming `what`.
std::string VariantToAnsi(VARIANT& value, const std::string& what) {
  UniqueVariant direct;
  HRESULT hr = VariantCopyInd(direct.put(), &value);
  UniqueVariant text;
  // The source is only read (the system's declaration lacks the const).
  if (SUCCEEDED(hr)) hr = VariantChangeType(text.put(), const_cast<VARIANT*>(direct.get()), 0, VT_BSTR);
  if (FAILED(hr)) {
    throw EOleSysError("The value cannot be converted to a string", static_cast<int32_t>(hr));
  }
  return BstrToAnsi(V_BSTR(text.get()), what);
}

}  // namespace

TStringListAdapter::TStringListAdapter(std::unique_ptr<TStringList> list) {
  UseRegisteredTypeInfo(kPersistentLibid);
  owned_ = std::move(list);
}

TStringListAdapter::TStringListAdapter(IStringListLender& lender) {
  UseRegisteredTypeInfo(kPersistentLibid);
  lenderHold_ = ComPtr<IUnknown>::Copy(lender.LenderIdentity());
  lender_ = &lender;
}

TStringList* TStringListAdapter::List() { return lender_ ? &lender_->LentList() : owned_.get(); }

HRESULT TStringListAdapter::get_Text(BSTR* Value) noexcept {
  return Boundary<IStringList>(
      [&] {
        const TStringList* list = List();
        *Value = AnsiToBstr(list ? list->Text() : std::string()).release();
      },
      Value);
}

HRESULT TStringListAdapter::put_Text(BSTR text) noexcept {
  return Boundary<IStringList>([&] {
    if (TStringList* list = List()) list->SetText(BstrToAnsi(text, "Text"));
  });
}

HRESULT TStringListAdapter::IndexOf(BSTR S, LONG* Value) noexcept {
  return Boundary<IStringList>(
      [&] {
        const TStringList* list = List();
        // Text the code page cannot hold is in no list.
        const std::optional<std::string> text = ExactAnsi(BstrText(S));
        *Value = list && text ? list->IndexOf(*text) : -1;
      },
      Value);
}

HRESULT TStringListAdapter::get_Count(LONG* Value) noexcept {
  return Boundary<IStringList>(
      [&] {
        const TStringList* list = List();
        *Value = list ? list->Count() : 0;
      },
      Value);
}

HRESULT TStringListAdapter::get_Item(LONG Index, VARIANT* Value) noexcept {
  return Boundary<IStringList>(
      [&] {
        const TStringList* list = List();
        if (!list) {
          V_VT(Value) = VT_NULL;
          return;
        }
        *Value = AnsiToVariant(list->Get(Index)).release();
      },
      Value);
}

// The members that convert a variant do it before they look for the list: the conversion may
// run the script, which may close the log that holds it.
HRESULT TStringListAdapter::put_Item(LONG Index, VARIANT value) noexcept {
  return Boundary<IStringList>([&] {
    const std::string text = VariantToAnsi(value, "Item(" + std::to_string(Index) + ")");
    if (TStringList* list = List()) list->Put(Index, text);
  });
}

HRESULT TStringListAdapter::Clear() noexcept {
  return Boundary<IStringList>([&] {
    if (TStringList* list = List()) list->Clear();
  });
}

HRESULT TStringListAdapter::Add(VARIANT value, LONG* Value) noexcept {
  return Boundary<IStringList>(
      [&] {
        const std::string text = VariantToAnsi(value, "The value of Add");
        TStringList* list = List();
        *Value = list ? list->Add(text) : -1;
      },
      Value);
}

HRESULT TStringListAdapter::Delete(LONG Index) noexcept {
  return Boundary<IStringList>([&] {
    if (TStringList* list = List()) list->Delete(Index);
  });
}

HRESULT TStringListAdapter::NewEnum(IEnumVARIANT** out) noexcept {
  return Boundary<IStringList>(
      [&] {
        std::vector<UniqueVariant> entries;
        if (const TStringList* list = List()) {
          for (int i = 0; i < list->Count(); ++i) entries.push_back(AnsiToVariant(list->Get(i)));
        }
        MakeEnumerator<IEnumVARIANT>(std::move(entries)).copy_to(out);
      },
      out);
}

ComPtr<IStringList> StringListAdapter(std::unique_ptr<TStringList> list) {
  return Make<TStringListAdapter>(std::move(list)).query<IStringList>();
}

}  // namespace corvane
