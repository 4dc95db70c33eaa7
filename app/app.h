// The dialog front end's shared declarations.
#ifndef KESTROM_APP_APP_H
#define KESTROM_APP_APP_H

#include <windows.h>

// Set once at start-up and kept for the whole run.
extern HINSTANCE g_appInstance;
extern HICON g_appIcon;
extern HWND g_mainDialog;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                LPARAM lParam);
int OpenCommand(HWND dialog);
int SaveCommand(HWND dialog);
int SaveAsCommand(HWND dialog);

void CenterWindow(HWND window);

#endif
