#include "SimulatedNetwork.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <set>
#include <mutex>
#include <vector>

#include "Machine.h"
#include "framework/AnsiText.h"
#include "evtsvc/network/NameText.h"
#include "evtsvc/network/NetworkErrors.h"

namespace corvane::network {
namespace {

constexpr wchar_t kNetworkVariable[] = L"CORVANE_NETWORK";

std::wstring Variable(const wchar_t* name) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length);
  }
}

std::wstring_view WithoutBackslashes(std::wstring_view name) {
  while (!name.empty() && name.front() == L'\\') name.remove_prefix(1);
  return name;
}

bool IsLocalName(std::wstring_view name) {
  name = WithoutBackslashes(name);
  if (name.empty()) return true;
  for (COMPUTER_NAME_FORMAT kind : {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
    if (SameName(ToU16(name), ToU16(evtsvc::ComputerNameOfKind(kind)))) return true;
  }
  return SameName(ToU16(name), u"localhost") || SameName(ToU16(name), u"127.0.0.1");
}

// A system function answers with an error code alone, which cannot say which of the network's
// files is at fault: that is told on standard error as well, once per process for each fault.
[[noreturn]] void Report(const EOleSysError& failure) {
  static std::mutex mutex;
  static auto* told = new std::set<std::string>;
  {
    std::lock_guard lock(mutex);
    if (told->insert(failure.Message()).second) {
      std::fprintf(stderr, "simulated network: %s\n", failure.Message().c_str());
      std::fflush(stderr);
    }
  }
  throw failure;
}

// Under Wine a Linux path ("/home/me/net") names the folder through drive Z:, whatever drive
// is current.
std::wstring HostFolder(std::wstring folder) {
  static const bool underWine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (underWine && folder.size() >= 2 && folder[0] == L'/' && folder[1] != L'/') folder.insert(0, L"Z:");
  return folder;
}

}  // namespace

std::shared_ptr<const TNetwork> CurrentNetwork() {
  const std::wstring folder = HostFolder(Variable(kNetworkVariable));
  if (folder.empty()) return nullptr;
  // Kept for the life of the process: handles and buffers refer into the networks.
  static std::mutex mutex;
  static auto* loaded = new std::map<std::wstring, std::shared_ptr<const TNetwork>>;
  std::lock_guard lock(mutex);
  auto& network = (*loaded)[folder];
  if (!network) {
    try {
      network = TNetwork::Load(std::filesystem::path(folder), ToU16(evtsvc::ComputerNameOfKind(ComputerNameNetBIOS)),
                              [](std::string_view text) { return AnsiToU16(text); });
    } catch (const EOleSysError& failure) {
      Report(failure);
    }
  }
  return network;
}

Target Resolve(std::wstring_view machine) {
  const std::shared_ptr<const TNetwork> network = CurrentNetwork();
  if (IsLocalName(machine)) {
    if (network && !network->Local()) {
      for (const std::u16string& name : {std::u16string(u"localhost"), ToU16(evtsvc::ComputerNameOfKind(ComputerNameNetBIOS))})
        if (const EOleSysError* failure = network->Broken(name)) Report(*failure);
    }
    Target local{TReach::Local, {network, network ? network->Local() : nullptr}};
    return local;
  }
  if (network) {
    const std::u16string name = ToU16(WithoutBackslashes(machine));
    if (const THost* host = network->Find(name)) {
      if (host->IsLocal()) return {TReach::Local, {network, host}};
      return {TReach::Simulated, {network, host}};
    }
    if (const EOleSysError* failure = network->Broken(name)) Report(*failure);
  }
  return {};
}

Target Resolve(const char* machine) {
  if (!machine) return Resolve(std::wstring_view());
  const std::u16string wide = AnsiToU16(machine);
  return Resolve(std::wstring_view(reinterpret_cast<const wchar_t*>(wide.data()), wide.size()));
}

Target Resolve(const wchar_t* machine) {
  return Resolve(machine ? std::wstring_view(machine) : std::wstring_view());
}

}  // namespace corvane::network
