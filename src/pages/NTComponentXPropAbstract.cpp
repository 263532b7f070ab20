#include "pages/NTComponentXPropAbstract.h"

#include <vector>

#include "framework/forms/Element.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/UniqueBstr.h"
#include "pages/LateBinding.h"

namespace corvane::pages {

namespace {

TFrNTComponentAbstractProperty& PageOf(forms::TForm& form) {
  return static_cast<TFrNTComponentAbstractProperty&>(form);
}

bool SameTextIgnoringCase(const std::string& left, const std::string& right) {
  return lstrcmpiA(left.c_str(), right.c_str()) == 0;
}

}  // namespace

forms::TFormDesign TFrNTComponentAbstractProperty::MachineNameDesign(std::string caption,
                                                                   int helpContext) {
  using forms::TElementKind;
  forms::TFormDesign design;
  design.caption = std::move(caption);
  design.helpContext = helpContext;
  design.width = 420;
  design.height = 257;
  design.onActivate = [](forms::TForm& form) { PageOf(form).FormActivate(); };
  design.elements = {
      {.kind = TElementKind::Label, .name = "lblmachineName", .caption = "MachineName",
       .bounds = {2, 9, 69, 13}},
      {.kind = TElementKind::Bevel, .name = "Bevel1", .bounds = {2, 25, 407, 8}},
      {.kind = TElementKind::DropDownList, .name = "cmbMachineName", .bounds = {94, 5, 145, 21},
       .tabOrder = 0, .itemHeight = 13,
       .onChange = [](forms::TElement& sender) { PageOf(sender.Form()).cmbMachineNameChange(); }},
  };
  return design;
}

TFrNTComponentAbstractProperty::TFrNTComponentAbstractProperty()
    : TFrNTComponentAbstractProperty(MachineNameDesign("FrNTComponentAbstractProperty", 0)) {}

TFrNTComponentAbstractProperty::TFrNTComponentAbstractProperty(forms::TFormDesign design)
    : TExtPropertyPage(std::move(design)) {}

void TFrNTComponentAbstractProperty::ValueChanged() {
  if (!FLoading) MarkModified();
}

void TFrNTComponentAbstractProperty::LoadFromObject() {
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  // Loads nest when a load changes a box whose click loads the page again.
  struct TLoadingGuard {
    bool& loading;
    bool before;
    ~TLoadingGuard() { loading = before; }
  } guard{FLoading, FLoading};
  FLoading = true;

  const UniqueBstr localMachine = AnsiToBstr("");
  VARIANT server;
  VariantInit(&server);
  server.vt = VT_BSTR;
  server.bstrVal = localMachine.get();
  const ComPtr<IDispatch> servers =
      VariantToDispatch(*CallByName(*edited, L"GetServers", DISPATCH_METHOD, {server}).get());
  const std::vector<std::string> names = CollectionStrings(*servers.get());
  forms::TElement& selector = cmbMachineName();
  selector.SetItems(names);

  const std::string machine =
      VariantToString(*CallByName(*edited, L"MachineName", DISPATCH_PROPERTYGET).get());
  int selected = -1;
  for (size_t i = 0; i < names.size() && selected < 0; ++i) {
    if (SameTextIgnoringCase(names[i], machine)) selected = static_cast<int>(i);
  }
  selector.SetItemIndex(selected);

  ReadValues();
}

void TFrNTComponentAbstractProperty::ApplyToObject() {
  TExtPropertyPage::ApplyToObject();
  try {
    WriteValues();
  } catch (const std::exception& error) {
    MessageBoxA(HasWindow() ? Handle() : nullptr, error.what(), Caption().c_str(),
                MB_ICONERROR | MB_OK);
    // Show what the control really holds after the failed write.
    LoadFromObject();
    Repaint();
  }
  ClearEditSelections();
}

void TFrNTComponentAbstractProperty::cmbMachineNameChange() {
  // The page's other values (credentials) must reach the control before the machine name,
  // because the control connects to the new machine as soon as its name changes.
  ApplyToObject();
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  PutStringByName(*edited, L"MachineName", cmbMachineName().Text());
  LoadFromObject();
}

void TFrNTComponentAbstractProperty::FormActivate() {
  LoadFromObject();
  ClearEditSelections();
  Repaint();
}

void TFrNTComponentAbstractProperty::ClearEditSelections() {
  for (const auto& element : Elements()) {
    const bool plainEdit = element->Kind() == forms::TElementKind::Edit ||
                           element->Kind() == forms::TElementKind::Memo;
    if (plainEdit && element->Design().parent.empty() && element->Handle() != nullptr) {
      PostMessageA(element->Handle(), EM_SETSEL, 0, 0);
    }
  }
}

void TFrNTComponentAbstractProperty::Repaint() {
  if (!HasWindow()) return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::unique_ptr<TExtPropertyPage> CreateMachineNamePage() {
  return std::make_unique<TFrNTComponentAbstractProperty>();
}

}  // namespace corvane::pages
