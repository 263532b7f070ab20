// Account names of SIDs through the process-wide cache.
#pragma once

#include <string>

namespace corvane {

// Names of the account `sid` (a valid SID) as `machineName` (empty: the local machine) resolves
// it, from the cache when it was resolved before on any machine. Returns false, with both names
// empty and nothing cached, when the machine cannot name it or the security functions are
// missing; raises nothing for that. The local system account (S-1-5-18) gets an empty domain name.
bool LookupAccountBySid(const std::string& machineName, const void* sid, std::string& accountName,
                        std::string& domainName);

}  // namespace corvane
