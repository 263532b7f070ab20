// Registers one of the built type libraries for a test suite, as the server's registration
// would, under the locale the library itself carries (a lookup under another locale misses it).
// A registration found in place under that locale is not removed afterwards.
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
    std::wstring full(dir.begin(), dir.end());
    full += L"\\";
    full += file;
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(full.c_str(), REGKIND_NONE, library.put()))) return;
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes))) return;
    locale_ = attributes->lcid;
    system_ = attributes->syskind;
    library->ReleaseTLibAttr(attributes);
    UniqueBstr path;
    wasRegistered_ = SUCCEEDED(QueryPathOfRegTypeLib(libid, 1, 0, locale_, path.put()));
    registered_ = SUCCEEDED(RegisterTypeLib(library.get(), full.data(), nullptr));
  }
  ~TypeLibRegistration() {
    if (registered_ && !wasRegistered_) UnRegisterTypeLib(libid_, 1, 0, locale_, system_);
  }
  TypeLibRegistration(const TypeLibRegistration&) = delete;
  TypeLibRegistration& operator=(const TypeLibRegistration&) = delete;
  bool Registered() const { return registered_; }

 private:
  GUID libid_;
  LCID locale_ = 0;
  SYSKIND system_ = SYS_WIN64;
  bool wasRegistered_ = false;
  bool registered_ = false;
};

}  // namespace corvane::test
