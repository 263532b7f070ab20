// libFuzzer target: registry export files (and, on the same bytes, accounts files). Any input
// must either parse or be refused with EOleSysError; whatever parsed must be a consistent tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "evtsvc/network/Accounts.h"
#include "evtsvc/network/NameText.h"
#include "evtsvc/network/RegFile.h"
#include "framework/OleSysError.h"

using namespace corvane;
using namespace corvane::network;

namespace {

// Subkeys must stay sorted and unique by their upper-case names, whatever the file did.
void Check(const RegKey& key) {
  const auto& subkeys = key.Subkeys();
  for (size_t i = 0; i < subkeys.size(); ++i) {
    if (subkeys[i]->Name().empty() || subkeys[i]->Name().size() > kMaxKeyNameLength) std::abort();
    if (i > 0 && CompareNames(subkeys[i - 1]->Name(), subkeys[i]->Name()) >= 0) std::abort();
    Check(*subkeys[i]);
  }
  for (size_t i = 0; i < key.Values().size(); ++i) {
    for (size_t j = i + 1; j < key.Values().size(); ++j) {
      if (SameName(key.Values()[i].name, key.Values()[j].name)) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegKey root(u"HKEY_LOCAL_MACHINE");
  try {
    ApplyRegFile(data, size, root, FromWindows1252);
  } catch (const EOleSysError&) {
  }
  Check(root);
  try {
    ParseAccounts(data, size);
  } catch (const EOleSysError&) {
  }
  return 0;
}
