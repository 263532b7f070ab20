// A command line that does not parse: reported with the usage, exit code 2.
#pragma once

#include <stdexcept>

namespace corvane::cli {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace corvane::cli
