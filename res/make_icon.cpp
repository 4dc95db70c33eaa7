// Draws the program's icon and writes it as a single-image .ico file:
// 32 x 32 pixels, 16 colours. The artwork is a calendar page whose date
// digits stand over a two-headed arrow, the program's job at a glance.
// Windows shows the one image at 16 pixels in the title bar and the
// taskbar, so it is drawn in cells of 2 x 2 pixels: halving it drops no
// line, and at 24 pixels every line keeps at least one.
// Usage: kestrom_make_icon OUTPUT.ico
#include <stdio.h>
#include <string.h>

namespace {

const int kSide = 32;
const int kTransparent = -1;

// The standard 16-colour palette, as blue, green, red, reserved.
const unsigned char kPalette[16][4] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
enum { kBlack = 0, kNavy = 4, kRed = 9, kBlue = 12, kWhite = 15 };

int pixels[kSide][kSide]; // [y][x], top row first

// One letter a cell: K black, W white, R red, N navy, B blue, '.' clear.
// Two binder rings over a red header; the date's digits, the part that
// moves; under them the arrow whose halves trade places.
// clang-format off
const char *const kArt[kSide / 2] = {
    "....K......K....",
    ".KRRKRRRRRRKRRK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWNWWWNNNWWK.",
    ".KWWNNWWWWWNWWK.",
    ".KWWWNWWWNNNWWK.",
    ".KWWWNWWWNWWWWK.",
    ".KWWNNNWWNNNWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWBWWWWBWWWK.",
    ".KWWBBWWWWBBWWK.",
    ".KWBBBBBBBBBBWK.",
    ".KWWBBWWWWBBWWK.",
    ".KWWWBWWWWBWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKK.",
};
// clang-format on

int Colour(char cell) {
  switch (cell) {
  case 'K':
    return kBlack;
  case 'W':
    return kWhite;
  case 'R':
    return kRed;
  case 'N':
    return kNavy;
  case 'B':
    return kBlue;
  default:
    return kTransparent;
  }
}

void Draw() {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      pixels[y][x] = Colour(kArt[y / 2][x / 2]);
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
