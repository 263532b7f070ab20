// The machine name page on the real event-log control, with the control bound to the bundled
// event-log service and seeing the sample network.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "PageFrame.h"
#include "SampleNetwork.h"
#include "automation/CreateRendal.h"
#include "automation/LibraryIds.h"
#include "common/TypeLibRegistration.h"
#include "framework/forms/Element.h"
#include "pages/LateBinding.h"
#include "pages/NTComponentXPropAbstract.h"
#include "system/SystemTables.h"

namespace corvane::pages {
namespace {

std::unique_ptr<test::TypeLibRegistration> persistentLibrary;
std::unique_ptr<test::TypeLibRegistration> controlLibrary;
std::filesystem::path networkFolder;

class MachinePageOnControl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    persistentLibrary = std::make_unique<test::TypeLibRegistration>(
        kPersistentLibid, CORVANE_OUTPUT_DIR, L"VuvazeRUridazorar.tlb");
    controlLibrary =
        std::make_unique<test::TypeLibRegistration>(kCorvaneLibid, CORVANE_OUTPUT_DIR, L"Corvane.tlb");
    ASSERT_TRUE(persistentLibrary->Registered() && controlLibrary->Registered());

    networkFolder = std::filesystem::path(CORVANE_BINARY_DIR) / "tests" / "pages" /
                    ("network-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(networkFolder);
    network::sample::Build(
        std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "network" / "sample", networkFolder);
    SetEnvironmentVariableW(L"CORVANE_NETWORK", networkFolder.wstring().c_str());
    SetEnvironmentVariableA("CORVANE_SYSTEM_LIBRARY",
                            CORVANE_BINARY_DIR "\\src\\evtsvc\\ntevtsvc.dll");
    BindSystemTables();
  }
  static void TearDownTestSuite() {
    controlLibrary.reset();
    persistentLibrary.reset();
    std::error_code ignored;
    std::filesystem::remove_all(networkFolder, ignored);
    CoUninitialize();
  }

  void Open(const char* machine) {
    ASSERT_EQ(CreateRendal(nullptr, IID_IDispatch, control_.put_void()), S_OK);
    PutStringByName(*control_.get(), L"MachineName", machine);
    ASSERT_EQ(frame_.SetPageSite(), S_OK);
    IUnknown* objects[] = {control_.get()};
    ASSERT_EQ(page_->SetObjects(1, objects), S_OK);
    ASSERT_EQ(frame_.Activate(), S_OK);
  }
  std::string MachineName() {
    return VariantToString(*CallByName(*control_.get(), L"MachineName", DISPATCH_PROPERTYGET).get());
  }
  TFrNTComponentAbstractProperty& Form() {
    return static_cast<TFrNTComponentAbstractProperty&>(object_->Form());
  }
  forms::TElement& Selector() { return Form().cmbMachineName(); }

  ComPtr<IDispatch> control_;
  ComPtr<TExtActiveXPropertyPage> object_ = Make<TExtActiveXPropertyPage>(CreateMachineNamePage());
  ComPtr<IPropertyPage> page_ = object_.query<IPropertyPage>();
  pageframe::TPageFrame frame_{page_.get()};
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

  Selector().SetItemIndex(2);
  SendMessageA(Form().Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Selector().Handle()));
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
