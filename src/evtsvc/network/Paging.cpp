#include "Paging.h"

namespace corvane::network {

Page TakePage(const std::vector<size_t>& sizes, uint32_t preferredMaxLength, uint32_t resume,
              TTotalCounts totals) {
  Page page;
  page.first = resume < sizes.size() ? resume : sizes.size();
  size_t used = 0;
  size_t end = page.first;
  while (end < sizes.size()) {
    const bool fits = preferredMaxLength == kMaxPreferredLength ||
                      used + sizes[end] <= preferredMaxLength;
    if (!fits && end > page.first) break;
    used += sizes[end];
    ++end;
  }
  page.count = end - page.first;
  page.more = end < sizes.size();
  page.resume = page.more ? static_cast<uint32_t>(end) : 0;
  page.total = static_cast<uint32_t>(totals == TTotalCounts::All ? sizes.size() : sizes.size() - page.first);
  return page;
}

}  // namespace corvane::network
