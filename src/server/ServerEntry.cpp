#include "server/ServerEntry.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>

#include "server/LibraryStart.h"
#include "framework/OleSysError.h"
#include "framework/com/ComBoundary.h"
#include "framework/com/ComPtr.h"
#include "framework/com/ModuleLock.h"

namespace corvane {
namespace {

const ErrorOrigin kServerOrigin{};

// Registers the persistent library lying beside the module; false when it cannot be loaded or
// registered.
bool RegisterPersistentLibrary(const std::wstring& modulePath) {
  const std::wstring path =
      modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1) + L"VuvazeRUridazorar.tlb";
  ComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()))) return false;
  return SUCCEEDED(RegisterTypeLib(library.get(), const_cast<wchar_t*>(path.c_str()), nullptr));
}

bool RegisterClasses() {
  try {
    Server().Register();
    return true;
  } catch (const EOleSysError&) {
    return false;
  }
}

}  // namespace

HRESULT ServerGetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    StartLibrary();
  } catch (...) {
    return ReportCurrentException(kServerOrigin);
  }
  return Server().GetClassObject(clsid, iid, out);
}

HRESULT ServerCanUnloadNow() noexcept { return ModuleLock::CanUnload() ? S_OK : S_FALSE; }

HRESULT ServerRegister() noexcept {
  return ComBoundary(kServerOrigin, [] {
    StartLibrary();
    if (!RegisterClasses() || !RegisterPersistentLibrary(Server().ModulePath())) {
      throw EOleSysError(kCannotRegisterTypeLibrary, SELFREG_E_TYPELIB);
    }
  });
}

HRESULT ServerUnregister() noexcept {
  const HRESULT result = ComBoundary(kServerOrigin, [] {
    StartLibrary();
    Server().Unregister();
  });
  return FAILED(result) ? E_FAIL : S_OK;
}

}  // namespace corvane
