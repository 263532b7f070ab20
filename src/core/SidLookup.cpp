#include "core/SidLookup.h"

#include <windows.h>

#include <cstring>
#include <mutex>

#include "core/SidStore.h"
#include "system/NTCommon.h"
#include "system/NT_vs_95.h"
#include "system/Security.h"

namespace corvane {

namespace {

constexpr DWORD kNameBufferSize = 128;

// The cache is the process's, and any thread that reads a record's user name comes here (a host
// may run one control per apartment on threads of its own). Held only around the cache, never
// across the lookup itself, which may wait on the network.
std::mutex cacheLock;

std::string FromBuffer(const char* buffer) {
  return std::string(buffer, strnlen(buffer, kNameBufferSize));
}

}  // namespace

bool LookupAccountBySid(const std::string& machineName, const void* sid, std::string& accountName,
                        std::string& domainName) {
  accountName.clear();
  domainName.clear();
  if (!sid) return false;
  // Without the security functions (their library missing) no name can be had: the same answer
  // as a machine that cannot name the account.
  if (!SecurityApi.GetLengthSid || !EventLogApi.LookupAccountSidA || !EventLogApi.EqualSid) {
    return false;
  }
  PSID psid = const_cast<void*>(sid);
  const DWORD length = SecurityApi.GetLengthSid(psid);
  if (length == 0 || length > SECURITY_MAX_SID_SIZE) return false;

  TSidStore& store = GlobalSidStore();
  {
    std::lock_guard lock(cacheLock);
    const int index = store.IndexOf(sid, static_cast<int32_t>(length));
    if (index >= 0) {
      store.GetNames(index, accountName, domainName);
      return true;
    }
  }

  char account[kNameBufferSize] = {};
  char domain[kNameBufferSize] = {};
  DWORD accountSize = kNameBufferSize;
  DWORD domainSize = kNameBufferSize;
  SID_NAME_USE use = SidTypeUnknown;
  if (!EventLogApi.LookupAccountSidA(StringOrNull(machineName), psid, account, &accountSize,
                                     domain, &domainSize, &use)) {
    return false;
  }
  std::string foundAccount = FromBuffer(account);
  std::string foundDomain = FromBuffer(domain);
  if (EventLogApi.EqualSid(psid, const_cast<BYTE*>(kLocalSystemSid.data()))) foundDomain.clear();

  {
    // Another thread may have named the same SID meanwhile: one entry per SID.
    std::lock_guard lock(cacheLock);
    if (store.IndexOf(sid, static_cast<int32_t>(length)) < 0)
      store.Add(sid, static_cast<int32_t>(length), foundAccount, foundDomain);
  }
  accountName = std::move(foundAccount);
  domainName = std::move(foundDomain);
  return true;
}

}  // namespace corvane
