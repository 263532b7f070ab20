// A form declared once, as data: the form's own settings and one record per element (name,
// caption, bounds, tab order, look and handlers). Sizes are pixels at 96 pixels per inch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvane::forms {

class TElement;
class TForm;

enum class TElementKind {
  Label,
  Edit,          // single line
  PasswordEdit,  // single line, every character shown as "*"
  Memo,          // multi-line, read-only, vertical scroll bar
  DropDownList,  // picks one of its items, no free text
  CheckBox,
  Panel,     // borderless container; elements name it as their parent
  GroupBox,  // framed container with a caption
  Bevel,     // a sunken line along the bottom of its bounds
  SpinBox,   // numeric edit with up/down arrows
  Grid,      // owner-drawn, one column, virtual rows
};

// A colour: either red/green/blue or one of the system's colour indexes (COLOR_BTNFACE...),
// read from the system when used, so a theme change is followed. The empty colour means
// "what the control draws by itself".
class TColour {
 public:
  constexpr TColour() = default;
  static constexpr TColour Rgb(BYTE red, BYTE green, BYTE blue) {
    return TColour(Kind::Rgb, RGB(red, green, blue));
  }
  static constexpr TColour System(int index) { return TColour(Kind::System, DWORD(index)); }

  bool IsDefault() const { return kind_ == Kind::Default; }
  COLORREF Resolve() const {
    return kind_ == Kind::System ? GetSysColor(int(value_)) : COLORREF(value_);
  }
  bool operator==(const TColour&) const = default;

 private:
  enum class Kind { Default, Rgb, System };
  constexpr TColour(Kind kind, DWORD value) : kind_(kind), value_(value) {}
  Kind kind_ = Kind::Default;
  DWORD value_ = 0;
};

struct TFontDesign {
  std::string face = "MS Sans Serif";
  int height = -11;  // character height in pixels, negative as CreateFont takes it (8 point)
  BYTE charSet = ANSI_CHARSET;
  bool fixedPitch = false;
};

struct TBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Cell states handed to a grid's draw callback.
struct TCellState {
  bool selected = false;
  bool focused = false;  // the grid holds the keyboard focus
};

using TElementEvent = std::function<void(TElement& sender)>;
// Paints one cell; the device context has the grid's font selected. Called only for rows that
// are visible and inside the row count.
using TDrawCellEvent =
    std::function<void(TElement& sender, int column, int row, HDC dc, const RECT& cell,
                        TCellState state)>;
using TFormEvent = std::function<void(TForm& sender)>;

struct TElementDesign {
  TElementKind kind = TElementKind::Label;
  std::string name;
  std::string caption;  // label, check box and group box caption; initial text otherwise
  TBounds bounds;       // relative to the parent element, or to the form
  int tabOrder = -1;    // position among the parent's focusable elements; -1: not a tab stop
  std::string parent;   // the name of a panel or group box; empty for the form itself

  bool enabled = true;
  bool readOnly = false;
  bool border = true;  // edits, memos and grids; a memo without border reads as plain text
  bool scrollBar = true;  // memos: a vertical scroll bar
  TColour colour;      // background
  TColour textColour;
  const TFontDesign* font = nullptr;  // null: the form's font

  // Drop-down lists: height of the list's items (0: from the font).
  int itemHeight = 0;
  // Spin boxes: the range the arrows keep to, and the step of one arrow click.
  int minimum = 0;
  int maximum = 100;
  int step = 1;
  // Grids.
  int rowHeight = 24;
  bool gridLines = true;

  // Hints: shown when the mouse rests on the element and showHint is set.
  std::string hint;
  bool showHint = false;

  TElementEvent onChange;  // the value changed (text, selection, spin value)
  TElementEvent onClick;   // check boxes: the checked state changed, by the user or by code
  TDrawCellEvent onDrawCell;
};

struct TFormDesign {
  std::string caption;
  int helpContext = 0;  // the help topic of the whole form
  int width = 0;
  int height = 0;
  TColour colour = TColour::System(COLOR_BTNFACE);
  TColour textColour = TColour::System(COLOR_WINDOWTEXT);
  TFontDesign font;
  std::vector<TElementDesign> elements;
  // The keyboard focus moved into the form from outside it.
  TFormEvent onActivate;
};

}  // namespace corvane::forms
