// The library's COM server: the factories of the classes it serves, the lookup behind
// DllGetClassObject, and the registration of the classes and of the module's embedded type
// library (resource 1).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/com/ClassFactory.h"

namespace corvane {

// One class the server serves: its factory and what it writes at registration for a module path
// (given in its registered form).
struct ServedClass {
  CLSID clsid = GUID_NULL;
  ComPtr<IClassFactory> factory;
  std::function<std::vector<RegistryEntry>(const std::wstring& modulePath)> entries;
};

class ComServer {
 public:
  explicit ComServer(HMODULE module) : module_(module) {}

  void AddFactory(ComPtr<ClassFactory> factory);
  void AddClass(ServedClass served);
  // Releases the factory of `clsid`, if there is one.
  void RemoveFactory(REFCLSID clsid) noexcept;

  // DllGetClassObject: CLASS_E_CLASSNOTAVAILABLE with a null object for a class no factory serves.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const noexcept;

  // Every factory's entries, in the order they were added, then the embedded type library.
  // Raises EOleSysError.
  void Register() const;
  // Every factory's entries in reverse, then the embedded type library when the automation
  // library offers UnRegisterTypeLib. Raises EOleSysError.
  void Unregister() const;

  HMODULE Module() const noexcept { return module_; }
  // The module's full path; raises when the system cannot say.
  std::wstring ModulePath() const;

 private:
  HMODULE module_;
  std::vector<ServedClass> classes_;
};

// The module that holds the code at `address` (the library's own, given the address of one of
// its functions), without taking a reference on it.
HMODULE ModuleOf(const void* address);

}  // namespace corvane
