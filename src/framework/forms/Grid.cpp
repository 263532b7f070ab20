#include "framework/forms/Grid.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/forms/Element.h"
#include "framework/forms/ErrorDisplay.h"
#include "framework/forms/Form.h"
#include "framework/WindowClass.h"

namespace corvane::forms {

namespace {

constexpr char kGridClass[] = "CorvaneFormsGrid";
constexpr int kWheelRows = 3;

LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* grid = reinterpret_cast<TGrid*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (grid == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return GuardWindowCall([&] { return grid->HandleMessage(message, wParam, lParam); }, 0);
}

}  // namespace

const char* TGrid::ClassName() {
  static const TWindowClass windowClass(kGridClass, &GridProc, CS_DBLCLKS);
  return windowClass.Name();
}

void TGrid::Attach(HWND window) {
  window_ = window;
  rowHeight_ = std::max(1, element_.Design().rowHeight);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  columnWidth_ = ClientWidth();
  UpdateScrollBar();
}

void TGrid::SetRowCount(int count) {
  rowCount_ = std::max(1, count);
  row_ = std::min(row_, rowCount_ - 1);
  SetTopRow(topRow_);
  UpdateScrollBar();
  Invalidate();
}

void TGrid::SetColumnWidth(int width) {
  columnWidth_ = std::max(0, width);
  Invalidate();
}

int TGrid::ClientWidth() const {
  RECT client{};
  if (window_ != nullptr) GetClientRect(window_, &client);
  return client.right;
}

int TGrid::VisibleRowCount() const {
  RECT client{};
  if (window_ != nullptr) GetClientRect(window_, &client);
  return std::max(1, int(client.bottom / rowHeight_));
}

void TGrid::SetTopRow(int row) {
  const int top = std::clamp(row, 0, std::max(0, rowCount_ - VisibleRowCount()));
  if (top == topRow_) return;
  topRow_ = top;
  UpdateScrollBar();
  Invalidate();
}

void TGrid::SetRow(int row) {
  const int target = std::clamp(row, 0, rowCount_ - 1);
  if (target != row_) {
    InvalidateRow(row_);
    row_ = target;
    InvalidateRow(row_);
  }
  if (row_ < topRow_) {
    SetTopRow(row_);
  } else if (row_ >= topRow_ + VisibleRowCount()) {
    SetTopRow(row_ - VisibleRowCount() + 1);
  }
}

void TGrid::Invalidate() {
  if (window_ != nullptr) InvalidateRect(window_, nullptr, TRUE);
}

void TGrid::InvalidateRow(int row) {
  if (window_ == nullptr) return;
  const RECT cell{0, (row - topRow_) * rowHeight_, ClientWidth(), (row - topRow_ + 1) * rowHeight_};
  InvalidateRect(window_, &cell, TRUE);
}

void TGrid::UpdateScrollBar() {
  if (window_ == nullptr) return;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = rowCount_ - 1;
  info.nPage = UINT(VisibleRowCount());
  info.nPos = topRow_;
  SetScrollInfo(window_, SB_VERT, &info, TRUE);
}

void TGrid::Scroll(WORD request) {
  const int page = VisibleRowCount();
  switch (request) {
    case SB_LINEUP: SetTopRow(topRow_ - 1); break;
    case SB_LINEDOWN: SetTopRow(topRow_ + 1); break;
    case SB_PAGEUP: SetTopRow(topRow_ - page); break;
    case SB_PAGEDOWN: SetTopRow(topRow_ + page); break;
    case SB_TOP: SetTopRow(0); break;
    case SB_BOTTOM: SetTopRow(rowCount_); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 16-bit position in the message would cut large row counts; the track position
      // holds all 32 bits.
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(window_, SB_VERT, &info);
      SetTopRow(info.nTrackPos);
      break;
    }
    default: break;
  }
}

void TGrid::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window_, &paint);
  // Ends the paint however the draw callback leaves.
  struct TEndPaint {
    HWND window;
    PAINTSTRUCT* paint;
    ~TEndPaint() { EndPaint(window, paint); }
  } endPaint{window_, &paint};

  const TElementDesign& design = element_.Design();
  const TColour colour = element_.Colour();
  const COLORREF background = colour.IsDefault() ? GetSysColor(COLOR_WINDOW) : colour.Resolve();
  SetDCBrushColor(dc, background);
  FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  if (!design.onDrawCell) return;

  const int first = topRow_ + int(paint.rcPaint.top / rowHeight_);
  const int last = std::min(rowCount_ - 1, topRow_ + int((paint.rcPaint.bottom - 1) / rowHeight_));
  const bool focused = GetFocus() == window_;
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0)));
  for (int row = first; row <= last; ++row) {
    RECT cell{0, (row - topRow_) * rowHeight_, columnWidth_, (row - topRow_ + 1) * rowHeight_};
    if (design.gridLines) {
      RECT line{cell.left, cell.bottom - 1, cell.right, cell.bottom};
      FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
      line = RECT{cell.right - 1, cell.top, cell.right, cell.bottom};
      FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
      cell.bottom -= 1;
      cell.right -= 1;
    }
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    design.onDrawCell(element_, 0, row, dc, cell, TCellState{row == row_, focused});
    RestoreDC(dc, saved);
  }
  SelectObject(dc, oldFont);
}

LRESULT TGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = window_;
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint fills every pixel
    case WM_SIZE:
      SetTopRow(topRow_);
      UpdateScrollBar();
      Invalidate();
      return 0;
    case WM_VSCROLL:
      Scroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      SetTopRow(topRow_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelRows);
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(window_);
      const int row = topRow_ + GET_Y_LPARAM(lParam) / rowHeight_;
      if (row < rowCount_) SetRow(row);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRow(row_);
      return 0;
    case WM_SETFONT:
      // The default window procedure keeps no font; the cells are drawn in this one.
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam) != 0) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP: SetRow(row_ - 1); return 0;
        case VK_DOWN: SetRow(row_ + 1); return 0;
        case VK_PRIOR: SetRow(row_ - VisibleRowCount()); return 0;
        case VK_NEXT: SetRow(row_ + VisibleRowCount()); return 0;
        case VK_HOME: SetRow(0); return 0;
        case VK_END: SetRow(rowCount_ - 1); return 0;
        default: break;
      }
      break;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace corvane::forms
