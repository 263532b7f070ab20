// The component tests run against the tables and the account lookup as library start fills them.
#include <gtest/gtest.h>

#include "core/SidLookup.h"
#include "system/NTCommon.h"
#include "system/SystemTables.h"

namespace {

class BoundTables : public ::testing::Environment {
 public:
  void SetUp() override {
    corvane::BindSystemTables();
    corvane::SetAccountLookup(&corvane::LookupAccountBySid);
  }
};

const auto* const kBound = ::testing::AddGlobalTestEnvironment(new BoundTables);

}  // namespace
