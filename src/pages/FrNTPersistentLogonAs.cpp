#include "pages/FrNTPersistentLogonAs.h"

#include "framework/forms/Element.h"
#include "pages/LateBinding.h"

namespace corvane::pages {

namespace {

forms::TFormDesign LogonAsDesign() {
  using forms::TElementKind;
  forms::TFormDesign design = TFrNTComponentAbstractProperty::MachineNameDesign("LogonAs", 1102);
  const char* note =
      "In order to have full access to the managed computer you must have \r\n"
      "administrative privileges. You may use LogonAs property to provide administrative \r\n"
      "logon. The session with new credentials will be established at the moment of \r\n"
      "changing MachineName propety.";
  design.elements.insert(
      design.elements.end(),
      {
          {.kind = TElementKind::Label, .name = "Label1", .caption = "UserName",
           .bounds = {2, 49, 50, 13}},
          {.kind = TElementKind::Label, .name = "Label2", .caption = "Password",
           .bounds = {2, 77, 46, 13}},
          {.kind = TElementKind::Edit, .name = "edtUserName", .bounds = {94, 44, 145, 21},
           .tabOrder = 1},
          {.kind = TElementKind::PasswordEdit, .name = "edtPassword", .bounds = {94, 72, 145, 21},
           .tabOrder = 2},
          {.kind = TElementKind::Panel, .name = "Panel1", .bounds = {0, 104, 409, 77},
           .tabOrder = 3, .enabled = false},
          // Reads as plain text on the page: no frame, no scroll bar, the page's own colour.
          {.kind = TElementKind::Memo, .name = "Memo1", .caption = note, .bounds = {4, 8, 389, 53},
           .parent = "Panel1", .readOnly = true, .border = false, .scrollBar = false,
           .colour = design.colour},
      });
  return design;
}

ComPtr<IDispatch> Credentials(IDispatch& edited) {
  return VariantToDispatch(*CallByName(edited, L"LogonAs", DISPATCH_PROPERTYGET).get());
}

}  // namespace

TFrmNTPersistentLogonAs::TFrmNTPersistentLogonAs()
    : TFrNTComponentAbstractProperty(LogonAsDesign()) {}

void TFrmNTPersistentLogonAs::WriteValues() {
  TFrNTComponentAbstractProperty::WriteValues();
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  const ComPtr<IDispatch> credentials = Credentials(*edited);
  PutStringByName(*credentials.get(), L"UserName", edtUserName().Text());
  PutStringByName(*credentials.get(), L"Password", edtPassword().Text());
}

void TFrmNTPersistentLogonAs::ReadValues() {
  TFrNTComponentAbstractProperty::ReadValues();
  IDispatch* edited = EditedObject();
  if (edited == nullptr) return;
  const ComPtr<IDispatch> credentials = Credentials(*edited);
  edtUserName().SetText(
      VariantToString(*CallByName(*credentials.get(), L"UserName", DISPATCH_PROPERTYGET).get()));
  edtPassword().SetText(
      VariantToString(*CallByName(*credentials.get(), L"Password", DISPATCH_PROPERTYGET).get()));
  ClearEditSelections();
}

std::unique_ptr<TExtPropertyPage> CreateLogonAsPage() {
  return std::make_unique<TFrmNTPersistentLogonAs>();
}

const TPageClass kLogonAsPage = {kLogonAsPageClsid, "TFrmNTPersistentLogonAs", &CreateLogonAsPage};

}  // namespace corvane::pages
