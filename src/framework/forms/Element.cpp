#include "framework/forms/Element.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "framework/OleSysError.h"
#include "framework/forms/Form.h"
#include "framework/forms/FormWindow.h"
#include "framework/forms/Grid.h"

namespace corvane::forms {

namespace {

constexpr int kSpinArrowsWidth = 17;
// Room for the list a drop-down shows; the closed box keeps its designed height.
constexpr int kDroppedListHeight = 200;

[[noreturn]] void RaiseCreateFailure(const std::string& name) {
  const DWORD error = GetLastError();
  throw EOleSysError(std::to_string(error) + ": the window of " + name + " cannot be created",
                     kSystemErrorCode);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(size_t(length) + 1, '\0');
  text.resize(size_t(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

struct TWindowRecipe {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

TWindowRecipe RecipeFor(const TElementDesign& design) {
  const DWORD tab = design.tabOrder >= 0 ? WS_TABSTOP : 0;
  const DWORD edge = design.border ? WS_EX_CLIENTEDGE : 0;
  switch (design.kind) {
    case TElementKind::Label:
      return {"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case TElementKind::Edit:
    case TElementKind::SpinBox:
      return {"EDIT", ES_AUTOHSCROLL | tab, edge};
    case TElementKind::PasswordEdit:
      return {"EDIT", ES_AUTOHSCROLL | ES_PASSWORD | tab, edge};
    case TElementKind::Memo:
      return {"EDIT",
              ES_MULTILINE | ES_AUTOVSCROLL | (design.scrollBar ? WS_VSCROLL : 0) | tab, edge};
    case TElementKind::DropDownList:
      return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 0};
    case TElementKind::CheckBox:
      return {"BUTTON", BS_AUTOCHECKBOX | tab, 0};
    case TElementKind::Panel:
    case TElementKind::GroupBox:
      return {FormWindowClass(), 0, WS_EX_CONTROLPARENT};
    case TElementKind::Bevel:
      return {"STATIC", SS_OWNERDRAW, 0};
    case TElementKind::Grid:
      return {TGrid::ClassName(), WS_VSCROLL | tab, edge};
  }
  return {"STATIC", 0, 0};
}

}  // namespace

TElement::TElement(TForm& form, TElementDesign design)
    : form_(form),
      design_(std::move(design)),
      colour_(design_.colour),
      readOnly_(design_.readOnly) {
  if (design_.kind == TElementKind::Grid) grid_ = std::make_unique<TGrid>(*this);
}

TElement::~TElement() = default;

void TElement::CreateWindows(HWND parent, HFONT formFont) {
  const TWindowRecipe recipe = RecipeFor(design_);
  const TBounds& b = design_.bounds;
  const bool spin = design_.kind == TElementKind::SpinBox;
  const int width = spin ? std::max(0, b.width - kSpinArrowsWidth) : b.width;
  const int height =
      design_.kind == TElementKind::DropDownList ? b.height + kDroppedListHeight : b.height;
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | recipe.style |
                      (design_.enabled ? 0 : WS_DISABLED);
  window_ = CreateWindowExA(recipe.exStyle, recipe.className, design_.caption.c_str(), style,
                            b.left, b.top, width, height, parent, nullptr, ThisModule(), nullptr);
  if (window_ == nullptr) RaiseCreateFailure(design_.name);
  // Before the font arrives, so the grid keeps it.
  if (design_.kind == TElementKind::Grid) grid_->Attach(window_);
  if (design_.kind == TElementKind::Panel || design_.kind == TElementKind::GroupBox) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&form_));
  }

  if (design_.font != nullptr) {
    font_.reset(MakeFont(*design_.font));
  }
  SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_ ? font_.get() : formFont), FALSE);
  SetColour(colour_);

  switch (design_.kind) {
    case TElementKind::PasswordEdit:
      SendMessageA(window_, EM_SETPASSWORDCHAR, '*', 0);
      break;
    case TElementKind::DropDownList:
      if (design_.itemHeight > 0) SendMessageA(window_, CB_SETITEMHEIGHT, 0, design_.itemHeight);
      FitDropDownHeight();
      break;
    case TElementKind::SpinBox:
      companion_ = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                   b.left + width, b.top, b.width - width, b.height, parent,
                                   nullptr, ThisModule(), nullptr);
      if (companion_ == nullptr) RaiseCreateFailure(design_.name + " (arrows)");
      FitSpinArrows();
      // The arrows never move by themselves (StepSpin answers each click), so one step either
      // way from the middle is all the range they need.
      SendMessageA(companion_, UDM_SETRANGE32, WPARAM(-1), 1);
      SendMessageA(companion_, UDM_SETPOS32, 0, 0);
      if (!design_.enabled) EnableWindow(companion_, FALSE);
      if (!design_.caption.empty()) SetValue(std::atoi(design_.caption.c_str()));
      break;
    case TElementKind::GroupBox:
      // The frame lies under the elements inside; made once they exist (see Form).
      break;
    default:
      break;
  }
  ApplyReadOnly();
}

void TElement::AddGroupFrame(HFONT formFont) {
  RECT client{};
  GetClientRect(window_, &client);
  companion_ = CreateWindowExA(0, "BUTTON", design_.caption.c_str(),
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0,
                               client.right, client.bottom, window_, nullptr, ThisModule(), nullptr);
  if (companion_ == nullptr) RaiseCreateFailure(design_.name + " (frame)");
  SetWindowPos(companion_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageA(companion_, WM_SETFONT, reinterpret_cast<WPARAM>(font_ ? font_.get() : formFont), FALSE);
}

void TElement::FitDropDownHeight() {
  // The closed box's height follows the height of its selection field, but not one to one, and
  // the field's height reads back differently from what was set: step towards the designed
  // height until the box has it.
  int field = int(SendMessageA(window_, CB_GETITEMHEIGHT, WPARAM(-1), 0));
  for (int attempt = 0; attempt < 4; ++attempt) {
    RECT box{};
    GetWindowRect(window_, &box);
    const int missing = design_.bounds.height - (box.bottom - box.top);
    if (missing == 0 || field + missing <= 0) break;
    field += missing;
    SendMessageA(window_, CB_SETITEMHEIGHT, WPARAM(-1), field);
  }
}

void TElement::FitSpinArrows() {
  // The arrows may insist on a width of their own; the edit takes what is left of the bounds.
  const TBounds& b = design_.bounds;
  RECT arrows{};
  GetWindowRect(companion_, &arrows);
  const int arrowsWidth = std::min(int(arrows.right - arrows.left), b.width);
  MoveWindow(window_, b.left, b.top, b.width - arrowsWidth, b.height, FALSE);
  MoveWindow(companion_, b.left + b.width - arrowsWidth, b.top, arrowsWidth, b.height, FALSE);
}

void TElement::ForgetWindows() {
  window_ = nullptr;
  companion_ = nullptr;
}

bool TElement::Owns(HWND window) const {
  return window != nullptr && (window == window_ || window == companion_);
}

HWND TElement::ContainerWindow() const { return window_; }

void TElement::RequireWindow() const {
  if (window_ == nullptr) {
    throw EOleSysError("The element " + design_.name + " has no window yet", int32_t(E_UNEXPECTED));
  }
}

void TElement::RequireKind(TElementKind kind, const char* what) const {
  if (design_.kind != kind) {
    throw EOleSysError("The element " + design_.name + " is not " + what, int32_t(E_INVALIDARG));
  }
}

bool TElement::IsEditing() const {
  switch (design_.kind) {
    case TElementKind::Edit:
    case TElementKind::PasswordEdit:
    case TElementKind::Memo:
    case TElementKind::SpinBox:
    case TElementKind::DropDownList:
    case TElementKind::CheckBox:
      return true;
    default:
      return false;
  }
}

TBounds TElement::Bounds() const {
  RequireWindow();
  RECT box{};
  GetWindowRect(window_, &box);
  if (design_.kind == TElementKind::SpinBox && companion_ != nullptr) {
    RECT arrows{};
    GetWindowRect(companion_, &arrows);
    UnionRect(&box, &box, &arrows);
  }
  MapWindowPoints(HWND_DESKTOP, GetParent(window_), reinterpret_cast<POINT*>(&box), 2);
  return TBounds{box.left, box.top, box.right - box.left, box.bottom - box.top};
}

std::string TElement::Text() const {
  RequireWindow();
  if (design_.kind == TElementKind::GroupBox) return WindowText(companion_);
  return WindowText(window_);
}

void TElement::SetText(const std::string& text) {
  RequireWindow();
  if (design_.kind == TElementKind::GroupBox) {
    SetWindowTextA(companion_, text.c_str());
    return;
  }
  if (design_.kind == TElementKind::DropDownList) {
    SetItemIndex(int(SendMessageA(window_, CB_FINDSTRINGEXACT, WPARAM(-1),
                                  reinterpret_cast<LPARAM>(text.c_str()))));
    return;
  }
  if (WindowText(window_) == text) return;
  ++quietChanges_;
  const BOOL done = SetWindowTextA(window_, text.c_str());
  --quietChanges_;
  if (!done) RaiseCreateFailure(design_.name + " (text)");
  if (IsEditing()) ValueChanged();
}

bool TElement::Checked() const {
  RequireWindow();
  return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TElement::SetChecked(bool checked) {
  RequireKind(TElementKind::CheckBox, "a check box");
  RequireWindow();
  if (Checked() == checked) return;
  SendMessageA(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  ValueChanged();
}

std::vector<std::string> TElement::Items() const {
  RequireKind(TElementKind::DropDownList, "a drop-down list");
  RequireWindow();
  std::vector<std::string> items;
  const int count = int(SendMessageA(window_, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const int length = int(SendMessageA(window_, CB_GETLBTEXTLEN, i, 0));
    std::string item(size_t(std::max(length, 0)) + 1, '\0');
    SendMessageA(window_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(size_t(std::max(length, 0)));
    items.push_back(std::move(item));
  }
  return items;
}

void TElement::SetItems(const std::vector<std::string>& items) {
  RequireKind(TElementKind::DropDownList, "a drop-down list");
  RequireWindow();
  SendMessageA(window_, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) AddItem(item);
}

void TElement::AddItem(const std::string& item) {
  RequireKind(TElementKind::DropDownList, "a drop-down list");
  RequireWindow();
  const LRESULT at = SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  if (at == CB_ERR || at == CB_ERRSPACE) {
    throw EOleSysError("The list " + design_.name + " cannot take more items", int32_t(E_OUTOFMEMORY));
  }
}

int TElement::ItemIndex() const {
  RequireKind(TElementKind::DropDownList, "a drop-down list");
  RequireWindow();
  return int(SendMessageA(window_, CB_GETCURSEL, 0, 0));
}

void TElement::SetItemIndex(int index) {
  RequireKind(TElementKind::DropDownList, "a drop-down list");
  RequireWindow();
  const int count = int(SendMessageA(window_, CB_GETCOUNT, 0, 0));
  SendMessageA(window_, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
}

bool TElement::Enabled() const {
  RequireWindow();
  return IsWindowEnabled(window_) != FALSE;
}

bool TElement::ReadOnly() const { return readOnly_; }

void TElement::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (window_ != nullptr) ApplyReadOnly();
}

void TElement::ApplyReadOnly() {
  switch (design_.kind) {
    case TElementKind::Edit:
    case TElementKind::PasswordEdit:
    case TElementKind::Memo:
    case TElementKind::SpinBox:
      SendMessageA(window_, EM_SETREADONLY, readOnly_, 0);
      break;
    default:
      break;
  }
}

void TElement::SetColour(TColour colour) {
  colour_ = colour;
  brush_.reset(colour.IsDefault() ? nullptr : CreateSolidBrush(colour.Resolve()));
  if (window_ != nullptr) InvalidateRect(window_, nullptr, TRUE);
}

int TElement::Value() const {
  RequireKind(TElementKind::SpinBox, "a spin box");
  const std::string text = Text();
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0') return 0;
  return int(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

void TElement::SetValue(int value) {
  RequireKind(TElementKind::SpinBox, "a spin box");
  SetText(std::to_string(std::clamp(value, design_.minimum, design_.maximum)));
}

bool TElement::StepSpin(int delta) {
  if (readOnly_) {
    MessageBeep(MB_OK);
    return true;
  }
  const long long next = (long long)Value() + (long long)delta * design_.step;
  SetValue(int(std::clamp<long long>(next, design_.minimum, design_.maximum)));
  return true;
}

TGrid& TElement::Grid() {
  RequireKind(TElementKind::Grid, "a grid");
  return *grid_;
}

void TElement::Notify(WORD code, HWND from) {
  if (from != window_) return;
  switch (design_.kind) {
    case TElementKind::Edit:
    case TElementKind::PasswordEdit:
    case TElementKind::Memo:
    case TElementKind::SpinBox:
      if (code == EN_CHANGE && quietChanges_ == 0) ValueChanged();
      break;
    case TElementKind::DropDownList:
      if (code == CBN_SELCHANGE) ValueChanged();
      break;
    case TElementKind::CheckBox:
      if (code == BN_CLICKED) ValueChanged();
      break;
    default:
      break;
  }
}

void TElement::ValueChanged() {
  // Reported first: the value has changed even when the handler then fails.
  form_.ReportValueChange(*this);
  if (design_.kind == TElementKind::CheckBox) {
    if (design_.onClick) design_.onClick(*this);
  } else if (design_.onChange) {
    design_.onChange(*this);
  }
}

void TElement::DrawBevel(const DRAWITEMSTRUCT& item) const {
  RECT line = item.rcItem;
  DrawEdge(item.hDC, &line, EDGE_ETCHED, BF_BOTTOM);
}

}  // namespace corvane::forms
