#include "core/EventMessages.h"

#include <cstdio>
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

// The formatter with the item's insertion strings, from `source` as `flags` say.
bool FormatWithStrings(DWORD flags, const void* source, DWORD eventId, const TEventItem& item,
                       std::string& text) {
  // Unused entries stay null; %1 to %99 are all the formatter can reach.
  std::vector<DWORD_PTR> arguments(kMaxMessageArguments + 1, 0);
  const int count = std::min(item.StringCount(), kMaxMessageArguments);
  for (int i = 0; i < count; ++i)
    arguments[static_cast<size_t>(i)] = reinterpret_cast<DWORD_PTR>(item.StringAt(i).data());
  std::vector<char> buffer(kMessageBufferSize, '\0');
  const DWORD length =
      FormatMessageA(flags | FORMAT_MESSAGE_ARGUMENT_ARRAY, source, eventId, 0, buffer.data(),
                     kMessageBufferSize, reinterpret_cast<va_list*>(arguments.data()));
  if (length == 0) return false;
  text.assign(buffer.data());
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
  std::string start = kEventLogKeyPath;
  if (SameAsciiIgnoringCase(sourceName, "SECURITY")) start += "\\Security";
  const std::string found = messageSources_->FindKeyPath(start, sourceName);
  if (found.empty()) return {};
  std::string file;
  TBrowseRegistry& registry = Registry();
  if (registry.OpenKey(found + "\\" + sourceName) == ERROR_SUCCESS) {
    try {
      // A key without the value names no module: so it is with a log's own key, which is what
      // the search finds for a source named like its log.
      file = registry.ReadOptionalString("EventMessageFile").value_or("");
    } catch (...) {
      registry.CloseKey();
      throw;
    }
    registry.CloseKey();
  }
  return ExpandSystemRoot(file);
}

std::string TVEVivudAre::Items(int index) {
  const TEventItem& item = Objects(index);
  const std::string& source = item.SourceName();
  if (source.empty()) return {};
  // The whole lookup is kept only while it reads the registry the watch is on.
  const std::string file =
      registry_->RootKey() == HKEY_LOCAL_MACHINE
          ? messageSources_->MessageFile(source, [&] { return GetMessageFile(source); })
          : GetMessageFile(source);
  std::string text;
  if (messageFiles_->Format(file, item, text)) return text;
  return DescriptionNotFound(item);
}

}  // namespace corvane
