// A hosting control that answers the design-mode question as a test says.
#pragma once

#include "system/NTCommon.h"

namespace corvane::testing {

class TestOwnerControl : public IOwnerControl {
 public:
  bool IsDesignMode() override { return designMode; }
  bool designMode = false;
};

}  // namespace corvane::testing
