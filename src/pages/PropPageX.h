// The property page machinery: the page form base, the object that serves the OLE page
// interfaces for it, the page COM object and its class factory. A concrete page is a form derived
// from TExtPropertyPage; everything a host's property frame does reaches it through here.
#pragma once

#include <ocidl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"
#include "framework/forms/Form.h"

namespace corvane::pages {

class TExtPropertyPageImpl;

// The page form. The frame places it, so it has no border of its own.
class TExtPropertyPage : public forms::TForm {
 public:
  explicit TExtPropertyPage(forms::TFormDesign design);
  virtual ~TExtPropertyPage() = default;

  // Pages write their values to EditedObject here...
  virtual void ApplyToObject() {}
  // ...and fill their controls from it here.
  virtual void LoadFromObject() {}
  virtual std::string GetHelpFileName() const = 0;
  virtual int32_t GetHelpContext() const { return Design().helpContext; }

  // The page holds changes not yet applied; only counts while the page is active.
  void MarkModified();

  // The first edited object, or null.
  IDispatch* EditedObject() const { return editedObject_.get(); }
  const std::vector<ComPtr<IUnknown>>& EditedObjects() const { return editedObjects_; }

  // Used by the implementation object.
  void SetImplementation(TExtPropertyPageImpl* implementation) { implementation_ = implementation; }
  void ClearEditedObjects();
  // Raises when an object is null or the first one has no dispatch interface.
  void SetEditedObjects(ULONG count, IUnknown** objects);

 protected:
  // Every value change of an editing control on the form.
  virtual void ValueChanged() { MarkModified(); }

 private:
  TExtPropertyPageImpl* implementation_ = nullptr;
  ComPtr<IDispatch> editedObject_;
  std::vector<ComPtr<IUnknown>> editedObjects_;
};

// Serves IPropertyPage2 for a page form. It is a base of the page COM object, so its IUnknown is
// the page's own: one identity, one reference count.
class TExtPropertyPageImpl : public IPropertyPage2 {
 public:
  using AnsweredInterfaces = InterfaceList<IPropertyPage2, IPropertyPage>;

  void Link(TExtPropertyPage& form) { form_ = &form; }
  void MarkModified();

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) noexcept override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT bounds, BOOL modal) noexcept override;
  HRESULT STDMETHODCALLTYPE Deactivate() noexcept override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) noexcept override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) noexcept override;
  HRESULT STDMETHODCALLTYPE Show(UINT command) noexcept override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT bounds) noexcept override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() noexcept override;
  HRESULT STDMETHODCALLTYPE Apply() noexcept override;
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDirectory) noexcept override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) noexcept override;
  HRESULT STDMETHODCALLTYPE EditProperty(DISPID member) noexcept override;

 protected:
  TExtPropertyPageImpl() = default;
  ~TExtPropertyPageImpl() = default;

 private:
  void NotifyPropertySinks();

  TExtPropertyPage* form_ = nullptr;
  ComPtr<IPropertyPageSite> site_;
  bool active_ = false;
  bool modified_ = false;
};

// What a factory needs to know of one page: its class identifier, the form's class name (the
// registered description is made from it) and how to make the form.
struct TPageClass {
  CLSID clsid;
  const char* formClassName;
  std::unique_ptr<TExtPropertyPage> (*createForm)();
};

// The page COM object. It owns the form and frees it before its implementation base goes.
class TExtActiveXPropertyPage final
    : public ComObject<TExtActiveXPropertyPage, TExtPropertyPageImpl> {
 public:
  static constexpr bool kCountsInModule = true;

  explicit TExtActiveXPropertyPage(std::unique_ptr<TExtPropertyPage> form);
  ~TExtActiveXPropertyPage();

  TExtPropertyPage& Form() { return *form_; }

 private:
  std::unique_ptr<TExtPropertyPage> form_;
};

}  // namespace corvane::pages
