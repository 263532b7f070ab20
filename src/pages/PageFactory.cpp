#include "pages/PageFactory.h"

#include <cstdio>

#include "framework/com/AnsiConversion.h"
#include "framework/com/ModuleLock.h"

namespace corvane::pages {

std::string GuidString(const GUID& guid) {
  char text[39];
  std::snprintf(text, sizeof(text), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

std::string TExtActiveXPropertyPageFactory::Description() const {
  return std::string(page_.formClassName) + " property page";
}

std::vector<TRegistryEntry> TExtActiveXPropertyPageFactory::RegistryEntries(
    const std::string& serverPath) const {
  const std::string classKey = "CLSID\\" + GuidString(page_.clsid);
  return {{classKey, Description()}, {classKey + "\\InprocServer32", serverPath}};
}

ServedClass ServePage(const TPageClass& page) {
  ComPtr<TExtActiveXPropertyPageFactory> factory = Make<TExtActiveXPropertyPageFactory>(page);
  const TExtActiveXPropertyPageFactory* pageFactory = factory.get();
  // The served class holds the factory, so the entries' view of it stays valid.
  auto entries = [pageFactory](const std::wstring& modulePath) {
    std::vector<RegistryEntry> written;
    for (const TRegistryEntry& entry : pageFactory->RegistryEntries(WideToAnsi(modulePath))) {
      written.push_back({AnsiToWide(entry.key), L"", AnsiToWide(entry.value)});
    }
    return written;
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
