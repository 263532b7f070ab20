// What a control asks of the component it wraps: its window, the size and drawing of its face,
// and the component whose published properties the control saves and restores. The component's
// class implements it; the control framework knows nothing else of it.
#pragma once
#include <windows.h>

namespace corvane {

class TComponent;

class IControlledComponent {
 public:
  virtual ~IControlledComponent() = default;

  // The component whose published properties go into the control's saved state.
  virtual TComponent& Streamed() = 0;

  // Null until a container shows the component or it could be parked.
  virtual HWND WindowHandle() const = 0;
  // Places the window in `parent`; null parks it (or destroys it where no parking window can be
  // made). Raises the system's error when a window for a real parent cannot be made.
  virtual void ParentTo(HWND parent) = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Draws the face with its top-left corner at `origin` of `dc`.
  virtual void Paint(HDC dc, POINT origin) = 0;
};

}  // namespace corvane
