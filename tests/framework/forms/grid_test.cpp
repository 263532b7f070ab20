// The owner-drawn grid asks for the rows it shows and for no others, however many rows it has.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "FormTestSupport.h"
#include "framework/forms/Form.h"
#include "framework/forms/Grid.h"

namespace corvane::forms {
namespace {

TEST(GridTest, PaintsOnlyTheVisibleRowsOfTwoHundredThousand) {
  std::vector<int> drawn;
  int selectedDrawn = -1;
  TFormDesign design;
  design.width = 300;
  design.height = 240;
  design.elements = {
      {.kind = TElementKind::Grid, .name = "drgItems", .bounds = {4, 56, 233, 169},
       .tabOrder = 0, .rowHeight = 18, .gridLines = false,
       .onDrawCell = [&](TElement&, int column, int row, HDC, const RECT&, TCellState state) {
         EXPECT_EQ(column, 0);
         drawn.push_back(row);
         if (state.selected) selectedDrawn = row;
       }}};
  test::THostWindow host(360, 300);
  TForm form(std::move(design));
  form.Attach(host.Handle(), RECT{0, 0, 300, 240});
  form.Show(true);
  TElement& element = form.Element("drgItems");
  TGrid& grid = element.Grid();
  grid.SetRowCount(200000);
  const int visible = grid.VisibleRowCount();
  EXPECT_GE(visible, 8);
  EXPECT_LE(visible, 9);

  drawn.clear();
  InvalidateRect(element.Handle(), nullptr, TRUE);
  UpdateWindow(element.Handle());
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(*std::min_element(drawn.begin(), drawn.end()), 0);
  EXPECT_LE(*std::max_element(drawn.begin(), drawn.end()), visible);  // a part row at the bottom
  EXPECT_EQ(selectedDrawn, 0);

  // The End key selects the last row and scrolls it into view.
  drawn.clear();
  SendMessageA(element.Handle(), WM_KEYDOWN, VK_END, 0);
  UpdateWindow(element.Handle());
  EXPECT_EQ(grid.Row(), 199999);
  EXPECT_EQ(grid.TopRow(), 200000 - visible);
  ASSERT_FALSE(drawn.empty());
  EXPECT_GE(*std::min_element(drawn.begin(), drawn.end()), 200000 - visible);
  EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()), 199999);
  EXPECT_EQ(selectedDrawn, 199999);

  // Scrolled through the bar, the grid knows the whole 32-bit position.
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  GetScrollInfo(element.Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, 200000 - visible);
  drawn.clear();
  SendMessageA(element.Handle(), WM_VSCROLL, SB_PAGEUP, 0);
  UpdateWindow(element.Handle());
  EXPECT_EQ(grid.TopRow(), 200000 - 2 * visible);
  EXPECT_LE(drawn.size(), size_t(visible + 1));
}

TEST(GridTest, KeepsAtLeastOneRow) {
  TFormDesign design;
  design.elements = {{.kind = TElementKind::Grid, .name = "grid", .bounds = {0, 0, 100, 100}}};
  TForm form(std::move(design));
  form.Element("grid").Grid().SetRowCount(0);
  EXPECT_EQ(form.Element("grid").Grid().RowCount(), 1);
}

}  // namespace
}  // namespace corvane::forms
