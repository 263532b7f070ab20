// The message-table resource of a message module, checked before the system's formatter walks
// it: the formatter trusts every offset and length it finds, so a damaged or hostile module
// would make it read outside the resource and fault inside the host. Plain standard C++ so that
// the sanitizers and the fuzzer reach it natively.
#pragma once

#include <cstddef>

namespace corvane {

// Checks the table of `size` bytes at `table`: the block array, and in every block each entry
// from the lowest identifier to the highest, must lie inside the table, every entry must be
// long enough to hold its own header, and every text must end (in its own width) inside its
// entry. A table that fails raises EOleSysError whose message says which part is wrong.
// Nothing outside the `size` bytes is read, and the work is linear in `size`.
void CheckMessageTable(const void* table, size_t size);

}  // namespace corvane
