// A window class of this module, registered on first use and unregistered when the module
// unloads, so a library that is unloaded and loaded again finds no stale class in its way.
// Each kind of window of ours keeps one as a function-local static.
#pragma once

#include <windows.h>

namespace corvane {

// The module (DLL or program) this code was linked into, whose resources and window classes
// are ours.
HINSTANCE ThisModule();

class TWindowClass {
 public:
  TWindowClass(const char* name, WNDPROC procedure, UINT style = 0, HBRUSH background = nullptr);
  ~TWindowClass();
  TWindowClass(const TWindowClass&) = delete;
  TWindowClass& operator=(const TWindowClass&) = delete;

  // Raises the registration's failure, if it failed.
  void Require() const;
  // The name to create windows with; raises the registration's failure first.
  const char* Name() const {
    Require();
    return name_;
  }
  HINSTANCE Instance() const { return instance_; }

 private:
  const char* name_;
  HINSTANCE instance_;
  bool registered_ = false;
  DWORD error_ = 0;
};

}  // namespace corvane
