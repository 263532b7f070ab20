// A real container: the system's ATL host window creates the control by its class identifier,
// activates it in place and lets it draw its face. Needs a display (run under Xvfb); the
// screen as the user would see it is saved under the build tree.
#include <gtest/gtest.h>

#include <windows.h>
#include <ocidl.h>

#include <fstream>
#include <string>

#include "ControlTestSupport.h"
#include "automation/CreateRendal.h"
#include "framework/com/ClassFactory.h"
#include "framework/WinHandle.h"

namespace corvane::control_test {
namespace {

using AxWinInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

constexpr int kHostLeft = 20;
constexpr int kHostTop = 30;

class ControlHostTest : public ControlTest {};

void Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// The screen rectangle `area` as a 24-bit bottom-up BMP file, for a person to look at.
void SaveScreen(const RECT& area, const std::string& path) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  const TMemoryDC memory(CreateCompatibleDC(screen));
  const TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, width, height));
  {
    const TSelection selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  }
  ReleaseDC(nullptr, screen);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof header};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

TEST_F(ControlHostTest, TheAtlHostActivatesTheControlAndShowsItsFace) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  // Through void*: the loader's FARPROC is not the entry points' own type.
  auto init = reinterpret_cast<AxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  auto getControl =
      reinterpret_cast<AxGetControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_TRUE(init && getControl && init());

  // The host finds the class the way it finds any class: through COM.
  ComPtr<ClassFactory> factory = Make<ClassFactory>(ClassRegistration{}, &CreateRendal);
  DWORD registration = 0;
  ASSERT_EQ(CoRegisterClassObject(__uuidof(Rendal), factory->Identity(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                  &registration),
            S_OK);

  TWindowOwner frame(CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 120, 120, nullptr, nullptr,
                                     nullptr, nullptr));
  if (!frame) {
    CoRevokeClassObject(registration);
    GTEST_SKIP() << "no display";
  }
  HWND host = CreateWindowExW(0, L"AtlAxWin", L"{07ACEE36-F982-4B42-BBAF-ED747C684B26}", WS_CHILD | WS_VISIBLE,
                              kHostLeft, kHostTop, 60, 60, frame.get(), nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  Pump(500);

  ComPtr<IUnknown> control;
  ASSERT_EQ(getControl(host, control.put()), S_OK);
  ASSERT_TRUE(control);
  HWND face = nullptr;
  ASSERT_EQ(control.query<IOleInPlaceObject>()->GetWindow(&face), S_OK);
  EXPECT_EQ(GetParent(face), host);
  EXPECT_TRUE(IsWindowVisible(face));

  RECT area{0, 0, 120, 120};
  SaveScreen(area, std::string(CORVANE_BINARY_DIR) + "/control_host.bmp");
  // The face's raised frame: white top-left corner, shadowed bottom-right corner.
  HDC screen = GetDC(nullptr);
  const COLORREF topLeft = GetPixel(screen, kHostLeft, kHostTop);
  const COLORREF bottomRight = GetPixel(screen, kHostLeft + 27, kHostTop + 27);
  const COLORREF outside = GetPixel(screen, kHostLeft + 40, kHostTop + 40);
  // Inside the frame, the picture: more than one colour.
  bool pictured = false;
  const COLORREF first = GetPixel(screen, kHostLeft + 2, kHostTop + 2);
  for (int y = 2; y < 26 && !pictured; ++y) {
    for (int x = 2; x < 26 && !pictured; ++x) pictured = GetPixel(screen, kHostLeft + x, kHostTop + y) != first;
  }
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(pictured);
  EXPECT_EQ(topLeft, RGB(255, 255, 255));
  EXPECT_EQ(bottomRight, GetSysColor(COLOR_BTNSHADOW));
  EXPECT_NE(outside, bottomRight);

  control.reset();
  DestroyWindow(host);
  frame.reset();
  Pump(100);
  CoRevokeClassObject(registration);
}

}  // namespace
}  // namespace corvane::control_test
