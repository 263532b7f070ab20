#include "pages/PageFactory.h"

#include "framework/com/AnsiConversion.h"
#include "framework/com/ModuleLock.h"

namespace corvane::pages {

std::string TExtActiveXPropertyPageFactory::Description() const {
  return std::string(page_.formClassName) + " property page";
}

std::vector<RegistryEntry> TExtActiveXPropertyPageFactory::RegistryEntries(
    const std::wstring& serverPath) const {
  // The path stays wide all the way: a folder named outside the ANSI code page must register.
  const std::wstring classKey = L"CLSID\\" + GuidString(page_.clsid);
  return {{classKey, L"", AnsiToWide(Description())},
          {classKey + L"\\InprocServer32", L"", serverPath}};
}

ServedClass ServePage(const TPageClass& page) {
  ComPtr<TExtActiveXPropertyPageFactory> factory = Make<TExtActiveXPropertyPageFactory>(page);
  const TExtActiveXPropertyPageFactory* pageFactory = factory.get();
  // The served class holds the factory, so the entries' view of it stays valid.
  auto entries = [pageFactory](const std::wstring& modulePath) {
    return pageFactory->RegistryEntries(modulePath);
  };
  return {page.clsid, ComPtr<IClassFactory>::Copy(factory.get()), entries};
}

HRESULT TExtActiveXPropertyPageFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                       void** object) noexcept {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // A page is a whole object of its own; nothing aggregates it.
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return Boundary<IClassFactory>([&]() -> HRESULT {
    auto page = Make<TExtActiveXPropertyPage>(page_.createForm());
    return page->QueryInterface(iid, object);
  });
}

HRESULT TExtActiveXPropertyPageFactory::LockServer(BOOL lock) noexcept {
  if (lock) {
    ModuleLock::Lock();
  } else {
    ModuleLock::Unlock();
  }
  return S_OK;
}

}  // namespace corvane::pages
