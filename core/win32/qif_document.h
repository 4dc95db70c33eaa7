// The one QIF file the dialog works on, and the Win32 operations on it.
#pragma once

#include <windows.h>

#include "qif_check.h"

struct QifDocumentState {
  char path[MAX_PATH]; // full path of the current file, ANSI
  unsigned char *data; // size content bytes, then two zero bytes
  int size;            // content bytes; 0 until a load succeeds
};

// Loaded once at start-up, released once by WinMain.
extern QifDocumentState QifDocument;

// The message boxes the dialog shows; tests link a recorder in their place.
void ShowWarning(HWND owner, const char *text, const char *caption);
int AskYesNo(HWND owner, const char *text, const char *caption);

// Reads QifDocument.path whole. Returns 1, or 0 after a warning.
int LoadQifFile(HWND owner);

// Frees the content, if any, and leaves the document unloaded.
void ReleaseQifDocument();

// Replaces the file at QifDocument.path with the content (replace_file.h),
// or where that cannot be, writes over it in place with the original copied
// aside. Returns 1 when every byte reached the file, or 0 after a warning.
int WriteQifFile(HWND owner);

// Returns the decision on the content (DecideQifConversion) and fills in its
// counts and the offset of the first date that no rule converts, or -1.
int DecideQifDocument(QifCheckCounts *counts, int *firstLeftAlone);

// Converts the content after asking each question the decision gives.
// Returns 0, with the content as loaded, when one was answered No.
int ConvertQifText(HWND owner);

// Applies the rules to the line starts of the content before end.
void ExchangeQifFields(int end);

// Asks whether to convert a file whose dates look day-first already.
int ConfirmConversion(HWND owner);
