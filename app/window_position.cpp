#include "window_position.h"

void CenteredOrigin(int screenWidth, int screenHeight, int width, int height,
                    int *x, int *y) {
  *x = (screenWidth - width) / 2;
  *y = (screenHeight - height) / 2;
}
