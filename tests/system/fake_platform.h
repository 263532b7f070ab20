// A platform that records what library start asks of it and answers as a chosen system would.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/Platform.h"

namespace corvane::testing {

class RecordingPlatform : public SystemPlatform {
 public:
  struct Box {
    std::string text, caption;
    UINT style;
  };

  DWORD platformId = VER_PLATFORM_WIN32_NT;
  std::set<std::string> missingLibraries;
  std::set<std::string> missingExports;
  std::map<std::string, std::string> environment;
  BOOL versionResult = TRUE;
  DWORD versionError = 0;

  std::vector<std::string> loads;
  std::vector<std::string> lookups;  // "library!export"
  std::vector<Box> boxes;

  HMODULE LoadLibrary(const char* name) override {
    loads.emplace_back(name);
    if (missingLibraries.count(name)) return nullptr;
    handles_.push_back(name);
    return reinterpret_cast<HMODULE>(handles_.size());
  }
  void* GetProcAddress(HMODULE module, const char* name) override {
    const std::string library = handles_.at(reinterpret_cast<size_t>(module) - 1);
    lookups.push_back(library + "!" + name);
    if (missingExports.count(name)) return nullptr;
    // A distinct, never-called address per lookup.
    return reinterpret_cast<void*>(0x10000 + lookups.size());
  }
  int MessageBox(const char* text, const char* caption, UINT style) override {
    boxes.push_back({text, caption, style});
    return IDOK;
  }
  BOOL GetVersionEx(OSVERSIONINFOA* info) override {
    if (!versionResult) {
      ::SetLastError(versionError);
      return FALSE;
    }
    info->dwPlatformId = platformId;
    return TRUE;
  }
  std::string Environment(const char* name) override {
    auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
  }

 private:
  std::vector<std::string> handles_;
};

}  // namespace corvane::testing
