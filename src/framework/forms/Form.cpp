#include "framework/forms/Form.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "framework/OleSysError.h"
#include "framework/forms/FormWindow.h"
#include "framework/forms/Grid.h"
#include "framework/forms/Hints.h"

namespace corvane::forms {

namespace {

// Posted when the keyboard focus enters a form from outside: the form's activation event runs
// once the focus change is complete, not inside the hook that saw it coming.
constexpr UINT kActivateMessage = WM_APP + 0x21;
constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
constexpr UINT_PTR kHintWatchTimer = 3;
constexpr UINT kHintWatchMilliseconds = 100;
constexpr int kHintBelowCursor = 20;
constexpr int kHintMaxWidth = 600;

bool IsContainer(TElementKind kind) {
  return kind == TElementKind::Panel || kind == TElementKind::GroupBox;
}

bool Contains(HWND outer, HWND window) {
  return window != nullptr && (window == outer || IsChild(outer, window));
}

// The forms with windows on this thread, and the hook that tells them about focus changes.
struct TFocusWatch {
  std::vector<TForm*> forms;
  TUniqueHook hook;
};
thread_local TFocusWatch tFocusWatch;

LRESULT CALLBACK FocusHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
  if (code == HCBT_SETFOCUS) {
    const HWND gaining = reinterpret_cast<HWND>(wParam);
    const HWND losing = reinterpret_cast<HWND>(lParam);
    for (TForm* form : tFocusWatch.forms) {
      const HWND window = form->Handle();
      if (window != nullptr && Contains(window, gaining) && !Contains(window, losing)) {
        PostMessageA(window, kActivateMessage, 0, 0);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void WatchFocus(TForm* form) {
  if (!tFocusWatch.hook) {
    tFocusWatch.hook.reset(SetWindowsHookExA(WH_CBT, &FocusHook, nullptr, GetCurrentThreadId()));
  }
  tFocusWatch.forms.push_back(form);
}

void UnwatchFocus(TForm* form) {
  auto& forms = tFocusWatch.forms;
  forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
  if (forms.empty()) tFocusWatch.hook.reset();
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

}  // namespace

TForm::TForm(TFormDesign design) : design_(std::move(design)) {
  std::set<std::string, std::less<>> names;
  for (const TElementDesign& element : design_.elements) {
    if (element.name.empty() || !names.insert(element.name).second) {
      throw EOleSysError("Element names must be present and unique: \"" + element.name + "\"",
                         int32_t(E_INVALIDARG));
    }
  }
  for (const TElementDesign& element : design_.elements) {
    if (element.parent.empty()) continue;
    auto parent = std::find_if(design_.elements.begin(), design_.elements.end(),
                               [&](const TElementDesign& e) { return e.name == element.parent; });
    if (parent == design_.elements.end() || !IsContainer(parent->kind)) {
      throw EOleSysError("The element " + element.name + " names " + element.parent +
                             ", which is no panel or group box",
                         int32_t(E_INVALIDARG));
    }
  }
  for (const TElementDesign& element : design_.elements) {
    elements_.push_back(std::make_unique<TElement>(*this, element));
  }
}

TForm::~TForm() {
  UnwatchFocus(this);
  hintWindow_.reset();
  if (window_) {
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
    window_.reset();
  }
}

void TForm::Attach(HWND parent, const RECT& bounds) {
  if (!window_) {
    CreateWindows(parent, bounds);
  } else {
    SetParent(window_.get(), parent);
    SetBounds(bounds);
  }
}

void TForm::Detach() {
  if (!window_) return;
  HideHint();
  ShowWindow(window_.get(), SW_HIDE);
  SetParent(window_.get(), nullptr);
}

void TForm::SetBounds(const RECT& bounds) {
  if (!window_) return;
  MoveWindow(window_.get(), bounds.left, bounds.top, bounds.right - bounds.left,
             bounds.bottom - bounds.top, TRUE);
}

void TForm::Show(bool visible) {
  if (!window_) return;
  if (!visible) HideHint();
  ShowWindow(window_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

void TForm::CreateWindows(HWND parent, const RECT& bounds) {
  EnsureCommonControls();
  font_.reset(MakeFont(design_.font));
  brush_.reset(CreateSolidBrush(design_.colour.Resolve()));
  window_.reset(CreateWindowExA(WS_EX_CONTROLPARENT, FormWindowClass(), design_.caption.c_str(),
                                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds.left,
                                bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                parent, nullptr, ThisModule(), nullptr));
  if (!window_) {
    throw EOleSysError(std::to_string(GetLastError()) + ": the form " + design_.caption +
                           " cannot be created",
                       kSystemErrorCode);
  }
  SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  try {
    // Each parent's children are made in tab order, which makes it their order for the
    // keyboard; containers before what they hold.
    auto createChildren = [&](auto&& self, HWND into, const std::string& parentName) -> void {
      std::vector<TElement*> children;
      for (auto& element : elements_) {
        if (element->Design().parent == parentName) children.push_back(element.get());
      }
      std::stable_sort(children.begin(), children.end(), [](TElement* a, TElement* b) {
        return a->Design().tabOrder < b->Design().tabOrder;
      });
      for (TElement* child : children) {
        child->CreateWindows(into, font_.get());
        if (IsContainer(child->Kind())) self(self, child->ContainerWindow(), child->Name());
        if (child->Kind() == TElementKind::GroupBox) child->AddGroupFrame(font_.get());
      }
    };
    createChildren(createChildren, window_.get(), std::string());
  } catch (...) {
    window_.reset();
    WindowsDestroyed();
    throw;
  }
  WatchFocus(this);
}

void TForm::WindowsDestroyed() {
  window_.release();
  for (auto& element : elements_) element->ForgetWindows();
  hintWindow_.reset();
  hintCandidate_ = nullptr;
  hintShown_ = nullptr;
  UnwatchFocus(this);
}

TElement* TForm::FindElement(std::string_view name) {
  for (auto& element : elements_) {
    if (element->Name() == name) return element.get();
  }
  return nullptr;
}

TElement& TForm::Element(std::string_view name) {
  if (TElement* element = FindElement(name)) return *element;
  throw EOleSysError("The form " + design_.caption + " has no element " + std::string(name),
                     int32_t(E_INVALIDARG));
}

TElement* TForm::FindElement(HWND window) {
  for (auto& element : elements_) {
    if (element->Owns(window)) return element.get();
  }
  return nullptr;
}

void TForm::ReportValueChange(TElement& element) {
  if (valueChange_) valueChange_(element);
}

void TForm::RunActivate() {
  if (design_.onActivate) design_.onActivate(*this);
}

HBRUSH TForm::BrushBehind(HWND control) {
  for (HWND parent = GetParent(control); parent != nullptr && parent != window_.get();
       parent = GetParent(parent)) {
    TElement* container = FindElement(parent);
    if (container != nullptr && container->BackgroundBrush() != nullptr) {
      return container->BackgroundBrush();
    }
  }
  return brush_.get();
}

LRESULT TForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (TElement* element = FindElement(control)) element->Notify(HIWORD(wParam), control);
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == UINT(UDN_DELTAPOS)) {
        if (TElement* element = FindElement(header->hwndFrom)) {
          return element->StepSpin(reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta) ? 1 : 0;
        }
      }
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      TElement* element = FindElement(control);
      const TColour text = element != nullptr && !element->TextColour().IsDefault()
                               ? element->TextColour()
                               : design_.textColour;
      HBRUSH brush = element != nullptr ? element->BackgroundBrush() : nullptr;
      if (brush == nullptr) {
        if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) break;
        brush = BrushBehind(control);
      }
      LOGBRUSH colour{};
      GetObjectA(brush, sizeof(colour), &colour);
      SetTextColor(dc, text.Resolve());
      SetBkColor(dc, colour.lbColor);
      return reinterpret_cast<LRESULT>(brush);
    }
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      TElement* container = window == window_.get() ? nullptr : FindElement(window);
      HBRUSH brush = container != nullptr && container->BackgroundBrush() != nullptr
                         ? container->BackgroundBrush()
                         : (window == window_.get() ? brush_.get() : BrushBehind(window));
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      return 1;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (TElement* element = FindElement(item->hwndItem)) {
        FillRect(item->hDC, &item->rcItem, BrushBehind(item->hwndItem));
        element->DrawBevel(*item);
      }
      return TRUE;
    }
    case WM_SETCURSOR:
      if (HIWORD(lParam) == WM_MOUSEMOVE && window == window_.get()) {
        TrackHintCursor(reinterpret_cast<HWND>(wParam));
      }
      break;
    case WM_TIMER:
      if (window == window_.get()) {
        OnHintTimer(wParam);
        return 0;
      }
      break;
    case kActivateMessage:
      RunActivate();
      return 0;
    case WM_NCDESTROY:
      if (window == window_.get()) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        WindowsDestroyed();
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TForm::TrackHintCursor(HWND under) {
  TElement* element = FindElement(under);
  if (element != nullptr && !element->Design().showHint) element = nullptr;
  if (element == hintCandidate_) return;
  HideHint();
  hintCandidate_ = element;
  if (element != nullptr) SetTimer(window_.get(), kHintShowTimer, HintPause(), nullptr);
}

bool TForm::ShowHint(TElement& element) {
  HideHint();
  if (!window_ || !element.Design().showHint) return false;
  POINT cursor{};
  GetCursorPos(&cursor);
  THintInfo info{&element, POINT{cursor.x, cursor.y + kHintBelowCursor}};
  std::string text = element.Design().hint;
  bool canShow = true;
  if (const TShowHintEvent& handler = ShowHintHandler()) handler(text, canShow, info);
  if (!canShow || text.empty()) return false;

  TOOLINFOA tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = window_.get();
  tool.uId = 1;
  if (!hintWindow_) {
    // No owner: the hint must not go down with whatever top-level window holds the form.
    hintWindow_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                      WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                      nullptr, ThisModule(), nullptr));
    if (!hintWindow_) return false;
    tool.lpszText = const_cast<char*>("");
    SendMessageA(hintWindow_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(hintWindow_.get(), TTM_SETMAXTIPWIDTH, 0, kHintMaxWidth);
  }
  tool.lpszText = text.data();
  SendMessageA(hintWindow_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(hintWindow_.get(), TTM_TRACKPOSITION, 0,
               MAKELPARAM(WORD(info.position.x), WORD(info.position.y)));
  SendMessageA(hintWindow_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  hintShown_ = &element;
  SetTimer(window_.get(), kHintHideTimer, HintHidePause(), nullptr);
  return true;
}

void TForm::HideHint() {
  if (window_) {
    KillTimer(window_.get(), kHintShowTimer);
    KillTimer(window_.get(), kHintHideTimer);
    KillTimer(window_.get(), kHintWatchTimer);
  }
  if (hintShown_ != nullptr && hintWindow_) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_.get();
    tool.uId = 1;
    SendMessageA(hintWindow_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  }
  hintShown_ = nullptr;
}

void TForm::OnHintTimer(UINT_PTR id) {
  POINT cursor{};
  GetCursorPos(&cursor);
  const HWND under = WindowFromPoint(cursor);
  switch (id) {
    case kHintShowTimer:
      KillTimer(window_.get(), kHintShowTimer);
      if (hintCandidate_ != nullptr && hintCandidate_->Owns(under) && ShowHint(*hintCandidate_)) {
        // Shown for the mouse: it goes when the mouse leaves the element.
        SetTimer(window_.get(), kHintWatchTimer, kHintWatchMilliseconds, nullptr);
      }
      break;
    case kHintWatchTimer:
      if (hintShown_ != nullptr && !hintShown_->Owns(under)) {
        HideHint();
        hintCandidate_ = nullptr;
      }
      break;
    case kHintHideTimer:
      HideHint();
      break;
    default:
      break;
  }
}

}  // namespace corvane::forms
