// Where the process looks for the DLLs it loads after start-up.
#ifndef KESTROM_CORE_DLL_SEARCH_H
#define KESTROM_CORE_DLL_SEARCH_H

// Limits the search for DLLs loaded from now on to the system folder, so a
// DLL planted beside the exe (a Downloads folder) is never loaded in place
// of a system one. Called first thing at start-up. Returns 1 when the limit
// is in force, 0 on a system without the call (it then starts as before).
int LimitDllSearchToSystem32();

#endif
