// An empty DLL that the build places beside the test exe, where a download
// would plant one beside kestrom.exe.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
