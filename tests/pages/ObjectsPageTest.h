// The event detail page on a real control whose log is one of the test's own, in the bundled
// service; records are written through the control's own members.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ControlPageTest.h"
#include "core/component/ComponentTestSupport.h"
#include "framework/forms/ErrorDisplay.h"
#include "pages/FrEventLogPropObjects.h"

namespace corvane::pages::test {

class TObjectsPageTest : public TControlPageTest {
 protected:
  TObjectsPageTest();
  ~TObjectsPageTest() override;

  TFrmEventLogPropObjects& Form() {
    return static_cast<TFrmEventLogPropObjects&>(object_->Form());
  }
  // A control on the local machine with the test's log as its source, the log open.
  void CreateOnLog();
  void SetActive(bool active);
  // One record with all that the page shows of it, written through the control's event object.
  void WriteRecord(int32_t eventId, int32_t type, int32_t category,
                   const std::vector<uint8_t>& data, const std::vector<std::wstring>& strings);
  // As the user types into the index box: the box tells the page through its parent.
  void TypeIndex(const char* text);

  component_test::TestLog log_;
  // What reached the error display, which would otherwise stop the test with a modal box.
  std::vector<std::string> errors_;

 private:
  forms::TErrorDisplay previousDisplay_;
};

}  // namespace corvane::pages::test
