// The few platform services that library start depends on, behind one interface so that the
// binding logic can be exercised with a recording fake (other platforms, missing libraries).
#pragma once

#include <windows.h>

#include <string>

namespace corvane {

class SystemPlatform {
 public:
  virtual ~SystemPlatform() = default;
  virtual HMODULE LoadLibrary(const char* name) = 0;
  virtual void* GetProcAddress(HMODULE module, const char* name) = 0;
  virtual int MessageBox(const char* text, const char* caption, UINT style) = 0;
  virtual BOOL GetVersionEx(OSVERSIONINFOA* info) = 0;
  // The value of an environment variable; empty when it is not set.
  virtual std::string Environment(const char* name) = 0;
};

// The platform in use: the real one unless a test installed another with ScopedPlatform.
SystemPlatform& Platform();

class ScopedPlatform {
 public:
  explicit ScopedPlatform(SystemPlatform& platform);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  SystemPlatform* saved_;
};

}  // namespace corvane
