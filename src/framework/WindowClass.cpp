#include "framework/WindowClass.h"

#include <string>

#include "framework/OleSysError.h"

namespace corvane {

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

TWindowClass::TWindowClass(const char* name, WNDPROC procedure, UINT style)
    : name_(name), instance_(ThisModule()) {
  WNDCLASSEXA info{};
  info.cbSize = sizeof(info);
  info.style = style;
  info.lpfnWndProc = procedure;
  info.hInstance = instance_;
  info.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  info.lpszClassName = name;
  registered_ = RegisterClassExA(&info) != 0;
  if (!registered_) {
    error_ = GetLastError();
    if (error_ == ERROR_CLASS_ALREADY_EXISTS) error_ = 0;
  }
}

TWindowClass::~TWindowClass() {
  if (registered_) UnregisterClassA(name_, instance_);
}

const char* TWindowClass::Name() const {
  if (error_ != 0) {
    throw EOleSysError(std::to_string(error_) + ": the window class " + name_ +
                           " cannot be registered",
                       kSystemErrorCode);
  }
  return name_;
}

}  // namespace corvane
