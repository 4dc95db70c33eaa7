// Where a window goes to sit in the middle of the screen. Pure arithmetic,
// kept apart from the Win32 call so it can be checked anywhere.
#pragma once

// Writes to *x and *y the origin that centres a window on the screen, in
// signed arithmetic truncating toward zero: a window wider or taller than
// the screen gets a negative origin, half its overhang off each side.
void CenteredOrigin(int screenWidth, int screenHeight, int width, int height,
                    int *x, int *y);
