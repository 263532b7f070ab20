// The network-management function table.
#pragma once

#include <windows.h>
#include <lm.h>

#include "system/NT_vs_95.h"

namespace corvane {

#define CORVANE_NET_ENTRIES(X)                                                          \
  X(NetServerEnum) X(NetApiBufferFree) X(NetUserEnum) X(NetUserGetInfo)                 \
  X(NetQueryDisplayInformation) X(NetGetDisplayInformationIndex) X(NetGroupEnum)        \
  X(NetLocalGroupEnum) X(NetUserGetGroups) X(NetUserGetLocalGroups)                     \
  X(NetLocalGroupAddMembers) X(NetLocalGroupDelMembers) X(NetGroupAddUser)              \
  X(NetGroupDelUser) X(NetLocalGroupAdd) X(NetLocalGroupDel) X(NetGroupAdd)             \
  X(NetGroupDel) X(NetUserSetInfo) X(NetUserAdd) X(NetUserDel) X(NetGroupGetUsers)      \
  X(NetLocalGroupGetMembers) X(NetLocalGroupSetMembers) X(NetGroupSetUsers)             \
  X(NetGroupGetInfo) X(NetGroupSetInfo) X(NetLocalGroupGetInfo)                         \
  X(NetLocalGroupSetInfo) X(NetShareGetInfo) X(NetShareSetInfo) X(NetServerGetInfo)     \
  X(NetSessionEnum) X(NetSessionDel) X(NetFileEnum) X(NetFileClose) X(NetShareAdd)      \
  X(NetShareDel) X(NetShareEnum) X(NetGetAnyDCName) X(NetGetDCName)

class TNetFunctions : public FunctionTable {
 public:
  CORVANE_NET_ENTRIES(CORVANE_DECLARE_ENTRY)
  template <class Visit>
  void ForEach(Visit&& visit) {
    CORVANE_NET_ENTRIES(CORVANE_VISIT_ENTRY)
  }
};

extern TNetFunctions NetApi;

}  // namespace corvane
