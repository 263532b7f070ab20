// The component tests run against the tables as library start fills them.
#include <gtest/gtest.h>

#include "system/SystemTables.h"

namespace {

class BoundTables : public ::testing::Environment {
 public:
  void SetUp() override { corvane::BindSystemTables(); }
};

const auto* const kBound = ::testing::AddGlobalTestEnvironment(new BoundTables);

}  // namespace
