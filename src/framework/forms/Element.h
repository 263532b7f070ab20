// One element of a form: a real Win32 control (or two, for the spin box) made from its design
// record. Reads and writes go straight to the window, so what a test reads back is what the user
// sees. Elements exist from the form's construction; their windows from the form's first Attach.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/forms/FormDesign.h"
#include "framework/forms/FormOwners.h"
#include "framework/forms/Grid.h"

namespace corvane::forms {

class TElement {
 public:
  TElement(TForm& form, TElementDesign design);
  ~TElement();
  TElement(const TElement&) = delete;
  TElement& operator=(const TElement&) = delete;

  const std::string& Name() const { return design_.name; }
  TElementKind Kind() const { return design_.kind; }
  const TElementDesign& Design() const { return design_; }
  TForm& Form() const { return form_; }
  // The control's window (a spin box's edit); null before the form has windows.
  HWND Handle() const { return window_; }
  // The element's bounds relative to its parent element or the form, read from the windows.
  TBounds Bounds() const;

  // Edits, memos, spin boxes and drop-down lists: the text; labels, check boxes and group
  // boxes: the caption. Setting a different text counts as a value change of editing elements.
  std::string Text() const;
  void SetText(const std::string& text);

  // Check boxes. A change of state by code runs onClick and the value-change notification,
  // exactly as a click does.
  bool Checked() const;
  void SetChecked(bool checked);

  // Drop-down lists. Selecting by code is not a value change; only the user's pick is.
  std::vector<std::string> Items() const;
  void SetItems(const std::vector<std::string>& items);
  void AddItem(const std::string& item);
  int ItemIndex() const;  // -1: nothing selected
  void SetItemIndex(int index);

  bool Enabled() const;
  // Edits, memos and spin boxes. A read-only spin box refuses typing and its arrows only beep.
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);

  TColour Colour() const { return colour_; }
  void SetColour(TColour colour);
  TColour TextColour() const { return design_.textColour; }

  // Spin boxes: the number in the text (0 when it is not a number; typed text is taken as it
  // stands); setting brings the value into the range first.
  int Value() const;
  void SetValue(int value);

  // Grids only; raises for other kinds.
  TGrid& Grid();

  // Used by the form.
  void CreateWindows(HWND parent, HFONT formFont);
  void AddGroupFrame(HFONT formFont);  // group boxes, once the elements inside exist
  void ForgetWindows();
  bool Owns(HWND window) const;
  HWND ContainerWindow() const;  // panels and group boxes: where children go
  HBRUSH BackgroundBrush() const { return brush_.get(); }
  void Notify(WORD code, HWND from);
  bool StepSpin(int delta);  // the arrows were clicked; true: handled
  void DrawBevel(const DRAWITEMSTRUCT& item) const;

 private:
  void RequireWindow() const;
  void RequireKind(TElementKind kind, const char* what) const;
  bool IsEditing() const;
  void ValueChanged();
  void ApplyReadOnly();
  void FitDropDownHeight();
  void FitSpinArrows();

  TForm& form_;
  TElementDesign design_;
  HWND window_ = nullptr;     // owned by the form's window tree
  HWND companion_ = nullptr;  // spin box: the arrows; group box: the frame
  std::unique_ptr<TGrid> grid_;
  TUniqueFont font_;
  TUniqueBrush brush_;
  TColour colour_;
  bool readOnly_ = false;
  int quietChanges_ = 0;  // text set by code: the control's own change notice is not a second one
};

}  // namespace corvane::forms
