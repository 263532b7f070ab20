// The sample network of tests/evtsvc/network/sample made whole: its text files copied to a folder of
// the caller's, and each machine's logs written there with the events below. The logs are made
// rather than kept in the tree so that tests and the demo may write to them freely.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::network::sample {

struct TSampleEvent {
  std::string machine;  // folder name
  std::string log;      // file name in system32\config
  uint32_t eventId;
  uint16_t type;
  uint16_t category;
  std::u16string source;
  std::vector<std::u16string> strings;
  std::string sid;      // S-1-... text, or empty for none
  std::vector<uint8_t> data;
};

// Every event of the sample, in the order each log holds them (oldest first).
const std::vector<TSampleEvent>& Events();
// The time of the n-th event of a log: one minute apart from 2026-01-05 08:00:00 UTC.
uint32_t EventTime(size_t indexInLog);

// Copies `source` (the sample's text files) into `target`, which must not exist yet, and
// writes the logs. Returns `target`.
std::filesystem::path Build(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace corvane::network::sample
