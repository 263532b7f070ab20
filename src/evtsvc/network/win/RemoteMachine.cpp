#include "RemoteMachine.h"

#include <map>
#include <mutex>

#include "SimulatedNetwork.h"
#include "Win32Error.h"
#include "evtsvc/network/NameText.h"

namespace corvane::network {
namespace {

using evtsvc::ThrowWin32;
using evtsvc::UniqueKey;

// The log code reads a machine's registry through real keys. For a simulated machine they are
// a copy of its registry made once per process: volatile keys below this process's own key,
// which a later process of the same id replaces and the registry forgets when it stops.
constexpr wchar_t kCopiesKey[] = L"Software\\Corvane\\Simulated registries";

void Check(LSTATUS status) {
  if (status != ERROR_SUCCESS) ThrowWin32(static_cast<DWORD>(status));
}

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

UniqueKey CreateVolatile(HKEY parent, const std::wstring& name) {
  UniqueKey key;
  Check(RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr));
  return key;
}

void CopyKey(const RegKey& from, HKEY to) {
  for (const TRegValue& value : from.Values()) {
    Check(RegSetValueExW(to, Wide(value.name).c_str(), 0, value.type, value.data.data(),
                         static_cast<DWORD>(value.data.size())));
  }
  for (const auto& subkey : from.Subkeys()) {
    const UniqueKey child = CreateVolatile(to, Wide(subkey->Name()));
    CopyKey(*subkey, child.get());
  }
}

// The path, below HKEY_CURRENT_USER, of this process's copy of the host's registry.
std::wstring CopyOf(const THost& host) {
  static std::mutex mutex;
  static auto* made = new std::map<const THost*, std::wstring>;
  std::lock_guard lock(mutex);
  if (auto found = made->find(&host); found != made->end()) return found->second;

  const std::wstring processKey = std::wstring(kCopiesKey) + L"\\" + std::to_wstring(GetCurrentProcessId());
  if (made->empty()) {
    // Left by an earlier process with this id.
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, processKey.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ThrowWin32(static_cast<DWORD>(status));
  }
  UniqueKey copies;
  Check(RegCreateKeyExW(HKEY_CURRENT_USER, kCopiesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY,
                        nullptr, copies.put(), nullptr));
  const UniqueKey process = CreateVolatile(copies.get(), std::to_wstring(GetCurrentProcessId()));
  const std::wstring name = Wide(host.Name());
  RegDeleteTreeW(process.get(), name.c_str());
  const UniqueKey root = CreateVolatile(process.get(), name);
  CopyKey(host.Registry(), root.get());
  return made->emplace(&host, processKey + L"\\" + name).first->second;
}

size_t FindIgnoringCase(const std::wstring& text, std::wstring_view part, size_t from) {
  for (size_t at = from; at + part.size() <= text.size(); ++at) {
    const std::wstring_view piece = std::wstring_view(text).substr(at, part.size());
    if (SameName(std::u16string(piece.begin(), piece.end()), std::u16string(part.begin(), part.end()))) return at;
  }
  return std::wstring::npos;
}

class TRemoteMachine final : public evtsvc::TMachine {
 public:
  explicit TRemoteMachine(THostRef host) : host_(std::move(host)) {}

  bool IsLocal() const override { return false; }

  std::wstring ComputerName() const override { return Wide(host_.host->Name()); }

  // The machine's own Windows folder is its folder of the network. Other environment
  // references are the remote machine's and stay as they are.
  std::wstring ExpandPath(const std::wstring& value) const override {
    const std::wstring root = host_.host->Folder().wstring();
    std::wstring text = value;
    for (std::wstring_view variable : {L"%SystemRoot%", L"%windir%"}) {
      for (size_t at = 0; (at = FindIgnoringCase(text, variable, at)) != std::wstring::npos;) {
        text.replace(at, variable.size(), root);
        at += root.size();
      }
    }
    return text;
  }

  UniqueKey OpenKey(const std::wstring& path, REGSAM access, bool create, bool* created) const override {
    const std::wstring full = CopyOf(*host_.host) + (path.empty() ? L"" : L"\\" + path);
    UniqueKey key;
    if (create) {
      DWORD disposition = 0;
      Check(RegCreateKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, REG_OPTION_VOLATILE, access, nullptr,
                            key.put(), &disposition));
      if (created) *created = disposition == REG_CREATED_NEW_KEY;
      return key;
    }
    const LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, access, key.put());
    if (status == ERROR_FILE_NOT_FOUND) return {};
    Check(status);
    return key;
  }

 private:
  THostRef host_;
};

}  // namespace

std::shared_ptr<const evtsvc::TMachine> FindRemoteMachine(std::wstring_view name) {
  const Target target = Resolve(name);
  if (target.reach != TReach::Simulated) return nullptr;
  // One object per machine for the life of the process, as for the local machine.
  static std::mutex mutex;
  static auto* machines = new std::map<const THost*, std::shared_ptr<const evtsvc::TMachine>>;
  std::lock_guard lock(mutex);
  auto& machine = (*machines)[target.host.host];
  if (!machine) machine = std::make_shared<TRemoteMachine>(target.host);
  return machine;
}

}  // namespace corvane::network
