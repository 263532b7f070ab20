// What tells a file's contents apart over time without opening it: its size and its creation,
// last write and change times, read by path. The change time moves with every write and every
// rename, also when a writer sets the other times back; a file put in another's place brings
// its own. Reading it costs no handle: under Wine a handle costs requests to the server, and
// the file's volume and index several more.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

struct TFileStamp {
  uint64_t size = 0;
  uint64_t created = 0;
  uint64_t written = 0;
  uint64_t changed = 0;
  bool operator==(const TFileStamp&) const = default;
};

// `path` is a full path with a drive ("C:\dir\file.dll"), taken as it stands: no "." or ".."
// components. Nothing when the file cannot be reached, or the system cannot tell the change
// time (the Windows 95 family).
std::optional<TFileStamp> ReadFileStamp(const std::string& path);

}  // namespace corvane
