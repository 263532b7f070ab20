// What one COM class writes under the classes root when the library registers itself, as a list
// of entries in writing order, so that unregistration can walk the same list backwards.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The extra entries of an ActiveX control.
struct ControlSettings {
  GUID libid = GUID_NULL;
  WORD majorVersion = 1;
  WORD minorVersion = 0;
  DWORD miscStatus = 0;
  int toolboxBitmap = 0;
  // One entry per verb, in verb order, each already in its registered form ("Name,0,2").
  std::vector<std::wstring> verbs;
};

struct ClassRegistration {
  CLSID clsid = GUID_NULL;
  std::wstring description;
  // Empty: the class has no program identifier.
  std::wstring progId;
  // Empty: no ThreadingModel value (single-threaded).
  std::wstring threadingModel;
  std::optional<ControlSettings> control;
};

// One key under the classes root and, when `value` is set, one string value in it (`name` empty
// for the default value). A key without a value is created empty.
struct RegistryEntry {
  std::wstring key;
  std::wstring name;
  std::optional<std::wstring> value;
};

// The path a registration stores: the short form when the full path contains a blank, since
// some hosts split the stored path at the first blank.
std::wstring RegisteredModulePath(const std::wstring& fullPath);

std::wstring GuidString(const GUID& guid);

std::vector<RegistryEntry> RegistryEntries(const ClassRegistration& registration,
                                           const std::wstring& modulePath);

// On 64-bit Windows each width keeps its own CLSID keys (its registry view) while both share
// the program identifiers. Whether `clsid` is registered in the other width's view for a module
// other than `modulePath` (registered form); false where there is no other view.
bool RegisteredInOtherView(const CLSID& clsid, const std::wstring& modulePath);
// Whether `entry` lies in a key both views share.
bool SharedBetweenViews(const RegistryEntry& entry);

// Creates the keys and sets the values, in order; a failure raises EOleSysError.
void WriteRegistryEntries(HKEY root, const std::vector<RegistryEntry>& entries);
// Deletes the entries' keys in reverse order, each after the keys below it. A key already gone
// is no error; any other failure raises EOleSysError.
void RemoveRegistryEntries(HKEY root, const std::vector<RegistryEntry>& entries);

}  // namespace corvane
