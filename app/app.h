// The dialog front end's shared declarations.
#pragma once

#include <windows.h>

// Set once at start-up and kept for the whole run.
extern HINSTANCE g_appInstance;
extern HICON g_appIcon;
extern HWND g_mainDialog;

// The creation parameter is the file named on the command line, or 0.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                LPARAM lParam);
int OpenCommand(HWND dialog);
int OpenGivenFile(HWND dialog, const char *given);
int SaveCommand(HWND dialog);
int SaveAsCommand(HWND dialog);

void CenterWindow(HWND window);
