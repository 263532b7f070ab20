// The component's face and its window.
#include <cctype>
#include <string>

#include "framework/WindowClass.h"
#include "system/ErrorText.h"
#include "system/NTCommon.h"

namespace corvane {

namespace {

constexpr char kClassName[] = "CorvaneComponent";
constexpr COLORREF kWhite = RGB(255, 255, 255);

const TWindowClass& ComponentWindowClass(WNDPROC proc) {
  static const TWindowClass windowClass(kClassName, proc, 0,
                                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  return windowClass;
}

TNTPersistent* ComponentOf(HWND window) {
  return reinterpret_cast<TNTPersistent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void Line(HDC dc, COLORREF colour, POINT from, std::initializer_list<POINT> to) {
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
  if (!pen) return;
  const TSelection selection(dc, pen.get());
  MoveToEx(dc, from.x, from.y, nullptr);
  for (POINT p : to) LineTo(dc, p.x, p.y);
}

}  // namespace

TNTPersistent::~TNTPersistent() {
  // The window must not reach the component while it goes.
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

void TNTPersistent::SetBounds(int left, int top, int /*width*/, int /*height*/) {
  left_ = left;
  top_ = top;
  width_ = kFaceSize;
  height_ = kFaceSize;
  if (window_) MoveWindow(window_.get(), left_, top_, width_, height_, TRUE);
}

HBITMAP TNTPersistent::Bitmap() {
  if (!bitmapLoaded_) {
    bitmapLoaded_ = true;
    std::string name = ClassName();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // A section of our own rather than a bitmap of the display's format: no display is needed.
    bitmap_.reset(static_cast<HBITMAP>(
        LoadImageA(ThisModule(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }
  return bitmap_.get();
}

void TNTPersistent::Paint(HDC dc, POINT origin) {
  if (HBITMAP picture = Bitmap()) {
    BITMAP info{};
    if (GetObjectA(picture, sizeof(info), &info) != 0) {
      SetBounds(left_, top_, info.bmWidth, info.bmHeight);
      TMemoryDC source(CreateCompatibleDC(dc));
      if (source) {
        const TSelection selection(source.get(), picture);
        // Into left 1, top 1, right Width - 2, bottom Height - 2.
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, origin.x + 1, origin.y + 1, width_ - 3, height_ - 3, source.get(), 0, 0,
                   info.bmWidth, info.bmHeight, SRCCOPY);
      }
    }
  }
  const int right = origin.x + width_ - 1;
  const int bottom = origin.y + height_ - 1;
  Line(dc, kWhite, {origin.x, bottom}, {{origin.x, origin.y}, {right, origin.y}});
  Line(dc, GetSysColor(COLOR_BTNSHADOW), {right, origin.y}, {{right, bottom}, {origin.x, bottom}});
}

void TNTPersistent::ParentTo(HWND parent) {
  if (parent == nullptr) {
    if (!parking_) parking_ = TParkingWindow::Acquire();
    if (!parking_) {
      window_.reset();
      return;
    }
    parent = parking_->Handle();
  }
  if (window_) {
    SetParent(window_.get(), parent);
    return;
  }
  const TWindowClass& windowClass = ComponentWindowClass(&TNTPersistent::WindowProc);
  windowClass.Require();
  HWND window = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                left_, top_, width_, height_, parent, nullptr,
                                windowClass.Instance(), this);
  if (window == nullptr) RaiseLastSystemErrorOr("The component's window cannot be made");
  window_.reset(window);
}

void TNTPersistent::Repaint() {
  if (!window_) return;
  InvalidateRect(window_.get(), nullptr, TRUE);
  UpdateWindow(window_.get());
}

LRESULT CALLBACK TNTPersistent::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (TNTPersistent* component = ComponentOf(window); component && dc) {
        try {
          component->Paint(dc, POINT{0, 0});
        } catch (...) {
          // A face that cannot be drawn stays blank; painting must not fail the container.
        }
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      // Destroyed from outside (the container's window went first): forget the handle.
      if (TNTPersistent* component = ComponentOf(window)) component->window_.release();
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace corvane
