// The main dialog's procedure and its three commands.
#include <string.h>

#include "app.h" // windows.h first: commdlg.h builds on it
#include <commdlg.h>

#include "qif_document.h"
#include "qif_messages.h"
#include "resource.h"
#include "split_path.h"

namespace {

const char QIF_FILTER[] = "QIF Export Files;*.qif;All Files;*.*;";
const char kDefaultExtension[] = "qif";
const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                         OFN_FILEMUSTEXIST | OFN_NOREADONLYRETURN;
const DWORD kSaveAsFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY |
                           OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                           OFN_NOREADONLYRETURN;

// Writes the file dialogs' filter to filter. The common dialogs want pairs
// of NUL-terminated strings ending in an empty one, and the ';'-separated
// text becomes exactly that.
void BuildFilterList(char *filter) {
  memcpy(filter, QIF_FILTER, sizeof QIF_FILTER);
  for (char *c = filter; *c; ++c)
    if (*c == ';')
      *c = '\0';
}

// Fills in the record both file dialogs share. The 76-byte size is the
// layout without the later extension fields, which every version accepts.
void PrepareFileDialog(OPENFILENAMEA *ofn, HWND dialog, const char *filter,
                       char *file, char *initialDir, const char *title,
                       DWORD flags) {
  memset(ofn, 0, sizeof *ofn);
  ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn->hwndOwner = dialog;
  ofn->hInstance = g_appInstance;
  ofn->lpstrFilter = filter;
  ofn->nFilterIndex = 1;
  ofn->lpstrFile = file;
  ofn->nMaxFile = MAX_PATH;
  ofn->lpstrInitialDir = initialDir;
  ofn->lpstrTitle = title;
  ofn->Flags = flags;
  ofn->lpstrDefExt = kDefaultExtension;
}

// Makes path the current file and shows its name in the dialog.
void SetCurrentPath(HWND dialog, const char *path) {
  char directory[MAX_PATH], name[MAX_PATH];
  lstrcpynA(QifDocument.path, path, MAX_PATH);
  lstrcpynA(directory, path, MAX_PATH);
  SplitPath(directory, name);
  SetDlgItemTextA(dialog, IDC_FILENAME, name);
}

void PostCancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

// Opens the file first: given is the one named on the command line, or
// null to ask for one.
INT_PTR OnInitDialog(HWND dialog, const char *given) {
  CenterWindow(dialog);
  if (!(given ? OpenGivenFile(dialog, given) : OpenCommand(dialog)))
    PostCancel(dialog);
  return TRUE;
}

// How a file dialog ended. One that returns FALSE with an error code did not
// close by the user's choice: a name longer than the buffer (UTF-8 takes up
// to four bytes a character) must not pass for a cancel.
enum DialogEnd { kChosen, kCancelled, kFailed };

// Wine's ANSI dialogs hand such a name back cut at the buffer's end, without
// its NUL, where Windows reports it as too long: a cut name could be another
// file, even one in an existing folder. With the bytes after the initial
// name set non-zero, a name without its NUL shows as one that did not fit.
void MarkBufferEnd(char *file) {
  size_t used = strlen(file) + 1;
  memset(file + used, '?', MAX_PATH - used);
}

DialogEnd EndOf(BOOL chosen, const char *file) {
  if (chosen)
    return memchr(file, '\0', MAX_PATH) ? kChosen : kFailed;
  return CommDlgExtendedError() ? kFailed : kCancelled;
}

INT_PTR OnCancel(HWND dialog) {
  EndDialog(dialog, 1);
  PostQuitMessage(0);
  return TRUE;
}

// Ends the run after a successful write, as the file has been converted
// once.
INT_PTR CloseAfter(HWND dialog, int written) {
  if (written)
    PostCancel(dialog);
  return FALSE;
}

INT_PTR OnCommand(HWND dialog, WORD id) {
  switch (id) {
  case IDCANCEL:
    return OnCancel(dialog);
  case IDC_SAVE:
    return CloseAfter(dialog, SaveCommand(dialog));
  case IDC_SAVEAS:
    return CloseAfter(dialog, SaveAsCommand(dialog));
  }
  return FALSE;
}

} // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInitDialog(dialog, reinterpret_cast<const char *>(lParam));
  case WM_COMMAND:
    return OnCommand(dialog, LOWORD(wParam));
  }
  return FALSE;
}

// Asks for the file at start-up and loads it; a cancelled dialog is no
// failure worth a message, a failed one is.
int OpenCommand(HWND dialog) {
  char filter[sizeof QIF_FILTER];
  char file[MAX_PATH] = "";
  char initialDir[MAX_PATH] = "";
  OPENFILENAMEA ofn;
  BuildFilterList(filter);
  MarkBufferEnd(file);
  PrepareFileDialog(&ofn, dialog, filter, file, initialDir, "Open", kOpenFlags);
  DialogEnd end = EndOf(GetOpenFileNameA(&ofn), file);
  if (end != kChosen) {
    if (end == kFailed)
      ShowWarning(dialog, MSG_UNABLE_TO_OPEN, KESTROM_CAPTION);
    return 0;
  }
  SetCurrentPath(dialog, file);
  return LoadQifFile(dialog);
}

// The file named on the command line, relative to the current folder, loads
// as if it had been picked in the Open dialog.
int OpenGivenFile(HWND dialog, const char *given) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(given, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    ShowWarning(dialog, MSG_UNABLE_TO_OPEN, KESTROM_CAPTION);
    return 0;
  }
  SetCurrentPath(dialog, full);
  return LoadQifFile(dialog);
}

// Converts the content as loaded and writes it over the current file. Any
// way out without a write leaves the content as loaded, so the next Save or
// Save As converts from the start again.
int SaveCommand(HWND dialog) {
  if (!ConvertQifText(dialog))
    return 0;
  if (WriteQifFile(dialog))
    return 1;
  ExchangeQifFields(QifDocument.size);
  return 0;
}

// The chosen path becomes current before the write, so after a declined or
// failed write a plain Save goes to the new file, as its name in the dialog
// says.
int SaveAsCommand(HWND dialog) {
  char filter[sizeof QIF_FILTER];
  char initialDir[MAX_PATH], file[MAX_PATH];
  OPENFILENAMEA ofn;
  BuildFilterList(filter);
  lstrcpynA(initialDir, QifDocument.path, MAX_PATH);
  SplitPath(initialDir, file);
  MarkBufferEnd(file);
  PrepareFileDialog(&ofn, dialog, filter, file, initialDir, "Save As",
                    kSaveAsFlags);
  DialogEnd end = EndOf(GetSaveFileNameA(&ofn), file);
  if (end != kChosen) {
    if (end == kFailed)
      ShowWarning(dialog, MSG_UNABLE_TO_SAVE, SAVE_CAPTION);
    return 0;
  }
  SetCurrentPath(dialog, file);
  return SaveCommand(dialog);
}
