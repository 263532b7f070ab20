// Registers one of the built type libraries for a test suite, as the server's registration
// would; a registration found in place is left as it was found.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "framework/com/ComPtr.h"
#include "framework/com/UniqueBstr.h"

namespace corvane::test {

class TypeLibRegistration {
 public:
  // `file` in the build's output folder `dir` (a Windows path).
  TypeLibRegistration(const GUID& libid, const std::string& dir, const wchar_t* file) : libid_(libid) {
    UniqueBstr path;
    wasRegistered_ = SUCCEEDED(QueryPathOfRegTypeLib(libid, 1, 0, 0, path.put()));
    std::wstring full(dir.begin(), dir.end());
    full += L"\\";
    full += file;
    ComPtr<ITypeLib> library;
    if (SUCCEEDED(LoadTypeLibEx(full.c_str(), REGKIND_NONE, library.put()))) {
      registered_ = SUCCEEDED(RegisterTypeLib(library.get(), full.data(), nullptr));
    }
  }
  ~TypeLibRegistration() {
    if (!wasRegistered_) UnRegisterTypeLib(libid_, 1, 0, 0, SYS_WIN64);
  }
  TypeLibRegistration(const TypeLibRegistration&) = delete;
  TypeLibRegistration& operator=(const TypeLibRegistration&) = delete;
  bool Registered() const { return registered_; }

 private:
  GUID libid_;
  bool wasRegistered_ = false;
  bool registered_ = false;
};

}  // namespace corvane::test
