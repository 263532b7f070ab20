#include "SystemFolders.h"

#include <windows.h>

#include <string_view>

namespace corvane::evtsvc {
namespace {

bool RedirectedProcess() {
  static const bool redirected = [] {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
  }();
  return redirected;
}

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring result(folder, length);
  if (result.back() != L'\\') result += L'\\';
  return result;
}

// Whether `path` starts with `<windows>\folder` followed by a backslash or its end.
bool InFolder(const std::wstring& path, const std::wstring& windows, std::wstring_view folder) {
  const std::wstring prefix = windows + std::wstring(folder);
  if (windows.size() <= 1 || path.size() < prefix.size()) return false;
  if (path.size() > prefix.size() && path[prefix.size()] != L'\\') return false;
  return CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Swap(const std::wstring& path, const std::wstring& windows, std::wstring_view from,
                  std::wstring_view to) {
  // The path's own spelling of the Windows folder is kept (upper case in a canonical name).
  return path.substr(0, windows.size()) + std::wstring(to) + path.substr(windows.size() + from.size());
}

}  // namespace

std::wstring NativeSystemPath(const std::wstring& path) {
  if (!RedirectedProcess()) return path;
  const std::wstring windows = WindowsFolder();
  if (!InFolder(path, windows, L"system32")) return path;
  return Swap(path, windows, L"system32", L"Sysnative");
}

std::wstring UnredirectedName(const std::wstring& upperPath) {
  if (!RedirectedProcess()) return upperPath;
  const std::wstring windows = WindowsFolder();
  if (InFolder(upperPath, windows, L"SYSNATIVE")) {
    return Swap(upperPath, windows, L"SYSNATIVE", L"SYSTEM32");
  }
  if (InFolder(upperPath, windows, L"SYSTEM32")) {
    return Swap(upperPath, windows, L"SYSTEM32", L"SYSWOW64");
  }
  return upperPath;
}

}  // namespace corvane::evtsvc
