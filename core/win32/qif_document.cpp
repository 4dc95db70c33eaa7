#include "qif_document.h"

#include "qif_messages.h"

QifDocumentState QifDocument;

namespace {

// Lengths that do not fit the document's signed 32-bit size, with room for
// the two zero bytes after the content, are refused before any allocation.
const LONGLONG kLargestContent = 0x7FFFFFFF - 2;

// Returns 1 unless the decision refuses the content, as it does a picture
// renamed .qif. The warning names the byte and its line, as a stray one in a
// real export needs finding.
int IsTextContent(HWND owner) {
  QifCheckCounts counts;
  int firstLeftAlone;
  if (!(DecideQifDocument(&counts, &firstLeftAlone) & kQifRefuse))
    return 1;
  char text[256];
  wsprintfA(text, MSG_UNABLE_TO_LOAD "\n\n" MSG_BINARY_DATA, counts.binaryByte,
            counts.binaryLine);
  ReleaseQifDocument();
  ShowWarning(owner, text, KESTROM_CAPTION);
  return 0;
}

// A short read must never pass for a whole file, or a later Save would cut
// the user's file short.
int LoadOpenFile(HWND owner, HANDLE file) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length) || length.QuadPart < 1) {
    ShowWarning(owner, MSG_FILE_EMPTY, KESTROM_CAPTION);
    return 0;
  }
  DWORD size = static_cast<DWORD>(length.QuadPart), got = 0;
  QifDocument.data = static_cast<unsigned char *>(
      length.QuadPart > kLargestContent
          ? nullptr
          : GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, SIZE_T(size) + 2));
  if (!QifDocument.data ||
      !ReadFile(file, QifDocument.data, size, &got, nullptr) || got != size) {
    ReleaseQifDocument();
    ShowWarning(owner, MSG_UNABLE_TO_LOAD, KESTROM_CAPTION);
    return 0;
  }
  QifDocument.size = static_cast<int>(size);
  return IsTextContent(owner);
}

} // namespace

void ReleaseQifDocument() {
  if (QifDocument.data)
    GlobalFree(QifDocument.data);
  QifDocument.data = nullptr;
  QifDocument.size = 0;
}

// Opened with CreateFileA rather than OpenFile, whose OFSTRUCT holds only
// 128 bytes of path. Sharing read and write is what OpenFile's compatibility
// mode grants, so a file another program holds open unshared is refused.
int LoadQifFile(HWND owner) {
  HANDLE file = CreateFileA(QifDocument.path, GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowWarning(owner, MSG_UNABLE_TO_OPEN, KESTROM_CAPTION);
    return 0;
  }
  int loaded = LoadOpenFile(owner, file);
  CloseHandle(file);
  return loaded;
}
