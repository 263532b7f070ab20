// Corrections applied to a type library file after the system's writer saved it. Wine 8's writer
// stores a pure dispinterface as if it derived from IDispatch (readers then list IDispatch's
// seven members before its own) and gives every enumeration an instance size of 8 on 64-bit
// targets; both live in the fixed-size entry that the file keeps for each type.
// Portable: works on the bytes alone, so it builds and is checked without Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::tlborder {

// What a type's entry must say after the correction.
struct TypeEntryFix {
  std::size_t Index = 0;         // the type's position in the library
  std::int16_t VtableBytes = 0;  // size of the function table in bytes
  std::int32_t InstanceSize = 0;
  bool Detach = false;           // true: the type derives from nothing (base reference -1)
};

// Rewrites the entries named in fixes. Throws std::runtime_error, naming the part at fault, when
// the file is not a library of the expected layout or an index lies outside it; the bytes are
// left untouched then.
void ApplyTypeEntryFixes(std::vector<std::uint8_t>& file, const std::vector<TypeEntryFix>& fixes);

}  // namespace corvane::tlborder
