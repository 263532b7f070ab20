// How the network-management enumerations hand out their entries in pages: a page holds the
// entries that fit in the caller's preferred maximum length (at least one, so that a caller
// paging with a tiny length still progresses), the rest is announced with ERROR_MORE_DATA and a
// resume handle that the next call hands back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::network {

// "As much as there is" (MAX_PREFERRED_LENGTH).
constexpr uint32_t kMaxPreferredLength = 0xFFFFFFFF;

struct Page {
  size_t first = 0;     // index of the first entry delivered
  size_t count = 0;     // entries delivered
  uint32_t total = 0;   // what the call reports as the total number of entries
  bool more = false;    // entries remain after this page (ERROR_MORE_DATA)
  uint32_t resume = 0;  // the resume handle to hand back: where the next page starts, 0 at the end
};

enum class TTotalCounts {
  All,           // every entry (the server enumeration)
  FromResume,    // the entries from the resume position on (users and groups)
};

// `sizes` holds the bytes each entry takes in the caller's buffer, fixed part and strings.
// A resume handle past the end yields an empty, final page.
Page TakePage(const std::vector<size_t>& sizes, uint32_t preferredMaxLength, uint32_t resume,
              TTotalCounts totals);

}  // namespace corvane::network
