// The manifest of the built kestrom-cli.exe, read back out of the file and
// parsed by the system's own activation-context code, as a start of the
// program would.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

namespace {

const char *ExePath() {
  const char *path = getenv("KESTROM_CLI_EXE");
  return path ? path : "";
}

BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  reinterpret_cast<std::set<std::string> *>(names)->insert(
      IS_INTRESOURCE(name) ? "#" + std::to_string(LOWORD(name)) : name);
  return TRUE;
}

// A second manifest, such as a toolchain's default one, would leave it to
// chance which the loader takes.
TEST(CliManifest, IsTheOnlyOneAndHasIdOne) {
  HMODULE exe = LoadLibraryExA(ExePath(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(exe) << ExePath();
  std::set<std::string> names;
  EnumResourceNamesA(exe, RT_MANIFEST, AddName,
                     reinterpret_cast<LONG_PTR>(&names));
  FreeLibrary(exe);
  EXPECT_EQ(std::set<std::string>{"#1"}, names);
}

std::string GuidText(const GUID &id) {
  char text[40];
  snprintf(text, sizeof text,
           "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", id.Data1,
           id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2],
           id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

// The reply as Windows 10 and Wine give it: these headers predate the
// element's MaxVersionTested.
struct CompatibilityElement {
  GUID id;
  ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
  ULONGLONG maxVersionTested;
};

struct CompatibilityInformation {
  DWORD count;
  CompatibilityElement elements[16];
};

std::set<std::string> SupportedOs(HANDLE context) {
  CompatibilityInformation info = {};
  std::set<std::string> ids;
  if (!QueryActCtxW(0, context, nullptr,
                    CompatibilityInformationInActivationContext, &info,
                    sizeof info, nullptr))
    return ids;
  for (DWORD i = 0; i < info.count && i < 16; ++i)
    if (info.elements[i].type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
      ids.insert(GuidText(info.elements[i].id));
  return ids;
}

TEST(CliManifest, AsInvokerOnWindows7To11WithUtf8AsItsCodePage) {
  ACTCTXA request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = ExePath();
  request.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = CreateActCtxA(&request);
  ASSERT_NE(INVALID_HANDLE_VALUE, context) << GetLastError();

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
  EXPECT_TRUE(QueryActCtxW(0, context, nullptr,
                           RunlevelInformationInActivationContext, &level,
                           sizeof level, nullptr));
  EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
  EXPECT_EQ(0u, level.UiAccess);

  EXPECT_EQ((std::set<std::string>{
                "35138b9a-5d96-4fbd-8e2d-a2440225f93a",   // 7
                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",   // 8
                "1f676c76-80e1-4239-95bb-83d0f6d0da78",   // 8.1
                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}), // 10 and 11
            SupportedOs(context));

  WCHAR codePage[16] = L"";
  EXPECT_TRUE(QueryActCtxSettingsW(
      0, context, L"http://schemas.microsoft.com/SMI/2019/WindowsSettings",
      L"activeCodePage", codePage, 16, nullptr));
  EXPECT_STREQ(L"UTF-8", codePage);
  ReleaseActCtx(context);
}

} // namespace
