#include "PageFrame.h"

#include <fstream>
#include <stdexcept>

#include "PngFile.h"
#include "framework/WindowClass.h"
#include "framework/com/UniqueTaskMem.h"
#include "framework/forms/ErrorDisplay.h"

namespace corvane::pageframe {

namespace {

constexpr int kMargin = 6;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kApplyId = 1001;
constexpr int kCloseId = 1002;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* frame = reinterpret_cast<TPageFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (frame == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return forms::GuardWindowCall(
      [&] { return frame->HandleMessage(window, message, wParam, lParam); }, 0);
}

const char* FrameClass() {
  static const TWindowClass windowClass("CorvanePageFrame", &FrameProc);
  return windowClass.Name();
}

std::wstring Take(const UniqueTaskMem<OLECHAR>& text) { return text.get() != nullptr ? text.get() : L""; }

}  // namespace

TPageFrame::TPageFrame(IPropertyPage* page)
    : page_(ComPtr<IPropertyPage>::Copy(page)), site_(Make<TPageSite>()) {
  site_->SetStatusListener([this](DWORD flags) {
    if (applyButton_ != nullptr && (flags & PROPPAGESTATUS_DIRTY) != 0) {
      EnableWindow(applyButton_, TRUE);
    }
  });
}

TPageFrame::~TPageFrame() {
  if (active_) Deactivate();
  page_->SetPageSite(nullptr);
  site_->SetStatusListener(nullptr);
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

HRESULT TPageFrame::SetPageSite() { return page_->SetPageSite(site_.get()); }

HRESULT TPageFrame::SetObjects(const std::vector<IUnknown*>& objects) {
  // An empty vector's data() may be null, which a page rightly refuses; frames pass a real list.
  IUnknown* none = nullptr;
  IUnknown** list = objects.empty() ? &none : const_cast<IUnknown**>(objects.data());
  return page_->SetObjects(ULONG(objects.size()), list);
}

TPageInfo TPageFrame::PageInfo() {
  PROPPAGEINFO raw{};
  raw.cb = sizeof(raw);
  TPageInfo info;
  info.result = page_->GetPageInfo(&raw);
  // The strings belong to the frame now, whatever the result.
  UniqueTaskMem<OLECHAR> title, doc, help;
  *title.put() = raw.pszTitle;
  *doc.put() = raw.pszDocString;
  *help.put() = raw.pszHelpFile;
  info.title = Take(title);
  info.docString = Take(doc);
  info.helpFile = Take(help);
  info.size = raw.size;
  info.helpContext = raw.dwHelpContext;
  return info;
}

void TPageFrame::OpenWindow(const TPageInfo& info) {
  const int width = std::max<int>(info.size.cx, 2 * kButtonWidth + kMargin);
  const int height = info.size.cy;
  pageRect_ = RECT{kMargin, kMargin, kMargin + width, kMargin + height};
  RECT outer{0, 0, width + 2 * kMargin, height + 3 * kMargin + kButtonHeight};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CONTROLPARENT);
  const std::string title = "Page: " + std::string(info.title.begin(), info.title.end());
  window_.reset(CreateWindowExA(WS_EX_CONTROLPARENT, FrameClass(), title.c_str(), style, 40, 40,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                nullptr, ThisModule(), nullptr));
  if (!window_) {
    throw std::runtime_error("the frame window cannot be created (error " +
                             std::to_string(GetLastError()) + "; is there a display?)");
  }
  SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const int buttonsTop = pageRect_.bottom + kMargin;
  applyButton_ = CreateWindowExA(0, "BUTTON", "Apply", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED,
                                 pageRect_.right - 2 * kButtonWidth - kMargin, buttonsTop,
                                 kButtonWidth, kButtonHeight, window_.get(),
                                 reinterpret_cast<HMENU>(kApplyId), ThisModule(), nullptr);
  CreateWindowExA(0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                  pageRect_.right - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight,
                  window_.get(), reinterpret_cast<HMENU>(kCloseId), ThisModule(), nullptr);
  SendMessageA(applyButton_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ShowWindow(window_.get(), SW_SHOWNORMAL);
}

HRESULT TPageFrame::Activate() {
  if (!window_) OpenWindow(PageInfo());
  const HRESULT result = page_->Activate(window_.get(), &pageRect_, FALSE);
  active_ = active_ || SUCCEEDED(result);
  return result;
}

HRESULT TPageFrame::Show(UINT command) { return page_->Show(command); }

HRESULT TPageFrame::IsPageDirty() { return page_->IsPageDirty(); }

HRESULT TPageFrame::Apply() {
  const HRESULT result = page_->Apply();
  if (result == S_OK && applyButton_ != nullptr) EnableWindow(applyButton_, FALSE);
  return result;
}

HRESULT TPageFrame::Deactivate() {
  active_ = false;
  return page_->Deactivate();
}

LRESULT TPageFrame::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kApplyId) Apply();
      if (LOWORD(wParam) == kCloseId) PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_CLOSE:
      if (active_) Deactivate();
      DestroyWindow(window_.release());
      applyButton_ = nullptr;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool TPageFrame::Dispatch(MSG& message) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && active_ &&
      page_->TranslateAccelerator(&message) == S_OK) {
    return true;
  }
  if (window_ && IsDialogMessageA(window_.get(), &message)) return true;
  TranslateMessage(&message);
  DispatchMessageA(&message);
  return true;
}

void TPageFrame::Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) Dispatch(message);
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

void TPageFrame::RunUntilClosed() {
  MSG message;
  while (window_ && GetMessageA(&message, nullptr, 0, 0) > 0) Dispatch(message);
}

void TPageFrame::SaveScreenshot(const std::string& path) {
  if (!window_) throw std::runtime_error("no frame window to take a picture of");
  RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump(100);
  SaveWindowPicture(window_.get(), path);
}

void SaveWindowPicture(HWND window, const std::string& path) {
  RECT box{};
  GetWindowRect(window, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  forms::TUniqueMemoryDc memory(CreateCompatibleDC(screen));
  forms::TUniqueBitmap bitmap(CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  bool copied = false;
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    copied = BitBlt(memory.get(), 0, 0, width, height, screen, box.left, box.top, SRCCOPY) != FALSE;
    SelectObject(memory.get(), old);
    GdiFlush();
  }
  ReleaseDC(nullptr, screen);
  if (!copied) throw std::runtime_error("the screen cannot be read");

  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(bits) + stride * y;
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  const std::vector<uint8_t> png = EncodePng(uint32_t(width), uint32_t(height), rgb);
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace corvane::pageframe
