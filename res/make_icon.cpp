// Draws the program's icon and writes it as a single-image .ico file:
// 32 x 32 pixels, 16 colours. The artwork is a calendar page whose date
// digits stand over a two-headed arrow, the program's job at a glance.
// Usage: kestrom_make_icon OUTPUT.ico
#include <stdio.h>
#include <string.h>

#include <initializer_list>

namespace {

const int kSide = 32;
const int kTransparent = -1;

// The standard 16-colour palette, as blue, green, red, reserved.
const unsigned char kPalette[16][4] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
enum {
  kBlack = 0,
  kDarkRed = 1,
  kNavy = 4,
  kSilver = 7,
  kGrey = 8,
  kRed = 9,
  kBlue = 12,
  kWhite = 15
};

int pixels[kSide][kSide]; // [y][x], top row first

void Fill(int x0, int y0, int x1, int y1, int colour) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      pixels[y][x] = colour;
}

void Frame(int x0, int y0, int x1, int y1, int colour) {
  Fill(x0, y0, x1, y0, colour);
  Fill(x0, y1, x1, y1, colour);
  Fill(x0, y0, x0, y1, colour);
  Fill(x1, y0, x1, y1, colour);
}

// Digits in a 3 x 5 font, drawn twice the size.
void Digit(int x, int y, int digit, int colour) {
  static const char *const kFont[10] = {"111101101101111", "010110010010111",
                                        "111001111100111", "111001111001111",
                                        "101101111001001", "111100111001111",
                                        "111100111101111", "111001001001001",
                                        "111101111101111", "111101111001111"};
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 3; ++col)
      if (kFont[digit][row * 3 + col] == '1')
        Fill(x + col * 2, y + row * 2, x + col * 2 + 1, y + row * 2 + 1,
             colour);
}

void Draw() {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      pixels[y][x] = kTransparent;
  // Page with a shadow, a red header and two binder rings.
  Fill(5, 5, 29, 30, kGrey);
  Fill(3, 3, 27, 28, kWhite);
  Frame(3, 3, 27, 28, kBlack);
  Fill(4, 4, 26, 9, kRed);
  Fill(4, 9, 26, 9, kDarkRed);
  for (int ring : {9, 20}) {
    Fill(ring, 1, ring + 1, 6, kBlack);
    Fill(ring, 2, ring, 5, kSilver);
  }
  // A date's two digits, the part that moves.
  Digit(8, 11, 1, kNavy);
  Digit(16, 11, 2, kNavy);
  // A two-headed arrow: the halves trade places.
  Fill(7, 24, 23, 25, kBlue);
  for (int k = 1; k <= 2; ++k) {
    Fill(7 + k, 24 - k, 7 + k, 25 + k, kBlue);
    Fill(23 - k, 24 - k, 23 - k, 25 + k, kBlue);
  }
}

void Put16(unsigned char *&p, unsigned v) {
  *p++ = v & 0xFF;
  *p++ = (v >> 8) & 0xFF;
}

void Put32(unsigned char *&p, unsigned v) {
  Put16(p, v & 0xFFFF);
  Put16(p, v >> 16);
}

// Header, palette, 4-bit colour rows and the 1-bit mask, both bottom-up.
int Encode(unsigned char *out) {
  const int xorBytes = kSide * kSide / 2, andBytes = kSide * kSide / 8;
  const int imageBytes = 40 + 64 + xorBytes + andBytes;
  unsigned char *p = out;
  Put16(p, 0), Put16(p, 1), Put16(p, 1); // icon directory, one image
  *p++ = kSide, *p++ = kSide, *p++ = 16, *p++ = 0;
  Put16(p, 1), Put16(p, 4), Put32(p, imageBytes), Put32(p, 22);
  Put32(p, 40), Put32(p, kSide), Put32(p, kSide * 2); // colour + mask
  Put16(p, 1), Put16(p, 4), Put32(p, 0), Put32(p, xorBytes + andBytes);
  Put32(p, 0), Put32(p, 0), Put32(p, 16), Put32(p, 0);
  memcpy(p, kPalette, sizeof kPalette);
  p += sizeof kPalette;
  for (int y = kSide - 1; y >= 0; --y)
    for (int x = 0; x < kSide; x += 2) {
      int hi = pixels[y][x] < 0 ? 0 : pixels[y][x];
      int lo = pixels[y][x + 1] < 0 ? 0 : pixels[y][x + 1];
      *p++ = static_cast<unsigned char>(hi << 4 | lo);
    }
  for (int y = kSide - 1; y >= 0; --y)
    for (int x = 0; x < kSide; x += 8) {
      unsigned char bits = 0;
      for (int b = 0; b < 8; ++b)
        if (pixels[y][x + b] == kTransparent)
          bits |= 0x80 >> b;
      *p++ = bits;
    }
  return static_cast<int>(p - out);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
    return 2;
  }
  Draw();
  static unsigned char ico[1024];
  int length = Encode(ico);
  FILE *out = fopen(argv[1], "wb");
  if (!out || fwrite(ico, 1, length, out) != size_t(length) || fclose(out)) {
    perror(argv[1]);
    return 1;
  }
  return 0;
}
