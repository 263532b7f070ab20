// The component's face drawn into memory (no display needed), and its window: parked in the
// hidden window where one can be made, shown in a container's window, gone with that window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "core/EventLog.h"
#include "framework/WinHandle.h"

namespace corvane {
namespace {

constexpr int kCanvas = 40;
constexpr POINT kOrigin{4, 5};
constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);

// A 32-bit top-down section to draw on, filled with kBackground.
class Canvas {
 public:
  Canvas() : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kCanvas;
    info.bmiHeader.biHeight = -kCanvas;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    section_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    if (!section_) return;
    SelectObject(dc_.get(), section_.get());
    const uint32_t fill = GetRValue(kBackground) << 16 | GetGValue(kBackground) << 8 |
                          GetBValue(kBackground);
    for (int i = 0; i < kCanvas * kCanvas; ++i) bits_[i] = fill;
  }
  bool Ready() const { return dc_ && section_; }
  HDC Dc() const { return dc_.get(); }
  // The colour at (x, y) of the face drawn at kOrigin.
  COLORREF FaceAt(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[(kOrigin.y + y) * kCanvas + kOrigin.x + x];
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }

 private:
  TMemoryDC dc_;  // declared first: the section goes before the DC it is selected into
  TGdiObject<HBITMAP> section_;
  uint32_t* bits_ = nullptr;
};

// Where the centre of the picture's pixel (x, y) lands: 24 pixels stretched over 25 from 1.
int Stretched(int at) { return 1 + static_cast<int>(std::floor((at + 0.5) * 25 / 24)); }

TEST(ComponentFace, IsThePictureInARaisedFrameOfFixedSize) {
  TVEVivudAre component(nullptr);
  component.SetBounds(7, 9, 100, 50);
  EXPECT_EQ(component.Left(), 7);
  EXPECT_EQ(component.Top(), 9);
  EXPECT_EQ(component.Width(), 28);
  EXPECT_EQ(component.Height(), 28);

  BITMAP picture{};
  ASSERT_NE(GetObjectA(component.Bitmap(), sizeof(picture), &picture), 0);
  EXPECT_EQ(picture.bmWidth, 24);
  EXPECT_EQ(picture.bmHeight, 24);
  EXPECT_EQ(picture.bmBitsPixel, 4);

  Canvas canvas;
  ASSERT_TRUE(canvas.Ready());
  component.Paint(canvas.Dc(), kOrigin);
  const COLORREF white = RGB(255, 255, 255);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  EXPECT_EQ(canvas.FaceAt(0, 0), white);
  EXPECT_EQ(canvas.FaceAt(0, 27), white);
  EXPECT_EQ(canvas.FaceAt(27, 0), shadow);
  EXPECT_EQ(canvas.FaceAt(27, 27), shadow);
  // The picture fills 1..25; the column beside it is left as it was, and so is the outside.
  EXPECT_EQ(canvas.FaceAt(26, 13), kBackground);
  EXPECT_EQ(canvas.FaceAt(-1, -1), kBackground);
  EXPECT_EQ(canvas.FaceAt(28, 13), kBackground);
  // The error and warning marks and the page.
  EXPECT_EQ(canvas.FaceAt(Stretched(6), Stretched(5)), RGB(255, 0, 0));
  EXPECT_EQ(canvas.FaceAt(Stretched(6), Stretched(10)), RGB(255, 255, 0));
  EXPECT_EQ(canvas.FaceAt(Stretched(13), Stretched(8)), white);
}

TEST(ComponentWindow, IsParkedWhereItCanBeAndFollowsItsContainer) {
  TVEVivudAre component(nullptr);
  component.ParentTo(nullptr);
  const std::shared_ptr<TParkingWindow> parking = TParkingWindow::Acquire();
  if (!parking) {
    // No display: the component goes on without a window.
    EXPECT_EQ(component.WindowHandle(), nullptr);
    return;
  }
  HWND window = component.WindowHandle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), parking->Handle());
  EXPECT_FALSE(IsWindowVisible(window));

  TWindowOwner container(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                         nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(container);
  component.SetBounds(10, 20, 1, 1);
  component.ParentTo(container.get());
  EXPECT_EQ(component.WindowHandle(), window);
  EXPECT_EQ(GetParent(window), container.get());
  EXPECT_TRUE(IsWindowVisible(window));
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, container.get(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, 28);

  component.ParentTo(nullptr);
  EXPECT_EQ(GetParent(window), parking->Handle());
  component.ParentTo(container.get());
  container.reset();  // the container's window takes ours with it
  EXPECT_EQ(component.WindowHandle(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace corvane
