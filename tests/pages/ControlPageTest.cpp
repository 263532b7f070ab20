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

void TControlPageTest::ExpectSoundLayout() {
  const auto& elements = object_->Form().Elements();
  for (size_t i = 0; i < elements.size(); ++i) {
    const forms::TElement& element = *elements[i];
    if (!IsWindowVisible(element.Handle())) continue;
    const HWND parent = GetParent(element.Handle());
    RECT room{};
    GetClientRect(parent, &room);
    const forms::TBounds b = element.Bounds();
    const RECT box{b.left, b.top, b.left + b.width, b.top + b.height};
    EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= room.right && box.bottom <= room.bottom)
        << element.Name() << " reaches outside its parent";
    for (size_t j = i + 1; j < elements.size(); ++j) {
      const forms::TElement& other = *elements[j];
      if (!IsWindowVisible(other.Handle()) || GetParent(other.Handle()) != parent) continue;
      // A bevel draws only a line along the bottom of its bounds, which may span the row above.
      if (element.Kind() == forms::TElementKind::Bevel || other.Kind() == forms::TElementKind::Bevel) continue;
      const forms::TBounds o = other.Bounds();
      const RECT otherBox{o.left, o.top, o.left + o.width, o.top + o.height};
      RECT common{};
      EXPECT_FALSE(IntersectRect(&common, &box, &otherBox)) << element.Name() << " overlaps " << other.Name();
    }
  }
}

std::vector<std::string> TControlPageTest::TabStops(HWND parent) {
  forms::TForm& form = object_->Form();
  std::vector<std::string> names;
  for (HWND child = GetWindow(parent != nullptr ? parent : form.Handle(), GW_CHILD);
       child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const forms::TElement* element = form.FindElement(child);
    const bool focusable = (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0 ||
                           (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0;
    if (element != nullptr && focusable && child == element->Handle())
      names.push_back(element->Name());
  }
  return names;
}

}  // namespace corvane::pages::test
