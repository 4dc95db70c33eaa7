#pragma once

// Limits the search for DLLs loaded from now on to the system folder, so a
// DLL planted beside the exe (a Downloads folder) is never loaded in place
// of a system one. Returns 1, or 0 on a system without the call.
int LimitDllSearchToSystem32();
