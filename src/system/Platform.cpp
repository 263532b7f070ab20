#include "system/Platform.h"

namespace corvane {
namespace {

class RealPlatform final : public SystemPlatform {
 public:
  HMODULE LoadLibrary(const char* name) override { return ::LoadLibraryA(name); }
  void* GetProcAddress(HMODULE module, const char* name) override {
    return reinterpret_cast<void*>(::GetProcAddress(module, name));
  }
  int MessageBox(const char* text, const char* caption, UINT style) override {
    return ::MessageBoxA(nullptr, text, caption, style);
  }
  BOOL GetVersionEx(OSVERSIONINFOA* info) override {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExA(info);
#pragma GCC diagnostic pop
  }
  std::string Environment(const char* name) override {
    char buffer[1024];
    const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length == 0) return {};
    if (length < sizeof buffer) return std::string(buffer, length);
    std::string value(length, '\0');
    const DWORD written = ::GetEnvironmentVariableA(name, value.data(), length);
    value.resize(written < length ? written : 0);
    return value;
  }
};

RealPlatform realPlatform;
SystemPlatform* current = &realPlatform;

}  // namespace

SystemPlatform& Platform() { return *current; }

ScopedPlatform::ScopedPlatform(SystemPlatform& platform) : saved_(current) { current = &platform; }
ScopedPlatform::~ScopedPlatform() { current = saved_; }

}  // namespace corvane
