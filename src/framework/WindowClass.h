// A window class of this module, registered on first use and unregistered when the module
// unloads, so a library that is unloaded and loaded again finds no stale class in its way.
#pragma once

#include <windows.h>

namespace corvane {

// The module holding this code (the library, or the program it is linked into).
HINSTANCE ThisModule();

class TWindowClass {
 public:
  TWindowClass(const char* name, WNDPROC procedure, UINT style = 0);
  ~TWindowClass();
  TWindowClass(const TWindowClass&) = delete;
  TWindowClass& operator=(const TWindowClass&) = delete;

  // Raises the registration's error when the class could not be registered.
  const char* Name() const;
  HINSTANCE Instance() const { return instance_; }

 private:
  const char* name_;
  HINSTANCE instance_;
  bool registered_ = false;
  DWORD error_ = 0;
};

}  // namespace corvane
