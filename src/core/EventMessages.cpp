#include "core/EventMessages.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/EventLog.h"
#include "core/MessageTable.h"
#include "framework/OleSysError.h"
#include "framework/AsciiText.h"
#include "framework/StringList.h"
#include "system/BrowsReg.h"
#include "system/ErrorText.h"

namespace corvane {
namespace {

std::string SearchKey(TBrowseRegistry& reader, const std::string& path, const std::string& keyName) {
  if (reader.OpenKey(path) != ERROR_SUCCESS) return {};
  TStringList names;
  reader.GetKeyNames(names);
  reader.CloseKey();
  for (const auto& name : names) {
    if (SameAsciiIgnoringCase(name, keyName)) return path;
    std::string found = SearchKey(reader, path + "\\" + name, keyName);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

std::string FindKeyPath(HKEY root, const std::string& startPath, const std::string& keyName) {
  TBrowseRegistry reader;
  reader.SetRootKey(root);
  reader.SetAccess(KEY_ENUMERATE_SUB_KEYS);
  std::string start = startPath;
  if (!start.empty() && start.back() == '\\') start.pop_back();
  return SearchKey(reader, start, keyName);
}

std::string DescriptionNotFound(const TEventItem& item) {
  std::string text = "The description for Event ID ( " + std::to_string(item.EventId() & 0xFFFF) +
                     " ) in Source ( " + item.SourceName() +
                     " ) could not be found. It contains the following insertion string(s): .";
  for (int i = 0; i < item.StringCount(); ++i) {
    text += "\r\n";
    text += item.StringAt(i);
  }
  return text;
}

namespace {

// Entries of the argument table the formatter can reach: %99, and two more for the widths
// and precisions ("%99!*.*s!") that take arguments of their own.
constexpr int kReachableArguments = 101;

// The formatter with the item's insertion strings, from `source` as `flags` say.
bool FormatWithStrings(DWORD flags, const void* source, DWORD eventId, const TEventItem& item,
                       std::string& text) {
  // Unused entries stay null.
  const int count = std::min(item.StringCount(), kMaxMessageArguments);
  std::vector<DWORD_PTR> arguments(static_cast<size_t>(std::max(count, kReachableArguments)) + 1, 0);
  for (int i = 0; i < count; ++i)
    arguments[static_cast<size_t>(i)] = reinterpret_cast<DWORD_PTR>(item.StringAt(i).data());
  // The formatter ends what it writes with a zero.
  const std::unique_ptr<char[]> buffer(new char[kMessageBufferSize]);
  const DWORD length =
      FormatMessageA(flags | FORMAT_MESSAGE_ARGUMENT_ARRAY, source, eventId, 0, buffer.get(),
                     kMessageBufferSize, reinterpret_cast<va_list*>(arguments.data()));
  if (length == 0) return false;
  text.assign(buffer.get());
  return true;
}

}  // namespace

bool FormatEventMessage(HMODULE module, const TEventItem& item, std::string& text) {
  return FormatWithStrings(FORMAT_MESSAGE_FROM_HMODULE, module, item.EventId(), item, text);
}

bool FormatEventText(const char* message, const TEventItem& item, std::string& text) {
  return FormatWithStrings(FORMAT_MESSAGE_FROM_STRING, message, 0, item, text);
}

std::string ExpandSystemRoot(std::string path) {
  static const std::string variable = "%SystemRoot%";
  const size_t at = path.find(variable);
  if (at == std::string::npos) return path;
  path.erase(at, variable.size());
  std::vector<char> directory(kMessageBufferSize, '\0');
  SetLastError(0);
  const UINT length = GetWindowsDirectoryA(directory.data(), kMessageBufferSize);
  if (length == 0 || length >= kMessageBufferSize) RaiseLastSystemError();
  return std::string(directory.data(), length) + path;
}

namespace {

// True when every byte of [begin, begin + size) is mapped readable: a damaged resource
// directory can place a resource beyond the module's own mapping.
bool Readable(const void* begin, size_t size) {
  const auto* p = static_cast<const uint8_t*>(begin);
  const uint8_t* const end = p + size;
  while (p < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(p, &region, sizeof region) == 0 || region.State != MEM_COMMIT ||
        (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0)
      return false;
    p = static_cast<const uint8_t*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// Every language's message table of the module must pass the check, since the formatter may
// choose any of them.
BOOL CALLBACK CheckTableLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language,
                                 LONG_PTR sound) noexcept {
  bool& result = *reinterpret_cast<bool*>(sound);
  const HRSRC resource = FindResourceExA(module, type, name, language);
  const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* table = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = resource ? SizeofResource(module, resource) : 0;
  try {
    if (!table || !Readable(table, size)) throw EOleSysError("unreadable", kSystemErrorCode);
    CheckMessageTable(table, size);
  } catch (const EOleSysError&) {
    result = false;
  }
  return result;
}

bool MessageTablesSound(HMODULE module) {
  bool sound = true;
  EnumResourceLanguagesA(module, RT_MESSAGETABLE, MAKEINTRESOURCEA(1), CheckTableLanguage,
                         reinterpret_cast<LONG_PTR>(&sound));
  return sound;
}

}  // namespace

TUniqueModule LoadMessageModule(const std::string& path) {
  if (path.empty()) return {};
  TUniqueModule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  // A module whose table cannot be trusted is as good as one without the message.
  if (module && !MessageTablesSound(module.get())) module.reset();
  return module;
}

std::string TVEVivudAre::GetMessageFile(const std::string& sourceName) {
  return messages_->MessageFile(sourceName);
}

std::string TVEVivudAre::Items(int index) { return messages_->Text(Objects(index)); }

}  // namespace corvane
