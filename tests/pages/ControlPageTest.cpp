#include "ControlPageTest.h"

#include <filesystem>

#include "SampleNetwork.h"
#include "automation/CreateRendal.h"
#include "automation/LibraryIds.h"
#include "common/TypeLibRegistration.h"
#include "framework/forms/Element.h"
#include "pages/LateBinding.h"
#include "pages/NTComponentXPropAbstract.h"
#include "system/SystemTables.h"

namespace corvane::pages::test {

namespace {

std::unique_ptr<corvane::test::TypeLibRegistration> persistentLibrary;
std::unique_ptr<corvane::test::TypeLibRegistration> controlLibrary;
std::filesystem::path networkFolder;

}  // namespace

TControlPageTest::TControlPageTest(std::unique_ptr<TExtPropertyPage> form)
    : object_(Make<TExtActiveXPropertyPage>(std::move(form))),
      page_(object_.query<IPropertyPage>()),
      frame_(page_.get()) {}

void TControlPageTest::SetUpTestSuite() {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  persistentLibrary = std::make_unique<corvane::test::TypeLibRegistration>(
      kPersistentLibid, CORVANE_OUTPUT_DIR, L"VuvazeRUridazorar.tlb");
  controlLibrary = std::make_unique<corvane::test::TypeLibRegistration>(
      kCorvaneLibid, CORVANE_OUTPUT_DIR, L"Corvane.tlb");
  ASSERT_TRUE(persistentLibrary->Registered() && controlLibrary->Registered());

  networkFolder = std::filesystem::path(CORVANE_BINARY_DIR) / "tests" / "pages" /
                  ("network-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::remove_all(networkFolder);
  network::sample::Build(
      std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "evtsvc" / "network" / "sample", networkFolder);
  SetEnvironmentVariableW(L"CORVANE_NETWORK", networkFolder.wstring().c_str());
  SetEnvironmentVariableA("CORVANE_SYSTEM_LIBRARY",
                          CORVANE_BINARY_DIR "\\src\\evtsvc\\ntevtsvc.dll");
  BindSystemTables();
}

void TControlPageTest::TearDownTestSuite() {
  controlLibrary.reset();
  persistentLibrary.reset();
  std::error_code ignored;
  std::filesystem::remove_all(networkFolder, ignored);
  CoUninitialize();
}

void TControlPageTest::CreateControl(const char* machine) {
  ASSERT_EQ(CreateRendal(nullptr, IID_IDispatch, control_.put_void()), S_OK);
  PutStringByName(*control_.get(), L"MachineName", machine);
}

void TControlPageTest::ShowPage(IUnknown* edited) {
  ASSERT_EQ(frame_.SetPageSite(), S_OK);
  IUnknown* objects[] = {edited};
  ASSERT_EQ(page_->SetObjects(1, objects), S_OK);
  ASSERT_EQ(frame_.Activate(), S_OK);
}

std::string TControlPageTest::MachineName() {
  return VariantToString(*CallByName(*control_.get(), L"MachineName", DISPATCH_PROPERTYGET).get());
}

void TControlPageTest::PickMachine(int index) {
  auto& form = static_cast<TFrNTComponentAbstractProperty&>(object_->Form());
  forms::TElement& selector = form.cmbMachineName();
  selector.SetItemIndex(index);
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector.Handle()));
}

}  // namespace corvane::pages::test
