// After LimitDllSearchToSystem32 a DLL beside the exe is no longer found,
// while system DLLs still load.
#include <gtest/gtest.h>

#include <windows.h>

#include "dll_search.h"

namespace {

const char kPlanted[] = "kestrom_planted.dll";

TEST(DllSearch, ADllBesideTheExeIsNoLongerFound) {
  HMODULE planted = LoadLibraryA(kPlanted);
  ASSERT_NE(nullptr, planted) << kPlanted << " is not beside the test exe";
  FreeLibrary(planted);

  ASSERT_EQ(1, LimitDllSearchToSystem32());
  EXPECT_EQ(nullptr, LoadLibraryA(kPlanted));
  HMODULE system = LoadLibraryA("msimg32.dll");
  EXPECT_NE(nullptr, system) << "a system DLL no longer loads";
  if (system)
    FreeLibrary(system);
}

} // namespace
