#include "framework/com/ComServer.h"

#include <oleauto.h>

#include <utility>

#include "framework/OleSysError.h"

namespace corvane {

void ComServer::AddFactory(ComPtr<ClassFactory> factory) {
  const ClassRegistration& registration = factory->Registration();
  const CLSID clsid = registration.clsid;
  auto entries = [&registration](const std::wstring& path) {
    return RegistryEntries(registration, path);
  };
  // The registration lives in the factory, which the served class keeps alive.
  AddClass({clsid, ComPtr<IClassFactory>::Copy(factory.get()), entries});
}

void ComServer::AddClass(ServedClass served) { classes_.push_back(std::move(served)); }

void ComServer::RemoveFactory(REFCLSID clsid) noexcept {
  std::erase_if(classes_,
                [&](const ServedClass& served) { return IsEqualCLSID(served.clsid, clsid); });
}

HRESULT ComServer::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const ServedClass& served : classes_) {
    if (IsEqualCLSID(served.clsid, clsid)) return served.factory->QueryInterface(iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

std::wstring ComServer::ModulePath() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module_, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      throw EOleSysError("Cannot read the module's file name", HRESULT_FROM_WIN32(GetLastError()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

namespace {

ComPtr<ITypeLib> LoadEmbeddedTypeLib(const std::wstring& modulePath) {
  ComPtr<ITypeLib> library;
  const HRESULT result = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.put());
  if (FAILED(result)) throw EOleSysError("Cannot load the module's type library", result);
  return library;
}

}  // namespace

void ComServer::Register() const {
  const std::wstring path = ModulePath();
  const std::wstring registered = RegisteredModulePath(path);
  for (const ServedClass& served : classes_) {
    WriteRegistryEntries(HKEY_CLASSES_ROOT, served.entries(registered));
  }
  ComPtr<ITypeLib> library = LoadEmbeddedTypeLib(path);
  const HRESULT result =
      RegisterTypeLib(library.get(), const_cast<wchar_t*>(path.c_str()), nullptr);
  if (FAILED(result)) throw EOleSysError("Cannot register the module's type library", result);
}

void ComServer::Unregister() const {
  const std::wstring path = ModulePath();
  const std::wstring registered = RegisteredModulePath(path);
  for (auto served = classes_.rbegin(); served != classes_.rend(); ++served) {
    std::vector<RegistryEntry> entries = served->entries(registered);
    // The other width's registration of the class still needs the keys both views share.
    if (RegisteredInOtherView(served->clsid, registered)) std::erase_if(entries, SharedBetweenViews);
    RemoveRegistryEntries(HKEY_CLASSES_ROOT, entries);
  }
  // Older automation libraries lack the function: the library then stays registered.
  using UnRegisterFunction = decltype(&::UnRegisterTypeLib);
  HMODULE automation = GetModuleHandleW(L"oleaut32.dll");
  auto unregister = automation ? reinterpret_cast<UnRegisterFunction>(reinterpret_cast<void*>(
                                     GetProcAddress(automation, "UnRegisterTypeLib")))
                               : nullptr;
  if (unregister == nullptr) return;
  ComPtr<ITypeLib> library = LoadEmbeddedTypeLib(path);
  TLIBATTR* attributes = nullptr;
  HRESULT result = library->GetLibAttr(&attributes);
  if (FAILED(result)) throw EOleSysError("Cannot read the module's type library", result);
  const TLIBATTR copy = *attributes;
  library->ReleaseTLibAttr(attributes);
  result = unregister(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
  if (FAILED(result)) throw EOleSysError("Cannot unregister the module's type library", result);
}

HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<LPCWSTR>(address), &module);
  return module;
}

}  // namespace corvane
