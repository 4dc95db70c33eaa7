#include "screen_pixels.h"

#include <string.h>

namespace {

// A 32-bit top-down DIB section selected into a memory DC.
struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  DWORD *bits;
};

int OpenCanvas(int width, int height, Canvas *canvas) {
  BITMAPINFO info;
  memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  canvas->dc = CreateCompatibleDC(nullptr);
  canvas->bitmap =
      CreateDIBSection(canvas->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!canvas->dc || !canvas->bitmap) {
    if (canvas->dc)
      DeleteDC(canvas->dc);
    return 0;
  }
  canvas->previous = SelectObject(canvas->dc, canvas->bitmap);
  canvas->bits = static_cast<DWORD *>(bits);
  return 1;
}

void CloseCanvas(const Canvas &canvas, int width, int height, Pixels *pixels) {
  GdiFlush();
  pixels->width = width;
  pixels->height = height;
  pixels->rgb.assign(canvas.bits, canvas.bits + width * height);
  for (DWORD &pixel : pixels->rgb)
    pixel &= 0xFFFFFF;
  SelectObject(canvas.dc, canvas.previous);
  DeleteObject(canvas.bitmap);
  DeleteDC(canvas.dc);
}

int DrawOn(HICON icon, int side, COLORREF background, UINT how,
           Pixels *pixels) {
  Canvas canvas;
  if (!OpenCanvas(side, side, &canvas))
    return 0;
  RECT all = {0, 0, side, side};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(canvas.dc, &all, brush);
  DeleteObject(brush);
  int drawn = DrawIconEx(canvas.dc, 0, 0, icon, side, side, 0, nullptr, how);
  CloseCanvas(canvas, side, side, pixels);
  return drawn != 0;
}

int MatchesAt(const Pixels &screen, int left, int top, const Pixels &colour,
              const Pixels &mask) {
  for (int y = 0; y < colour.height; ++y)
    for (int x = 0; x < colour.width; ++x) {
      int i = y * colour.width + x;
      if (mask.rgb[i] == 0 &&
          screen.rgb[(top + y) * screen.width + left + x] != colour.rgb[i])
        return 0;
    }
  return 1;
}

} // namespace

int CaptureScreen(const RECT &area, Pixels *pixels) {
  int width = area.right - area.left, height = area.bottom - area.top;
  Canvas canvas;
  if (width <= 0 || height <= 0 || !OpenCanvas(width, height, &canvas))
    return 0;
  HDC screen = GetDC(nullptr);
  BOOL copied = BitBlt(canvas.dc, 0, 0, width, height, screen, area.left,
                       area.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  CloseCanvas(canvas, width, height, pixels);
  return copied != 0;
}

// Opaque pixels come out the same on any background; the mask drawn on
// white turns exactly those black.
int RenderIcon(HICON icon, int side, Pixels *colour, Pixels *mask) {
  return DrawOn(icon, side, RGB(0, 0, 0), DI_NORMAL, colour) &&
         DrawOn(icon, side, RGB(255, 255, 255), DI_MASK, mask);
}

int ContainsIcon(const Pixels &screen, const Pixels &colour,
                 const Pixels &mask) {
  for (int top = 0; top + colour.height <= screen.height; ++top)
    for (int left = 0; left + colour.width <= screen.width; ++left)
      if (MatchesAt(screen, left, top, colour, mask))
        return 1;
  return 0;
}
