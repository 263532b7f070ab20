#include "pages/PropPageX.h"

#include <cstring>
#include <exception>

#include "framework/OleSysError.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/ComBoundary.h"
#include "framework/com/UniqueTaskMem.h"

namespace corvane::pages {

namespace {

const ErrorOrigin kPageOrigin{IID_IPropertyPage, nullptr};

// A copy the frame frees with the task allocator.
UniqueTaskMem<wchar_t> TaskString(const std::string& text) {
  const std::wstring wide = AnsiToWide(text);
  auto copy = UniqueTaskMem<wchar_t>::Allocate(wide.size() + 1);
  std::memcpy(copy.get(), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  return copy;
}

}  // namespace

TExtPropertyPage::TExtPropertyPage(forms::TFormDesign design) : TForm(std::move(design)) {
  SetValueChangeHandler([this](forms::TElement&) { ValueChanged(); });
}

void TExtPropertyPage::MarkModified() {
  if (implementation_ != nullptr) implementation_->MarkModified();
}

void TExtPropertyPage::ClearEditedObjects() {
  editedObject_.reset();
  editedObjects_.clear();
}

void TExtPropertyPage::SetEditedObjects(ULONG count, IUnknown** objects) {
  ClearEditedObjects();
  std::vector<ComPtr<IUnknown>> held;
  for (ULONG i = 0; i < count; ++i) {
    if (objects[i] == nullptr) throw EOleSysError("An edited object is missing", E_POINTER);
    held.push_back(ComPtr<IUnknown>::Copy(objects[i]));
  }
  if (!held.empty()) editedObject_ = held.front().query<IDispatch>();
  editedObjects_ = std::move(held);
}

void TExtPropertyPageImpl::MarkModified() {
  if (!active_) return;
  modified_ = true;
  if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
}

HRESULT TExtPropertyPageImpl::SetPageSite(IPropertyPageSite* site) noexcept {
  site_ = ComPtr<IPropertyPageSite>::Copy(site);
  return S_OK;
}

HRESULT TExtPropertyPageImpl::Activate(HWND parent, LPCRECT bounds, BOOL) noexcept {
  return ComBoundary(kPageOrigin, [&] {
    if (bounds == nullptr) throw EOleSysError("No page rectangle", E_POINTER);
    form_->Attach(parent, *bounds);
    if (form_->EditedObject() != nullptr) form_->LoadFromObject();
    active_ = true;
    modified_ = false;
  });
}

HRESULT TExtPropertyPageImpl::Deactivate() noexcept {
  return ComBoundary(kPageOrigin, [&] {
    active_ = false;
    form_->Detach();
  });
}

HRESULT TExtPropertyPageImpl::GetPageInfo(PROPPAGEINFO* info) noexcept {
  if (info == nullptr) return E_POINTER;
  // The strings go to the frame only when everything succeeded, so a failure leaks none.
  UniqueTaskMem<wchar_t> title, helpFile;
  int32_t helpContext = 0;
  const HRESULT result = ComBoundary(kPageOrigin, [&] {
    std::exception_ptr titleFailure;
    try {
      title = TaskString(form_->Caption());
    } catch (...) {
      titleFailure = std::current_exception();
    }
    // The help file and context are filled in whatever became of the title.
    helpFile = TaskString(form_->GetHelpFileName());
    helpContext = form_->GetHelpContext();
    if (titleFailure) std::rethrow_exception(titleFailure);
  });
  const ULONG size = info->cb;
  std::memset(info, 0, sizeof(*info));
  info->cb = size;
  if (FAILED(result)) return result;
  info->pszTitle = title.release();
  info->size = SIZE{form_->Design().width, form_->Design().height};
  info->pszHelpFile = helpFile.release();
  info->dwHelpContext = static_cast<DWORD>(helpContext);
  return result;
}

HRESULT TExtPropertyPageImpl::SetObjects(ULONG count, IUnknown** objects) noexcept {
  return ComBoundary(kPageOrigin, [&]() -> HRESULT {
    form_->ClearEditedObjects();
    if (objects == nullptr) return E_POINTER;
    form_->SetEditedObjects(count, objects);
    return S_OK;
  });
}

HRESULT TExtPropertyPageImpl::Show(UINT command) noexcept {
  return ComBoundary(kPageOrigin, [&] { form_->Show(command != 0); });
}

HRESULT TExtPropertyPageImpl::Move(LPCRECT bounds) noexcept {
  return ComBoundary(kPageOrigin, [&] {
    if (bounds == nullptr) throw EOleSysError("No page rectangle", E_POINTER);
    form_->SetBounds(*bounds);
  });
}

HRESULT TExtPropertyPageImpl::IsPageDirty() noexcept { return modified_ ? S_OK : S_FALSE; }

HRESULT TExtPropertyPageImpl::Apply() noexcept {
  return ComBoundary(kPageOrigin, [&] {
    form_->ApplyToObject();
    modified_ = false;
    NotifyPropertySinks();
  });
}

// Containers that refresh their property browser only when told see the applied values.
void TExtPropertyPageImpl::NotifyPropertySinks() {
  IDispatch* edited = form_->EditedObject();
  if (edited == nullptr) return;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(edited->QueryInterface(IID_IConnectionPointContainer, container.put_void()))) return;
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put()))) return;
  ComPtr<IEnumConnections> connections;
  const HRESULT listed = point->EnumConnections(connections.put());
  if (FAILED(listed)) throw EOleSysError("The property change connections cannot be listed", listed);
  CONNECTDATA connection{};
  ULONG fetched = 0;
  while (connections->Next(1, &connection, &fetched) == S_OK && fetched == 1) {
    ComPtr<IUnknown> sink;
    sink.attach(connection.pUnk);
    if (auto notify = sink.try_query<IPropertyNotifySink>()) notify->OnChanged(DISPID_UNKNOWN);
  }
}

HRESULT TExtPropertyPageImpl::Help(LPCOLESTR) noexcept { return E_NOTIMPL; }

HRESULT TExtPropertyPageImpl::TranslateAccelerator(MSG*) noexcept {
  // Tab and the arrow keys then move between the form's controls inside the frame's dialog.
  if (form_->HasWindow()) {
    const HWND window = form_->Handle();
    SetWindowLongPtrA(window, GWL_EXSTYLE,
                      GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  }
  return S_FALSE;
}

HRESULT TExtPropertyPageImpl::EditProperty(DISPID) noexcept { return E_NOTIMPL; }

TExtActiveXPropertyPage::TExtActiveXPropertyPage(std::unique_ptr<TExtPropertyPage> form)
    : form_(std::move(form)) {
  Link(*form_);
  form_->SetImplementation(this);
}

TExtActiveXPropertyPage::~TExtActiveXPropertyPage() { form_.reset(); }

}  // namespace corvane::pages
