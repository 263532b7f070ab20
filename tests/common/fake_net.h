// Stand-ins for the network-management functions, installed in the table entries by tests.
// Each enumeration are delivered in pages of `pageSize` with
// ERROR_MORE_DATA and a resume handle, as the system does.
#pragma once

#include <windows.h>
#include <lm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "system/NetApi32.h"
#include "system/TableEntry.h"

namespace corvane::testing {

struct FakeEnumeration {
  std::vector<std::wstring> names;
  size_t pageSize = 2;
  // Total reported with each page; by default the number of names.
  long total = -1;
  // The call (0-based) that fails with `failCode`; -1 for none.
  int failAt = -1;
  DWORD failCode = 53;
  // Result of the last page (0 normally).
  DWORD lastResult = NERR_Success;
  // Deliver pages but report ERROR_MORE_DATA with no names from this call on; -1 for never.
  int emptyFrom = -1;

  // What the calls received.
  int calls = 0;
  std::vector<std::wstring> servers;
  std::vector<DWORD> levels, maxLengths, filters, serverTypes, resumes;
  std::vector<bool> domainsNull;
};

// One per enumeration function.
inline FakeEnumeration fakeUsers;
inline FakeEnumeration fakeGroups;
inline FakeEnumeration fakeLocalGroups;
inline FakeEnumeration fakeServers;
// Buffers handed out and given back through NetApiBufferFree, over all fakes.
inline int buffersAllocated = 0;
inline int buffersFreed = 0;

// A buffer of `count` one-name records (each a single LPWSTR) followed by their strings, as
// the system packs a level-0 or level-100 answer.
inline LPBYTE PackNames(const std::vector<std::wstring>& names, size_t first, size_t count,
                        size_t recordSize) {
  size_t size = count * recordSize;
  for (size_t i = 0; i < count; ++i) size += (names[first + i].size() + 1) * sizeof(WCHAR);
  auto* buffer = static_cast<LPBYTE>(std::calloc(1, size ? size : 1));
  auto* text = reinterpret_cast<WCHAR*>(buffer + count * recordSize);
  for (size_t i = 0; i < count; ++i) {
    const std::wstring& name = names[first + i];
    std::memcpy(text, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
    // The name pointer is the last field of the record (level 100 has a platform id before it).
    std::memcpy(buffer + i * recordSize + recordSize - sizeof(LPWSTR), &text, sizeof(LPWSTR));
    text += name.size() + 1;
  }
  ++buffersAllocated;
  return buffer;
}

template <class Resume>
NET_API_STATUS Page(FakeEnumeration& f, LPCWSTR server, DWORD level, LPBYTE* buffer,
                    DWORD maxLength, LPDWORD read, LPDWORD total, Resume* resume,
                    size_t recordSize) {
  const int call = f.calls++;
  f.servers.emplace_back(server ? server : L"(null)");
  f.levels.push_back(level);
  f.maxLengths.push_back(maxLength);
  f.resumes.push_back(resume ? static_cast<DWORD>(*resume) : 0xFFFFFFFF);
  *buffer = nullptr;
  *read = 0;
  *total = 0;
  if (call == f.failAt) return f.failCode;
  if (f.emptyFrom >= 0 && call >= f.emptyFrom) {
    *total = static_cast<DWORD>(f.names.size());
    return ERROR_MORE_DATA;
  }
  const size_t first = static_cast<size_t>(*resume);
  const size_t count = std::min(f.pageSize, f.names.size() - std::min(first, f.names.size()));
  *buffer = PackNames(f.names, first, count, recordSize);
  *read = static_cast<DWORD>(count);
  *total = static_cast<DWORD>(f.total >= 0 ? f.total : static_cast<long>(f.names.size()));
  if (first + count < f.names.size()) {
    *resume = static_cast<Resume>(first + count);
    return ERROR_MORE_DATA;
  }
  *resume = 0;
  return f.lastResult;
}

inline NET_API_STATUS WINAPI FakeUserEnum(LPCWSTR server, DWORD level, DWORD filter, LPBYTE* buffer,
                                          DWORD maxLength, LPDWORD read, LPDWORD total,
                                          LPDWORD resume) {
  fakeUsers.filters.push_back(filter);
  return Page(fakeUsers, server, level, buffer, maxLength, read, total, resume,
              sizeof(USER_INFO_0));
}

inline NET_API_STATUS WINAPI FakeGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer,
                                           DWORD maxLength, LPDWORD read, LPDWORD total,
                                           PDWORD_PTR resume) {
  return Page(fakeGroups, server, level, buffer, maxLength, read, total, resume,
              sizeof(GROUP_INFO_0));
}

inline NET_API_STATUS WINAPI FakeServerEnum(LMCSTR server, DWORD level, LPBYTE* buffer,
                                            DWORD maxLength, LPDWORD read, LPDWORD total,
                                            DWORD serverType, LMCSTR domain, LPDWORD resume) {
  fakeServers.serverTypes.push_back(serverType);
  fakeServers.domainsNull.push_back(domain == nullptr);
  return Page(fakeServers, server, level, buffer, maxLength, read, total, resume,
              sizeof(SERVER_INFO_100));
}

inline NET_API_STATUS WINAPI FakeBufferFree(LPVOID buffer) {
  ++buffersFreed;
  std::free(buffer);
  return NERR_Success;
}

inline NET_API_STATUS WINAPI FakeLocalGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer,
                                                DWORD maxLength, LPDWORD read, LPDWORD total,
                                                PDWORD_PTR resume) {
  return Page(fakeLocalGroups, server, level, buffer, maxLength, read, total, resume,
              sizeof(LOCALGROUP_INFO_0));
}

// Installs the fakes for one test and puts the real entries back afterwards.
class FakeNetwork {
 public:
  FakeNetwork()
      : users_(NetApi.NetUserEnum, &FakeUserEnum),
        groups_(NetApi.NetGroupEnum, &FakeGroupEnum),
        localGroups_(NetApi.NetLocalGroupEnum, &FakeLocalGroupEnum),
        servers_(NetApi.NetServerEnum, &FakeServerEnum),
        free_(NetApi.NetApiBufferFree, &FakeBufferFree) {
    fakeUsers = FakeEnumeration();
    fakeGroups = FakeEnumeration();
    fakeLocalGroups = FakeEnumeration();
    fakeServers = FakeEnumeration();
    buffersAllocated = 0;
    buffersFreed = 0;
  }

 private:
  ScopedEntry<decltype(&::NetUserEnum)> users_;
  ScopedEntry<decltype(&::NetGroupEnum)> groups_;
  ScopedEntry<decltype(&::NetLocalGroupEnum)> localGroups_;
  ScopedEntry<decltype(&::NetServerEnum)> servers_;
  ScopedEntry<decltype(&::NetApiBufferFree)> free_;
};

}  // namespace corvane::testing
