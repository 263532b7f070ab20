// The page machinery: a real page object, made by its factory, driven through our property frame
// against a stand-in for the control (the pages on the control itself: *_control_test.cpp).
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "common/RefCount.h"
#include "EditedObject.h"
#include "PageFrame.h"
#include "PageLayout.h"
#include "framework/com/ModuleLock.h"
#include "framework/forms/Element.h"
#include "pages/NTComponentXPropAbstract.h"
#include "pages/PageFactory.h"
#include "pages/LateBinding.h"

namespace corvane::pages {
namespace {

using test::TEditedObject;
using test::TNotifySink;

// A page of its own on the base form: one edit it reads and writes as "Comment".
class TCommentPage final : public TFrNTComponentAbstractProperty {
 public:
  TCommentPage() : TFrNTComponentAbstractProperty(Design()) {}

  void ReadValues() override {
    Element("edtComment").SetText(
        VariantToString(*CallByName(*EditedObject(), L"Comment", DISPATCH_PROPERTYGET).get()));
  }
  void WriteValues() override {
    PutStringByName(*EditedObject(), L"Comment", Element("edtComment").Text());
  }

 private:
  static forms::TFormDesign Design() {
    forms::TFormDesign design = MachineNameDesign("Comments", 6105);
    design.elements.push_back({.kind = forms::TElementKind::Edit, .name = "edtComment",
                               .bounds = {94, 44, 145, 21}, .tabOrder = 1});
    return design;
  }
};

constexpr CLSID kCommentPageClsid = {
    0x2C1D5E6A, 0x1B3F, 0x4C8E, {0x9A, 0x11, 0x5E, 0x0D, 0x7B, 0x42, 0x63, 0x90}};
const TPageClass kCommentPage{kCommentPageClsid, "TCommentPage",
                              [] { return std::unique_ptr<TExtPropertyPage>(new TCommentPage); }};

ComPtr<IPropertyPage> NewPage(const TPageClass& pageClass) {
  auto factory = Make<TExtActiveXPropertyPageFactory>(pageClass);
  ComPtr<IPropertyPage> page;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, page.put_void()), S_OK);
  return page;
}

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edited_->servers = {"\\\\ALPHA", "\\\\beta", "\\\\Gamma"};
    edited_->machineName = "\\\\BETA";
    edited_->comment = "old";
    ASSERT_EQ(frame_.SetPageSite(), S_OK);
    IUnknown* objects[] = {edited_->Identity()};
    ASSERT_EQ(page_->SetObjects(1, objects), S_OK);
  }
  TCommentPage& Form() { return static_cast<TCommentPage&>(object_->Form()); }
  forms::TElement& Selector() { return Form().cmbMachineName(); }
  // What the user does when picking an item of the selector.
  void Pick(int index) {
    Selector().SetItemIndex(index);
    SendMessageA(Form().Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Selector().Handle()));
  }

  ComPtr<TEditedObject> edited_ = Make<TEditedObject>();
  ComPtr<TExtActiveXPropertyPage> object_ =
      Make<TExtActiveXPropertyPage>(std::make_unique<TCommentPage>());
  ComPtr<IPropertyPage> page_ = object_.query<IPropertyPage>();
  pageframe::TPageFrame frame_{page_.get()};
};

TEST(PageFrameworkTest, AnswersEveryFrameCallAsTheFrameExpects) {
  const long objectsBefore = ModuleLock::Objects();
  ComPtr<IPropertyPage> page = NewPage(kCommentPage);
  EXPECT_EQ(ModuleLock::Objects(), objectsBefore + 1);
  {
    pageframe::TPageFrame frame(page.get());
    ASSERT_EQ(frame.SetPageSite(), S_OK);
    IUnknown* none[] = {nullptr};
    EXPECT_EQ(page->SetObjects(0, none), S_OK);
    EXPECT_EQ(page->SetObjects(1, nullptr), E_POINTER);

    const pageframe::TPageInfo info = frame.PageInfo();
    EXPECT_EQ(info.result, S_OK);
    EXPECT_EQ(info.title, L"Comments");
    EXPECT_EQ(info.size.cx, 420);
    EXPECT_EQ(info.size.cy, 257);
    EXPECT_EQ(info.helpFile, L"korvel.hlp");
    EXPECT_EQ(info.helpContext, 6105u);

    // No edited object: the page shows without loading anything.
    ASSERT_EQ(frame.Activate(), S_OK);
    EXPECT_EQ(frame.IsPageDirty(), S_FALSE);
    MSG message{};
    EXPECT_EQ(page->TranslateAccelerator(&message), S_FALSE);
    auto page2 = page.query<IPropertyPage2>();
    EXPECT_EQ(page2->EditProperty(1), E_NOTIMPL);
    EXPECT_EQ(page->Help(L""), E_NOTIMPL);

    // One identity and one count, whichever interface is held.
    auto unknown = page.query<IUnknown>();
    auto viaPage2 = page2.query<IUnknown>();
    EXPECT_EQ(unknown.get(), viaPage2.get());
    EXPECT_EQ(RefCount(unknown.get()), RefCount(page2.get()));
  }
  page.reset();
  EXPECT_EQ(ModuleLock::Objects(), objectsBefore);
}

TEST(PageFrameworkTest, FactoryRegistersThePageWithoutProgIdOrThreadingModel) {
  const TPageClass machinePage{kMachineNamePageClsid, "TFrNTComponentAbstractProperty",
                               &CreateMachineNamePage};
  auto factory = Make<TExtActiveXPropertyPageFactory>(machinePage);
  // A folder named outside the ANSI code page must reach the registry as it is.
  const std::wstring server = L"C:\\\u4E8B\u4EF6\\Corvane.ocx";
  const auto entries = factory->RegistryEntries(server);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].key, L"CLSID\\{9B9889AF-6404-4B00-B904-01CCB3B11D3E}");
  EXPECT_EQ(entries[0].value, L"TFrNTComponentAbstractProperty property page");
  EXPECT_EQ(entries[1].key, L"CLSID\\{9B9889AF-6404-4B00-B904-01CCB3B11D3E}\\InprocServer32");
  EXPECT_EQ(entries[1].value, server);
  ComPtr<IPropertyPage> page;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, page.put_void()), S_OK);
  auto info = pageframe::TPageFrame(page.get()).PageInfo();
  EXPECT_EQ(info.title, L"FrNTComponentAbstractProperty");
}

TEST_F(PageTest, LoadsTheServersInOrderAndSelectsTheMachineIgnoringCase) {
  ASSERT_EQ(frame_.Activate(), S_OK);
  EXPECT_EQ(Selector().Items(), (std::vector<std::string>{"\\\\ALPHA", "\\\\beta", "\\\\Gamma"}));
  EXPECT_EQ(Selector().ItemIndex(), 1);
  EXPECT_EQ(Form().Element("edtComment").Text(), "old");
  // Loading changed the controls, yet nothing is modified.
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);
  EXPECT_TRUE(frame_.Site().StatusChanges().empty());

  // Focus coming into the page from the frame reloads it, still without marking it modified.
  edited_->comment = "changed elsewhere";
  SetFocus(frame_.Window());
  SetFocus(Form().Element("edtComment").Handle());
  frame_.Pump(100);
  EXPECT_EQ(Form().Element("edtComment").Text(), "changed elsewhere");
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);

}

TEST_F(PageTest, TheMachineRowLeadsThePageAndTheKeyboardStartsThere) {
  ASSERT_EQ(frame_.Activate(), S_OK);
  test::ExpectSoundLayout(Form());
  EXPECT_EQ(test::TabStops(Form()), (std::vector<std::string>{"cmbMachineName", "edtComment"}));
  // The label names the selector from its left, on its row; the bevel's line runs under both,
  // above the page's own elements.
  EXPECT_EQ(Form().lblmachineName().Text(), "MachineName");
  const forms::TBounds label = Form().lblmachineName().Bounds();
  const forms::TBounds selector = Selector().Bounds();
  const forms::TBounds bevel = Form().Bevel1().Bounds();
  const forms::TBounds comment = Form().Element("edtComment").Bounds();
  EXPECT_LE(label.left + label.width, selector.left);
  EXPECT_TRUE(label.top >= selector.top && label.top + label.height <= selector.top + selector.height);
  EXPECT_GE(bevel.top + bevel.height, selector.top + selector.height);
  EXPECT_LE(bevel.top + bevel.height, comment.top);
  EXPECT_TRUE(bevel.left <= label.left && bevel.left + bevel.width >= selector.left + selector.width);
}

TEST_F(PageTest, UnknownMachineLeavesTheSelectorEmpty) {
  edited_->machineName = "";
  ASSERT_EQ(frame_.Activate(), S_OK);
  EXPECT_EQ(Selector().ItemIndex(), -1);
  EXPECT_EQ(Selector().Text(), "");
}

TEST_F(PageTest, PickingAMachineWritesItAtOnceAndApplyTellsTheContainer) {
  auto sink = Make<TNotifySink>();
  DWORD cookie = 0;
  edited_->Advise(sink->Identity(), &cookie);
  ASSERT_EQ(frame_.Activate(), S_OK);
  Form().Element("edtComment").SetText("new");
  Pick(2);
  // The page's own values reach the control before the machine name does.
  EXPECT_EQ(edited_->writes, (std::vector<std::string>{"Comment", "MachineName"}));
  EXPECT_EQ(edited_->machineName, "\\\\Gamma");
  EXPECT_EQ(frame_.Site().StatusChanges(), (std::vector<DWORD>{3, 3}));
  EXPECT_EQ(frame_.IsPageDirty(), S_OK);

  EXPECT_EQ(frame_.Apply(), S_OK);
  EXPECT_EQ(sink->changes, std::vector<DISPID>{DISPID_UNKNOWN});
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);

  ASSERT_EQ(frame_.Deactivate(), S_OK);
  Form().Element("edtComment").SetText("while hidden");
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);
}

// Waits for the message box titled `title` on another thread, reads its text and closes it.
std::future<std::string> CloseMessageBox(const char* title) {
  return std::async(std::launch::async, [title] {
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (HWND box = FindWindowA("#32770", title)) {
        char text[256] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return std::string(text);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::string("(no box)");
  });
}

TEST_F(PageTest, FailedWriteIsShownTitledWithTheCaptionAndThePageReloads) {
  ASSERT_EQ(frame_.Activate(), S_OK);
  edited_->commentWriteError = "The comment is locked.";
  Form().Element("edtComment").SetText("rejected");
  auto box = CloseMessageBox("Comments");
  EXPECT_EQ(frame_.Apply(), S_OK);
  EXPECT_EQ(box.get(), "The comment is locked.");
  EXPECT_EQ(Form().Element("edtComment").Text(), "old");
}

}  // namespace
}  // namespace corvane::pages
