#include "Options.h"

#include <cctype>
#include <cstdint>

#include "UsageError.h"

namespace corvane::cli {

Options::Options(const std::vector<std::string>& args, const std::set<std::string>& valued,
                 const std::set<std::string>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      positional_.insert(positional_.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
      positional_.push_back(arg);
      continue;
    }
    const std::string name = arg.substr(2);
    if (flags.count(name)) {
      values_[name] = {""};
    } else if (valued.count(name)) {
      if (i + 1 >= args.size()) throw UsageError("--" + name + " needs a value");
      values_[name].push_back(args[++i]);
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
}

std::optional<std::string> Options::Get(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second.back();
}

std::vector<std::string> Options::All(const std::string& name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? std::vector<std::string>{} : it->second;
}

std::optional<uint32_t> Options::Number(const std::string& name) const {
  const auto text = Get(name);
  if (!text) return std::nullopt;
  if (text->empty() || text->size() > 10) throw UsageError("--" + name + " takes a number");
  uint64_t value = 0;
  for (char c : *text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) throw UsageError("--" + name + " takes a number");
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) throw UsageError("--" + name + " is out of range");
  return static_cast<uint32_t>(value);
}

std::string MachineArgument(const std::string& name) {
  if (name.empty()) return name;
  size_t start = 0;
  while (start < name.size() && name[start] == '\\') ++start;
  if (start == name.size()) throw UsageError("--machine needs a machine name");
  return "\\\\" + name.substr(start);
}

std::vector<uint8_t> ParseHex(const std::string& text) {
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == ':' || c == '-') continue;
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else throw UsageError("--data takes hexadecimal digits");
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) throw UsageError("--data needs an even number of hexadecimal digits");
  return bytes;
}

}  // namespace corvane::cli
