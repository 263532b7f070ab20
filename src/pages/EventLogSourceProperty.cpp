#include "pages/EventLogSourceProperty.h"

#include <vector>

#include "framework/forms/Element.h"
#include "pages/LateBinding.h"

namespace corvane::pages {

namespace {

TFrEventLogSourceProperty& PageOf(forms::TForm& form) {
  return static_cast<TFrEventLogSourceProperty&>(form);
}

}  // namespace

forms::TFormDesign TFrEventLogSourceProperty::SourceDesign(std::string caption, int helpContext,
                                                           int sourceTabOrder) {
  using forms::TElementKind;
  forms::TFormDesign design = MachineNameDesign(std::move(caption), helpContext);
  for (forms::TElementDesign& element : design.elements) {
    if (element.name == "cmbMachineName") {
      element.bounds.left = 80;
      element.bounds.width = 109;
    }
  }
  design.elements.insert(
      design.elements.end(),
      {
          {.kind = TElementKind::Label, .name = "lblSource", .caption = "Source",
           .bounds = {200, 9, 34, 13}},
          {.kind = TElementKind::DropDownList, .name = "cmbSource", .bounds = {242, 5, 83, 21},
           .tabOrder = sourceTabOrder, .itemHeight = 13,
           .onChange = [](forms::TElement& sender) { PageOf(sender.Form()).cmbSourceChange(); }},
          {.kind = TElementKind::CheckBox, .name = "cbxActive", .caption = "Active",
           .bounds = {350, 7, 53, 17}, .tabOrder = sourceTabOrder + 1,
           .onClick = [](forms::TElement& sender) { PageOf(sender.Form()).cbxActiveClick(); }},
      });
  return design;
}

TFrEventLogSourceProperty::TFrEventLogSourceProperty(forms::TFormDesign design)
    : TFrNTComponentAbstractProperty(std::move(design)) {}

void TFrEventLogSourceProperty::WriteValues() {
  TFrNTComponentAbstractProperty::WriteValues();
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  PutStringByName(*edited, L"SourceName", cmbSource().Text());
}

void TFrEventLogSourceProperty::cmbSourceChange() {
  ApplyToObject();
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  PutStringByName(*edited, L"SourceName", cmbSource().Text());
  PutBooleanByName(*edited, L"Active", false);
  LoadFromObject();
}

void TFrEventLogSourceProperty::cbxActiveClick() {
  ApplyToObject();
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  // A refused open (no source, say) raises here, before the reload; the next load shows the
  // control's real state again.
  PutBooleanByName(*edited, L"Active", cbxActive().Checked());
  LoadFromObject();
}

void TFrEventLogSourceProperty::ReadRecordCount() {
  FRecordCount = 0;
  IDispatch* edited = EditedObject();
  if (edited == nullptr || !GetBooleanByName(*edited, L"Active")) return;
  FRecordCount = VariantToInteger(*CallByName(*edited, L"Count", DISPATCH_PROPERTYGET).get());
}

void TFrEventLogSourceProperty::ReadSourceAndActive() {
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  const ComPtr<IDispatch> sources =
      VariantToDispatch(*CallByName(*edited, L"GetEventSources", DISPATCH_METHOD).get());
  const std::vector<std::string> names = CollectionStrings(*sources.get());
  forms::TElement& selector = cmbSource();
  selector.SetItems(names);
  const std::string source =
      VariantToString(*CallByName(*edited, L"SourceName", DISPATCH_PROPERTYGET).get());
  int selected = -1;
  for (size_t i = 0; i < names.size() && selected < 0; ++i) {
    if (lstrcmpiA(names[i].c_str(), source.c_str()) == 0) selected = static_cast<int>(i);
  }
  selector.SetItemIndex(selected);

  cbxActive().SetChecked(GetBooleanByName(*edited, L"Active"));
}

}  // namespace corvane::pages
