// A small command-line option reader: "--name value" and "--flag" options, and the rest as
// positional arguments. Unknown options and missing values are usage errors. A valued option
// may be given more than once: Get() answers the last value, All() every one in order.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvane::cli {

class Options {
 public:
  // valued: options that take a value; flags: options that do not.
  Options(const std::vector<std::string>& args, const std::set<std::string>& valued,
          const std::set<std::string>& flags);

  bool Has(const std::string& name) const { return values_.count(name) > 0; }
  std::optional<std::string> Get(const std::string& name) const;
  std::vector<std::string> All(const std::string& name) const;
  // An unsigned number that fits 32 bits; a usage error otherwise.
  std::optional<uint32_t> Number(const std::string& name) const;
  const std::vector<std::string>& Positional() const { return positional_; }

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positional_;
};

// "\\NAME" for "NAME" or "\\NAME"; empty stays empty (the local machine).
std::string MachineArgument(const std::string& name);

// Bytes from hexadecimal text ("0c14", "0C 14"); a usage error for anything else.
std::vector<uint8_t> ParseHex(const std::string& text);

}  // namespace corvane::cli
