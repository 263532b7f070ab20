// A form: a child window hosting the elements of one design, made a child of whatever window the
// host gives it (a property frame's page area, a test window). Its windows are created on the
// first Attach, so a form can exist on a machine without a display until someone shows it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/forms/Element.h"
#include "framework/forms/FormDesign.h"
#include "framework/forms/FormOwners.h"

namespace corvane::forms {

struct THintInfo;

class TForm {
 public:
  explicit TForm(TFormDesign design);
  ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  const TFormDesign& Design() const { return design_; }
  HWND Handle() const { return window_.get(); }
  bool HasWindow() const { return static_cast<bool>(window_); }

  // Makes the form a child of `parent` at `bounds` (parent's client coordinates), creating its
  // windows the first time. Raises when a window cannot be created.
  void Attach(HWND parent, const RECT& bounds);
  // Hides the form and takes it off its parent, so the parent may go without taking the form's
  // windows with it.
  void Detach();
  void SetBounds(const RECT& bounds);
  void Show(bool visible);

  const std::string& Caption() const { return design_.caption; }

  // Raises when no element has that name.
  TElement& Element(std::string_view name);
  TElement* FindElement(std::string_view name);
  TElement* FindElement(HWND window);
  const std::vector<std::unique_ptr<TElement>>& Elements() const { return elements_; }

  // Every value change of an editing element (edit text, list selection, check box state,
  // spin value) reaches this notification, before the element's own onChange or onClick.
  void SetValueChangeHandler(std::function<void(TElement&)> handler) {
    valueChange_ = std::move(handler);
  }
  void ReportValueChange(TElement& element);

  // Shows the hint of `element` at once, as when the mouse has rested on it, through the show-hint
  // event; false when there was nothing to show or the event refused it.
  bool ShowHint(TElement& element);
  void HideHint();
  HWND HintWindow() const { return hintWindow_.get(); }

  // Used by the window procedures.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void WindowsDestroyed();

 private:
  void CreateWindows(HWND parent, const RECT& bounds);
  void RunActivate();
  HBRUSH BrushBehind(HWND control);
  void TrackHintCursor(HWND under);
  void OnHintTimer(UINT_PTR id);

  TFormDesign design_;
  std::vector<std::unique_ptr<TElement>> elements_;
  std::function<void(TElement&)> valueChange_;
  TUniqueWindow window_;
  TUniqueFont font_;
  TUniqueBrush brush_;
  TUniqueWindow hintWindow_;
  TElement* hintCandidate_ = nullptr;  // the element the mouse rests on
  TElement* hintShown_ = nullptr;
};

}  // namespace corvane::forms
