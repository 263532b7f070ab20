#include "system/FileStamp.h"

#include <windows.h>
// After windows.h:
#include <winternl.h>

#include "framework/AnsiText.h"

namespace corvane {
namespace {

// The one query that gives the change time by path; NT only, exported by its native layer.
using TQueryFullAttributesFile = LONG(NTAPI*)(POBJECT_ATTRIBUTES, PFILE_NETWORK_OPEN_INFORMATION);

TQueryFullAttributesFile QueryFullAttributesFile() {
  static const auto query = [] {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<TQueryFullAttributesFile>(
                       reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryFullAttributesFile")))
                 : nullptr;
  }();
  return query;
}

uint64_t Ticks(const LARGE_INTEGER& time) { return static_cast<uint64_t>(time.QuadPart); }

}  // namespace

std::optional<TFileStamp> ReadFileStamp(const std::string& path) {
  const TQueryFullAttributesFile query = QueryFullAttributesFile();
  if (!query || path.empty() || path.size() > MAX_PATH) return std::nullopt;
  // The system's own name for a full path with a drive: "\??\C:\dir\file".
  std::wstring name = L"\\??\\" + AnsiToWide(path);
  UNICODE_STRING unicode;
  unicode.Buffer = name.data();
  unicode.Length = unicode.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &unicode, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  FILE_NETWORK_OPEN_INFORMATION information{};
  if (query(&attributes, &information) < 0) return std::nullopt;
  return TFileStamp{static_cast<uint64_t>(information.EndOfFile.QuadPart), Ticks(information.CreationTime),
                    Ticks(information.LastWriteTime), Ticks(information.ChangeTime)};
}

}  // namespace corvane
