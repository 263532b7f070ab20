// The owner-drawn one-column grid: it keeps no cell data, only a row count, and asks its draw
// callback for the rows that are visible when it paints, so a row count of hundreds of thousands
// costs nothing until rows are seen. The grid always has at least one row.
#pragma once

#include <windows.h>

namespace corvane::forms {

class TElement;

class TGrid {
 public:
  explicit TGrid(TElement& element) : element_(element) {}
  TGrid(const TGrid&) = delete;
  TGrid& operator=(const TGrid&) = delete;

  // The grid's window class; registered once.
  static const char* ClassName();
  void Attach(HWND window);

  int RowCount() const { return rowCount_; }
  void SetRowCount(int count);  // below 1 counts as 1
  int RowHeight() const { return rowHeight_; }
  int ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(int width);
  int ClientWidth() const;
  // Rows fully visible in the client area (at least 1).
  int VisibleRowCount() const;

  int TopRow() const { return topRow_; }
  void SetTopRow(int row);  // kept within 0 .. RowCount - VisibleRowCount
  // The selected row; selecting scrolls it into view.
  int Row() const { return row_; }
  void SetRow(int row);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Paint();
  void UpdateScrollBar();
  void Scroll(WORD request);
  void Invalidate();
  void InvalidateRow(int row);

  TElement& element_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;  // the element's or the form's; not ours to delete
  int rowCount_ = 1;
  int rowHeight_ = 24;
  int columnWidth_ = 64;
  int topRow_ = 0;
  int row_ = 0;
};

}  // namespace corvane::forms
