// A page on the real event-log control, with the control bound to the bundled event-log service
// and seeing the sample network; each page's control tests derive their fixture from this.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PageFrame.h"
#include "PageLayout.h"
#include "pages/PropPageX.h"

namespace corvane::pages::test {

class TControlPageTest : public ::testing::Test {
 protected:
  explicit TControlPageTest(std::unique_ptr<TExtPropertyPage> form);

  static void SetUpTestSuite();
  static void TearDownTestSuite();

  // A new control on that machine...
  void CreateControl(const char* machine);
  // ...handed to the page (or something standing for it) and the page activated.
  void ShowPage(IUnknown* edited);
  void Open(const char* machine) {
    CreateControl(machine);
    ShowPage(control_.get());
  }
  std::string MachineName();
  // The user picks the selector's item, as the list tells its parent.
  void PickMachine(int index);

  ComPtr<IDispatch> control_;
  ComPtr<TExtActiveXPropertyPage> object_;
  ComPtr<IPropertyPage> page_;
  pageframe::TPageFrame frame_;
};

}  // namespace corvane::pages::test
