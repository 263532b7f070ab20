#include "framework/forms/FormWindow.h"

#include <string>

#include "framework/OleSysError.h"
#include "framework/forms/ErrorDisplay.h"
#include "framework/forms/Form.h"

namespace corvane::forms {

namespace {

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return GuardWindowCall([&] { return form->HandleMessage(window, message, wParam, lParam); }, 0);
}

}  // namespace

const char* FormWindowClass() {
  static const TWindowClass windowClass("CorvaneForm", &FormProc);
  return windowClass.Name();
}

HFONT MakeFont(const TFontDesign& font) {
  LOGFONTA info{};
  info.lfHeight = font.height;
  info.lfWeight = FW_NORMAL;
  info.lfCharSet = font.charSet;
  info.lfPitchAndFamily = font.fixedPitch ? FIXED_PITCH : DEFAULT_PITCH;
  lstrcpynA(info.lfFaceName, font.face.c_str(), LF_FACESIZE);
  HFONT made = CreateFontIndirectA(&info);
  if (made == nullptr) {
    throw EOleSysError("The font " + font.face + " cannot be made", kSystemErrorCode);
  }
  return made;
}

}  // namespace corvane::forms
