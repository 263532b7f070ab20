// Registry export files, as the system's registry editor writes and imports them:
// "Windows Registry Editor Version 5.00" (UTF-16LE with its byte-order mark, or UTF-8) and
// "REGEDIT4" (8-bit text in the machine's code page). Supported: [key] lines (created with their
// parents), [-key] deletions (the key and everything below it), "name"= and @= values as
// "text", dword:, hex: and hex(N): (with backslash continuation lines), "name"=- deletions, and
// comment lines beginning with ';'. Keys of other roots than HKEY_LOCAL_MACHINE are read and
// ignored: a machine's file describes its HKEY_LOCAL_MACHINE.
//
// Text of a REGEDIT4 file, and the bytes of its hex(1), hex(2) and hex(7) values, are 8-bit in
// the code page of the machine that wrote the file; `decode8` converts them. A version 5 file
// already holds those values in UTF-16LE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "RegistryTree.h"

namespace corvane::network {

using TEightBitDecoder = std::function<std::u16string(std::string_view)>;

// Applies the file to `localMachine`. A file that breaks the format throws EOleSysError with
// ERROR_BADDB and the line at fault; the tree may then hold the lines before it, so callers
// parse into a fresh tree and keep it only on success.
void ApplyRegFile(const uint8_t* bytes, size_t size, RegKey& localMachine,
                  const TEightBitDecoder& decode8);

}  // namespace corvane::network
