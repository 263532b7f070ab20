// A form declared as data, on real windows: where its elements land, the keyboard order, the
// value-change notification, the spin box's range, hints, and errors raised by handlers.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "FormTestSupport.h"
#include "framework/OleSysError.h"
#include "framework/forms/ErrorDisplay.h"
#include "framework/forms/Form.h"
#include "framework/forms/Hints.h"

namespace corvane::forms {
namespace {

using test::PumpMessages;
using test::RectWithin;
using test::THostWindow;

TFormDesign PageLikeDesign(std::vector<std::string>* changes = nullptr) {
  auto record = [changes](TElement& sender) {
    if (changes != nullptr) changes->push_back("onChange " + sender.Name());
  };
  TFormDesign design;
  design.caption = "Sample";
  design.width = 420;
  design.height = 257;
  design.elements = {
      {.kind = TElementKind::Label, .name = "lblName", .caption = "MachineName",
       .bounds = {2, 9, 69, 13}},
      {.kind = TElementKind::DropDownList, .name = "cmbName", .bounds = {94, 5, 145, 21},
       .tabOrder = 0, .itemHeight = 13, .onChange = record},
      {.kind = TElementKind::Bevel, .name = "Bevel1", .bounds = {2, 25, 407, 8}},
      {.kind = TElementKind::Edit, .name = "edtUser", .bounds = {94, 44, 145, 21},
       .tabOrder = 2, .onChange = record},
      {.kind = TElementKind::PasswordEdit, .name = "edtPassword", .bounds = {94, 72, 145, 21},
       .tabOrder = 1},
      {.kind = TElementKind::GroupBox, .name = "grbItems", .caption = "Objects(0)",
       .bounds = {1, 100, 300, 80}, .tabOrder = 3},
      {.kind = TElementKind::Edit, .name = "edtInner", .bounds = {80, 16, 109, 21},
       .tabOrder = 1, .parent = "grbItems", .readOnly = true},
      {.kind = TElementKind::CheckBox, .name = "cbxInner", .caption = "Active",
       .bounds = {4, 16, 53, 17}, .tabOrder = 0, .parent = "grbItems", .onClick = record},
      {.kind = TElementKind::SpinBox, .name = "speIndex", .caption = "0",
       .bounds = {80, 44, 109, 22}, .tabOrder = 2, .parent = "grbItems", .minimum = 0,
       .maximum = 20, .step = 5},
      {.kind = TElementKind::Panel, .name = "Panel1", .bounds = {310, 100, 100, 80},
       .tabOrder = 4, .enabled = false},
      {.kind = TElementKind::Memo, .name = "Memo1", .caption = "line one\r\nline two",
       .bounds = {4, 8, 90, 53}, .parent = "Panel1", .readOnly = true, .border = false,
       .scrollBar = false},
  };
  return design;
}

TFormDesign WithHintOnUserEdit(const std::string& hint) {
  TFormDesign design = PageLikeDesign();
  design.elements[3].hint = hint;
  design.elements[3].showHint = true;
  return design;
}

class FormTest : public ::testing::Test {
 protected:
  void Show(TForm& form) {
    const RECT bounds{10, 10, 10 + form.Design().width, 10 + form.Design().height};
    form.Attach(host_.Handle(), bounds);
    form.Show(true);
    PumpMessages(20);
  }
  THostWindow host_{480, 320};
};

TEST_F(FormTest, ElementsStandWhereTheDesignPutsThemRelativeToTheForm) {
  TForm form(PageLikeDesign());
  Show(form);
  EXPECT_EQ(GetParent(form.Handle()), host_.Handle());
  const RECT formRect = RectWithin(form.Handle(), host_.Handle());
  EXPECT_EQ(formRect.right - formRect.left, 420);
  EXPECT_EQ(formRect.bottom - formRect.top, 257);

  for (const TElementDesign& design : form.Design().elements) {
    if (design.kind == TElementKind::SpinBox) continue;  // two windows, checked below
    TBounds expected = design.bounds;
    if (!design.parent.empty()) {
      const TBounds& outer = form.Element(design.parent).Design().bounds;
      expected.left += outer.left;
      expected.top += outer.top;
    }
    const RECT rect = RectWithin(form.Element(design.name).Handle(), form.Handle());
    EXPECT_EQ(rect.left, expected.left) << design.name;
    EXPECT_EQ(rect.top, expected.top) << design.name;
    EXPECT_EQ(rect.right - rect.left, expected.width) << design.name;
    EXPECT_EQ(rect.bottom - rect.top, expected.height) << design.name;
  }
  // The spin box's edit and arrows together fill its bounds inside the group box.
  const TBounds spin = form.Element("speIndex").Bounds();
  EXPECT_EQ(spin.left, 80);
  EXPECT_EQ(spin.top, 44);
  EXPECT_EQ(spin.width, 109);
  EXPECT_EQ(spin.height, 22);
}

TEST_F(FormTest, TabKeyVisitsElementsInTabOrderDescendingIntoGroupBoxes) {
  TForm form(PageLikeDesign());
  Show(form);
  std::vector<std::string> visited;
  HWND first = form.Element("cmbName").Handle();
  HWND at = first;
  do {
    TElement* element = form.FindElement(at);
    visited.push_back(element != nullptr ? element->Name() : "?");
    at = GetNextDlgTabItem(form.Handle(), at, FALSE);
  } while (at != nullptr && at != first && visited.size() < 20);
  // The disabled panel's memo takes no focus; the read-only edit does.
  EXPECT_EQ(visited, (std::vector<std::string>{"cmbName", "edtPassword", "edtUser", "cbxInner",
                                               "edtInner", "speIndex"}));
}

TEST_F(FormTest, EditingReachesTheValueChangeNotificationOnceBeforeTheHandler) {
  std::vector<std::string> changes;
  TForm form(PageLikeDesign(&changes));
  form.SetValueChangeHandler([&](TElement& element) { changes.push_back("form " + element.Name()); });
  Show(form);

  SendMessageA(form.Element("edtUser").Handle(), WM_CHAR, 'x', 1);  // typed
  form.Element("edtUser").SetText("by code");
  form.Element("edtUser").SetText("by code");  // the same text: no change
  form.Element("cbxInner").SetChecked(true);   // a state change counts as a click
  form.Element("cmbName").SetItems({"\\\\ONE", "\\\\TWO"});
  form.Element("cmbName").SetItemIndex(1);  // selecting by code is no change
  EXPECT_EQ(changes, (std::vector<std::string>{"form edtUser", "onChange edtUser", "form edtUser",
                                               "onChange edtUser", "form cbxInner",
                                               "onChange cbxInner"}));
  EXPECT_EQ(form.Element("edtUser").Text(), "by code");
  EXPECT_EQ(form.Element("cmbName").Text(), "\\\\TWO");
}

TEST_F(FormTest, SpinBoxKeepsItsRangeAndStepAndRefusesArrowsWhenReadOnly) {
  TForm form(PageLikeDesign());
  Show(form);
  TElement& spin = form.Element("speIndex");
  const HWND arrowWindow = GetWindow(spin.Handle(), GW_HWNDNEXT);
  RECT arrows{};
  GetClientRect(arrowWindow, &arrows);
  auto click = [&](bool up) {
    const LPARAM at = MAKELPARAM(arrows.right / 2, up ? 2 : arrows.bottom - 2);
    SendMessageA(arrowWindow, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(arrowWindow, WM_LBUTTONUP, 0, at);
  };

  spin.SetValue(3);
  click(true);
  EXPECT_EQ(spin.Value(), 8);
  spin.SetValue(1000);
  EXPECT_EQ(spin.Text(), "20");
  click(true);
  EXPECT_EQ(spin.Value(), 20);
  spin.SetValue(-4);
  EXPECT_EQ(spin.Value(), 0);
  click(false);
  EXPECT_EQ(spin.Value(), 0);
  spin.SetReadOnly(true);
  click(true);
  EXPECT_EQ(spin.Value(), 0);
  // Typed text stands as typed; the owner of the form decides what an outside value means.
  spin.SetReadOnly(false);
  spin.SetText("999");
  EXPECT_EQ(spin.Value(), 999);
}

TEST_F(FormTest, ShowHintEventMayRewriteOrRefuseAHintWhichGoesAfterTheHidePause) {
  TForm form(WithHintOnUserEdit("placeholder"));
  Show(form);
  TElement& edit = form.Element("edtUser");

  bool allow = true;
  TElement* asked = nullptr;
  const TShowHintEvent previous =
      SetShowHintHandler([&](std::string& text, bool& canShow, THintInfo& info) {
        asked = info.element;
        text = "whole text\r\nsecond line";
        info.position = POINT{100, 100};
        canShow = allow;
      });
  const UINT previousPause = HintHidePause();
  SetHintHidePause(150);

  ASSERT_TRUE(form.ShowHint(edit));
  EXPECT_EQ(asked, &edit);
  ASSERT_NE(form.HintWindow(), nullptr);
  EXPECT_TRUE(IsWindowVisible(form.HintWindow()));
  RECT hint{};
  GetWindowRect(form.HintWindow(), &hint);
  EXPECT_NEAR(hint.left, 100, 2);  // the tip's border may stand a pixel out
  EXPECT_NEAR(hint.top, 100, 2);
  PumpMessages(400);
  EXPECT_FALSE(IsWindowVisible(form.HintWindow()));

  allow = false;
  EXPECT_FALSE(form.ShowHint(edit));
  EXPECT_FALSE(IsWindowVisible(form.HintWindow()));
  SetShowHintHandler(previous);
  SetHintHidePause(previousPause);
}

TEST_F(FormTest, HintShowsWhenTheMouseRestsOnTheElementAndGoesWhenItLeaves) {
  TForm form(WithHintOnUserEdit("user name"));
  Show(form);
  const UINT previousPause = HintPause();
  SetHintPause(50);
  RECT edit{};
  GetWindowRect(form.Element("edtUser").Handle(), &edit);
  SetCursorPos(edit.left + 5, edit.top + 5);
  SendMessageA(form.Element("edtUser").Handle(), WM_SETCURSOR,
               reinterpret_cast<WPARAM>(form.Element("edtUser").Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PumpMessages(250);
  ASSERT_NE(form.HintWindow(), nullptr);
  EXPECT_TRUE(IsWindowVisible(form.HintWindow()));
  SetCursorPos(1000, 700);  // off the form and its host
  PumpMessages(250);
  EXPECT_FALSE(IsWindowVisible(form.HintWindow()));
  SetHintPause(previousPause);
}

TEST_F(FormTest, AnErrorInAHandlerReachesTheErrorDisplayAndStaysInTheWindowProcedure) {
  TFormDesign design = PageLikeDesign();
  design.elements[3].onChange = [](TElement&) { throw std::runtime_error("write refused"); };
  TForm form(std::move(design));
  Show(form);
  std::vector<std::string> shown;
  const TErrorDisplay previous = SetErrorDisplay([&](const std::string& text) { shown.push_back(text); });

  SendMessageA(form.Element("edtUser").Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(shown, std::vector<std::string>{"write refused"});
  // Raised by code, the same error goes to the caller instead.
  EXPECT_THROW(form.Element("edtUser").SetText("y"), std::runtime_error);
  SetErrorDisplay(previous);
}

TEST_F(FormTest, AFormOutlivesTheWindowItWasDetachedFromAndAttachesAgain) {
  TForm form(PageLikeDesign());
  {
    THostWindow first(480, 320);
    form.Attach(first.Handle(), RECT{0, 0, 420, 257});
    form.Element("edtUser").SetText("kept");
    form.Detach();
  }
  ASSERT_TRUE(IsWindow(form.Handle()));
  Show(form);
  EXPECT_EQ(GetParent(form.Handle()), host_.Handle());
  EXPECT_EQ(form.Element("edtUser").Text(), "kept");
}

TEST_F(FormTest, ActivationRunsWhenTheFocusEntersTheFormFromOutsideOnly) {
  int activations = 0;
  TFormDesign design = PageLikeDesign();
  design.onActivate = [&](TForm&) { ++activations; };
  TForm form(std::move(design));
  Show(form);
  const HWND outside = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 290, 50, 20,
                                       host_.Handle(), nullptr, nullptr, nullptr);
  SetFocus(outside);
  SetFocus(form.Element("edtUser").Handle());
  SetFocus(form.Element("edtPassword").Handle());  // moving inside is no activation
  PumpMessages(30);
  EXPECT_EQ(activations, 1);
  SetFocus(outside);
  SetFocus(form.Element("edtInner").Handle());
  PumpMessages(30);
  EXPECT_EQ(activations, 2);
}

TEST(FormDesignTest, ADesignNamingAMissingParentIsRefused) {
  TFormDesign design;
  design.elements = {{.kind = TElementKind::Edit, .name = "edt", .parent = "nowhere"}};
  EXPECT_THROW(TForm form(std::move(design)), corvane::EOleSysError);
}

}  // namespace
}  // namespace corvane::forms
