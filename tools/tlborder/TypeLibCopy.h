// Copies a type library type by type into a new file, in an order the caller chooses, through the
// system's type library writer. widl always writes forward-referenced types first; a library whose
// type indices are part of its contract is rewritten with this.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "MsftFixups.h"

namespace corvane::tlborder {

// Writes every type of source to target, the types named in order first (in that order), then the
// rest in their old order. Returns the corrections the saved file still needs (see MsftFixups.h).
// Throws std::runtime_error naming the step that failed.
std::vector<TypeEntryFix> CopyTypeLibrary(ITypeLib* source, const std::wstring& target,
                                          const std::vector<std::wstring>& order);

}  // namespace corvane::tlborder
