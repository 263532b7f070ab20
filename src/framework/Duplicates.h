// What a sorted list does with an entry equal to one it already holds.
#pragma once

#include <cstdint>

namespace corvane {

enum class TDuplicates : uint8_t {
  Ignore,  // the new entry is dropped; the existing one's position is reported
  Accept,  // equal entries stand side by side
  Error,   // adding raises an error
};

// Bisection over `count` sorted entries: `compareAt(i)` is negative when entry i sorts before
// the key, 0 when equal, positive after. Returns whether an equal entry was found; `index` is
// its position (the first of several when duplicates are accepted) or where the key belongs.
template <class CompareAt>
bool BisectSorted(int count, TDuplicates duplicates, CompareAt compareAt, int& index) {
  int low = 0;
  int high = count - 1;
  bool found = false;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int r = compareAt(middle);
    if (r < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (r == 0) {
        found = true;
        if (duplicates != TDuplicates::Accept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

}  // namespace corvane
