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

TWindowClass::TWindowClass(const char* name, WNDPROC procedure, UINT style, HBRUSH background)
    : name_(name), instance_(ThisModule()) {
  WNDCLASSEXA info{};
  info.cbSize = sizeof(info);
  info.style = style;
  info.lpfnWndProc = procedure;
  info.hInstance = instance_;
  info.hbrBackground = background;
  info.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  info.lpszClassName = name;
  registered_ = RegisterClassExA(&info) != 0;
  if (!registered_) {
    error_ = GetLastError();
    // Another copy of this code in the same module got there first: the class is usable.
    if (error_ == ERROR_CLASS_ALREADY_EXISTS) error_ = 0;
  }
}

TWindowClass::~TWindowClass() {
  if (registered_) UnregisterClassA(name_, instance_);
}

void TWindowClass::Require() const {
  if (error_ == 0) return;
  throw EOleSysError(std::to_string(error_) + ": the window class " + name_ +
                         " cannot be registered",
                     kSystemErrorCode);
}

}  // namespace corvane
