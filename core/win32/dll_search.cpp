#include "dll_search.h"

#include <windows.h>

// Looked up rather than imported: Windows 7 without its 2011 loader update
// lacks the call, and an import would stop the exe from starting there.
int LimitDllSearchToSystem32() {
  typedef BOOL(WINAPI * SetDirectories)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found =
      kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  if (!found)
    return 0;
  SetDirectories set =
      reinterpret_cast<SetDirectories>(reinterpret_cast<void *>(found));
  return set(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
}
