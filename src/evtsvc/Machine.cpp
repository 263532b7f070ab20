#include "Machine.h"

#include <array>
#include <vector>

#include "RemoteMachine.h"
#include "SystemFolders.h"
#include "Win32Error.h"
#include "framework/AnsiText.h"

namespace corvane::evtsvc {

std::wstring ComputerNameOfKind(COMPUTER_NAME_FORMAT kind) {
  DWORD size = 0;
  GetComputerNameExW(kind, nullptr, &size);
  if (size == 0) return {};
  std::wstring name(size, L'\0');
  if (!GetComputerNameExW(kind, name.data(), &size)) return {};
  name.resize(size);
  return name;
}

namespace {

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return !a.empty() && a.size() == b.size() &&
         CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class TLocalMachine final : public TMachine {
 public:
  bool IsLocal() const override { return true; }

  std::wstring ComputerName() const override {
    std::array<wchar_t, MAX_COMPUTERNAME_LENGTH + 1> name{};
    DWORD size = static_cast<DWORD>(name.size());
    if (!GetComputerNameW(name.data(), &size)) ThrowLastError();
    return std::wstring(name.data(), size);
  }

  std::wstring ExpandPath(const std::wstring& value) const override {
    std::wstring text = value;
    static constexpr std::wstring_view kSystemRoot = L"%SystemRoot%";
    for (size_t at = 0; (at = FindIgnoringCase(text, kSystemRoot, at)) != std::wstring::npos;) {
      const std::wstring root = SystemRoot();
      text.replace(at, kSystemRoot.size(), root);
      at += root.size();
    }
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) ThrowLastError();
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) ThrowLastError();
    expanded.resize(written - 1);
    return NativeSystemPath(expanded);
  }

  UniqueKey OpenKey(const std::wstring& path, REGSAM access, bool create,
                    bool* created) const override {
    UniqueKey key;
    LSTATUS status;
    if (create) {
      DWORD disposition = 0;
      status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access, nullptr, key.put(), &disposition);
      if (created) *created = disposition == REG_CREATED_NEW_KEY;
    } else {
      status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key.put());
      if (status == ERROR_FILE_NOT_FOUND) return {};
    }
    if (status != ERROR_SUCCESS) ThrowWin32(static_cast<DWORD>(status));
    return key;
  }

 private:
  static std::wstring SystemRoot() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      const UINT length = GetSystemWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
      if (length == 0) ThrowLastError();
      if (length < buffer.size()) return std::wstring(buffer.data(), length);
      buffer.resize(length + 1);
    }
  }

  static size_t FindIgnoringCase(const std::wstring& text, std::wstring_view part, size_t from) {
    for (size_t at = from; at + part.size() <= text.size(); ++at) {
      if (SameNameIgnoringCase(std::wstring_view(text).substr(at, part.size()), part)) return at;
    }
    return std::wstring::npos;
  }
};

bool IsLocalName(std::wstring_view name) {
  while (!name.empty() && name.front() == L'\\') name.remove_prefix(1);
  if (name.empty()) return true;
  for (COMPUTER_NAME_FORMAT kind :
       {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
    if (SameNameIgnoringCase(name, ComputerNameOfKind(kind))) return true;
  }
  return SameNameIgnoringCase(name, L"localhost") || SameNameIgnoringCase(name, L"127.0.0.1");
}

}  // namespace

std::shared_ptr<const TMachine> FindMachine(std::wstring_view name) {
  // Created once and never destroyed: handles may outlive every other object at process exit.
  static const auto* local = new std::shared_ptr<const TMachine>(std::make_shared<TLocalMachine>());
  return IsLocalName(name) ? *local : corvane::network::FindRemoteMachine(name);
}

std::shared_ptr<const TMachine> FindMachine(const char* name) {
  if (!name) return FindMachine(std::wstring_view());
  const std::wstring wide = AnsiToWide(name);
  return FindMachine(std::wstring_view(wide));
}

std::shared_ptr<const TMachine> FindMachine(const wchar_t* name) {
  return FindMachine(name ? std::wstring_view(name) : std::wstring_view());
}

}  // namespace corvane::evtsvc
