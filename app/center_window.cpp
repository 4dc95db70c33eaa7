#include "app.h"
#include "window_position.h"

// Runs before the dialog is shown, so there is nothing to repaint.
void CenterWindow(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int x, y;
  CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 width, height, &x, &y);
  MoveWindow(window, x, y, width, height, FALSE);
}
