// The one QIF file a run works on, and the Win32 operations on it.
#ifndef KESTROM_CORE_QIF_DOCUMENT_H
#define KESTROM_CORE_QIF_DOCUMENT_H

#include <windows.h>

#include "qif_check.h"

struct QifDocumentState {
  char path[MAX_PATH]; // full path of the current file, ANSI
  unsigned char *data; // size content bytes, then two zero bytes
  int size;            // content bytes; 0 until a load succeeds
};

// Application-wide: loaded once at start-up, released once by WinMain.
extern QifDocumentState QifDocument;

// The core's two ways of speaking to the user, owned by the dialog.
// Tests replace these at link time with a recorder.
void ShowWarning(HWND owner, const char *text, const char *caption);
int AskYesNo(HWND owner, const char *text, const char *caption);

// Reads QifDocument.path whole into a new zero-terminated block.
// Returns 1 on a complete load; on failure it has warned the user.
int LoadQifFile(HWND owner);

// Frees the content block, if any, and leaves the document unloaded.
void ReleaseQifDocument();

// Replaces the file at QifDocument.path, or the file a link there names,
// with the content: written to a temporary file beside it, then renamed
// over it, so a failed or killed save leaves the old file whole. Where no
// new file can be made there, it writes in place, the original copied to
// the temporary folder first (qif_save.cpp). Returns 1 when every byte
// reached the file; on failure it has warned.
int WriteQifFile(HWND owner);

// Returns the decision on the document's content (DecideQifConversion) and
// fills in its counts and the offset of the first date that no rule
// converts, or -1.
int DecideQifDocument(QifCheckCounts *counts, int *firstLeftAlone);

// Converts the document's content after asking, in a box owned by owner,
// each question the decision gives. Returns 0, with the content as loaded,
// when one was answered No.
int ConvertQifText(HWND owner);
void ExchangeQifFields(int end);
int ConfirmConversion(HWND owner);

#endif
