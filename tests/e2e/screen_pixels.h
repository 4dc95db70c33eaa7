// What is on the screen, pixel by pixel: another process's icons can only
// be checked by looking, since WM_GETICON does not cross processes here.
#pragma once

#include <vector>

#include <windows.h>

struct Pixels {
  int width;
  int height;
  std::vector<DWORD> rgb; // top row first, 0x00RRGGBB
};

int CaptureScreen(const RECT &area, Pixels *pixels);
// The icon drawn at side x side: its colours, and a mask that is 0 where
// the icon is opaque (only those pixels say anything about the icon).
int RenderIcon(HICON icon, int side, Pixels *colour, Pixels *mask);
// 1 when the icon's opaque pixels appear exactly somewhere in the screen.
int ContainsIcon(const Pixels &screen, const Pixels &colour,
                 const Pixels &mask);
