// The machine name page on the real event-log control.
#include <gtest/gtest.h>

#include <algorithm>

#include "ControlPageTest.h"
#include "framework/forms/Element.h"
#include "pages/NTComponentXPropAbstract.h"

namespace corvane::pages {
namespace {

class MachinePageOnControl : public test::TControlPageTest {
 protected:
  MachinePageOnControl() : TControlPageTest(CreateMachineNamePage()) {}
  TFrNTComponentAbstractProperty& Form() {
    return static_cast<TFrNTComponentAbstractProperty&>(object_->Form());
  }
  forms::TElement& Selector() { return Form().cmbMachineName(); }
};

TEST_F(MachinePageOnControl, ListsTheServersSelectsTheMachineAndWritesAPickAtOnce) {
  Open("\\\\corvsrv");
  // The domain's machines, this one among them, in name order; the workgroup's are not listed.
  char local[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof(local);
  ASSERT_TRUE(GetComputerNameA(local, &size));
  std::vector<std::string> servers = {"CORVDC", "CORVSRV", "CORVWKS", local};
  std::sort(servers.begin(), servers.end());
  for (std::string& server : servers) server = "\\\\" + server;
  EXPECT_EQ(Selector().Items(), servers);
  EXPECT_EQ(Selector().Text(), "\\\\CORVSRV");
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);
  EXPECT_TRUE(frame_.Site().StatusChanges().empty());

  PickMachine(2);
  EXPECT_EQ(MachineName(), Selector().Items()[2]);
  EXPECT_EQ(frame_.IsPageDirty(), S_OK);
}

TEST_F(MachinePageOnControl, UnknownMachineShowsAnEmptySelector) {
  Open("\\\\NOWHERE");
  EXPECT_FALSE(Selector().Items().empty());
  EXPECT_EQ(Selector().ItemIndex(), -1);
  EXPECT_EQ(Selector().Text(), "");
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);
}

}  // namespace
}  // namespace corvane::pages
