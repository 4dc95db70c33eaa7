// The resources of the built kestrom.exe, read back from the file itself:
// the dialog template, the icon, the version block (kestrom-cli.exe's too)
// and the manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include "kestrom_version.h"

#include <algorithm>
#include <string>
#include <vector>

#include "exe_manifest.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::string ExePath(const char *name = "KESTROM_EXE") {
  const char *path = getenv(name);
  return path ? path : "";
}

// Copies one resource of the exe, in U.S. English, or nothing.
std::vector<BYTE> ResourceBytes(LPCSTR type, int id,
                                const std::string &path = ExePath()) {
  std::vector<BYTE> bytes;
  HMODULE exe = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!exe)
    return bytes;
  HRSRC found = FindResourceExA(exe, type, MAKEINTRESOURCEA(id), kEnglishUs);
  if (found) {
    const BYTE *data =
        static_cast<const BYTE *>(LockResource(LoadResource(exe, found)));
    bytes.assign(data, data + SizeofResource(exe, found));
  }
  FreeLibrary(exe);
  return bytes;
}

// A reader over a classic dialog template.
struct Cursor {
  const BYTE *p;
};

WORD Word(Cursor *c) {
  WORD w = *reinterpret_cast<const WORD *>(c->p);
  c->p += 2;
  return w;
}

DWORD Dword(Cursor *c) {
  DWORD d = *reinterpret_cast<const DWORD *>(c->p);
  c->p += 4;
  return d;
}

std::string WideString(Cursor *c) {
  std::string s;
  for (WORD w = Word(c); w; w = Word(c))
    s += static_cast<char>(w < 0x80 ? w : '?');
  return s;
}

// A name-or-ordinal field: "#n" for an ordinal, the text otherwise.
std::string NameOrOrdinal(Cursor *c) {
  const WORD first = *reinterpret_cast<const WORD *>(c->p);
  if (first == 0xFFFF) {
    Word(c);
    return "#" + std::to_string(Word(c));
  }
  return WideString(c);
}

void AlignDword(Cursor *c, const BYTE *base) {
  while ((c->p - base) % 4)
    ++c->p;
}

struct Item {
  DWORD style, exStyle;
  short x, y, cx, cy;
  WORD id;
  std::string className, text;
};

struct Template {
  DWORD style, exStyle;
  short x, y, cx, cy;
  std::string menu, className, caption, face;
  WORD points;
  std::vector<Item> items;
};

Template ParseDialog(const std::vector<BYTE> &bytes) {
  Template t = {};
  Cursor c = {bytes.data()};
  t.style = Dword(&c);
  t.exStyle = Dword(&c);
  WORD count = Word(&c);
  t.x = Word(&c), t.y = Word(&c), t.cx = Word(&c), t.cy = Word(&c);
  t.menu = NameOrOrdinal(&c);
  t.className = NameOrOrdinal(&c);
  t.caption = WideString(&c);
  if (t.style & DS_SETFONT) {
    t.points = Word(&c);
    t.face = WideString(&c);
  }
  for (WORD i = 0; i < count; ++i) {
    AlignDword(&c, bytes.data());
    Item item;
    item.style = Dword(&c);
    item.exStyle = Dword(&c);
    item.x = Word(&c), item.y = Word(&c), item.cx = Word(&c),
    item.cy = Word(&c);
    item.id = Word(&c);
    item.className = NameOrOrdinal(&c);
    item.text = NameOrOrdinal(&c);
    c.p += Word(&c); // creation data
    t.items.push_back(item);
  }
  return t;
}

const char kDescription[] =
    "This process converts the dates of a QIF file from MM/DD/YY format to "
    "DD/MM/YY format and swaps Memo and Payee fields for correct operation in "
    "Microsoft Money and Quicken products.";

TEST(Resources, DialogTemplateIsAsDesigned) {
  std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, 102);
  ASSERT_FALSE(bytes.empty()) << "no dialog 102 in " << ExePath();
  ASSERT_NE(0xFFFF0001u, *reinterpret_cast<const DWORD *>(bytes.data()))
      << "an extended template";
  Template t = ParseDialog(bytes);
  EXPECT_EQ(0x80C808C4u, t.style);
  EXPECT_EQ(0u, t.exStyle);
  EXPECT_EQ(0, t.x);
  EXPECT_EQ(0, t.y);
  EXPECT_EQ(254, t.cx);
  EXPECT_EQ(89, t.cy);
  EXPECT_EQ("", t.menu);
  EXPECT_EQ("", t.className);
  EXPECT_EQ("Validate ZARN QIF Export File Dates", t.caption);
  EXPECT_EQ(8, t.points);
  EXPECT_EQ("MS Sans Serif", t.face);

  // Classes by their predefined atoms: 0x80 button, 0x81 edit, 0x82 static.
  const Item expected[] = {
      {0x50800803, 0, 8, 8, 20, 20, 0xFFFF, "#130", "#101"},
      {0x50020000, 0, 38, 8, 208, 24, 0xFFFF, "#130", kDescription},
      {0x58810001, 0, 8, 40, 238, 14, 1001, "#129", ""},
      {0x50010001, 0, 36, 68, 50, 14, 1002, "#128", "&Save"},
      {0x50010000, 0, 102, 68, 50, 14, 1003, "#128", "Save &As..."},
      {0x50010000, 0, 168, 68, 50, 14, 2, "#128", "Cancel"},
  };
  ASSERT_EQ(6u, t.items.size());
  for (size_t i = 0; i < t.items.size(); ++i) {
    const Item &got = t.items[i], &want = expected[i];
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(want.style, got.style);
    EXPECT_EQ(want.exStyle, got.exStyle);
    EXPECT_EQ(want.x, got.x);
    EXPECT_EQ(want.y, got.y);
    EXPECT_EQ(want.cx, got.cx);
    EXPECT_EQ(want.cy, got.cy);
    EXPECT_EQ(want.id, got.id);
    EXPECT_EQ(want.className, got.className);
    EXPECT_EQ(want.text, got.text);
  }
}

// Both exes carry the icon and the one version block, each with its own
// names.
struct VersionedExe {
  const char *variable; // the environment variable naming the exe
  const char *program, *file;
};

const VersionedExe kVersionedExes[] = {
    {"KESTROM_EXE", "kestrom", "kestrom.exe"},
    {"KESTROM_CLI_EXE", "kestrom-cli", "kestrom-cli.exe"},
};

TEST(Resources, IconIsOneImage32By32In16Colours) {
  for (const VersionedExe &exe : kVersionedExes) {
    SCOPED_TRACE(exe.file);
    std::vector<BYTE> group =
        ResourceBytes(RT_GROUP_ICON, 101, ExePath(exe.variable));
    ASSERT_GE(group.size(), 6u + 14u);
    Cursor c = {group.data()};
    EXPECT_EQ(0, Word(&c)); // reserved
    EXPECT_EQ(1, Word(&c)); // icon, not cursor
    ASSERT_EQ(1, Word(&c)); // one image
    EXPECT_EQ(32, c.p[0]);
    EXPECT_EQ(32, c.p[1]);
    EXPECT_EQ(16, c.p[2]);
    c.p += 4;
    EXPECT_EQ(1, Word(&c)); // planes
    EXPECT_EQ(4, Word(&c)); // bits per pixel
  }
}

std::string VersionString(const std::vector<BYTE> &info, const char *name) {
  char *value = nullptr;
  UINT length = 0;
  std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueA(info.data(), query.c_str(),
                      reinterpret_cast<void **>(&value), &length))
    return "<absent>";
  return length ? std::string(value) : std::string();
}

void CheckVersionBlock(const std::string &path, const char *program,
                       const char *file) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_NE(0u, size);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
  ASSERT_FALSE(ResourceBytes(RT_VERSION, 1, path).empty())
      << "not U.S. English";

  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\",
                             reinterpret_cast<void **>(&fixed), &length));
  const WORD version[] = {KESTROM_VERSION_BINARY};
  EXPECT_EQ(MAKELONG(version[1], version[0]), fixed->dwFileVersionMS);
  EXPECT_EQ(MAKELONG(version[3], version[2]), fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
  EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
  EXPECT_EQ(0u, fixed->dwFileFlags);
  EXPECT_EQ(DWORD(VOS_NT_WINDOWS32), fixed->dwFileOS);
  EXPECT_EQ(DWORD(VFT_APP), fixed->dwFileType);
  EXPECT_EQ(0u, fixed->dwFileSubtype);
  EXPECT_EQ(0u, fixed->dwFileDateMS);
  EXPECT_EQ(0u, fixed->dwFileDateLS);

  EXPECT_EQ(program, VersionString(info, "FileDescription"));
  EXPECT_EQ(program, VersionString(info, "InternalName"));
  EXPECT_EQ(file, VersionString(info, "OriginalFilename"));
  EXPECT_EQ(KESTROM_VERSION_TEXT, VersionString(info, "FileVersion"));
  EXPECT_EQ(KESTROM_VERSION_TEXT, VersionString(info, "ProductVersion"));
  for (const char *empty :
       {"Comments", "LegalTrademarks", "PrivateBuild", "SpecialBuild"})
    EXPECT_EQ("", VersionString(info, empty)) << empty;
  for (const char *filled : {"CompanyName", "ProductName", "LegalCopyright"})
    EXPECT_NE("", VersionString(info, filled)) << filled;

  WORD *translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void **>(&translation), &length));
  ASSERT_EQ(4u, length);
  EXPECT_EQ(0x0409, translation[0]);
  EXPECT_EQ(1200, translation[1]);
}

TEST(Resources, VersionBlockIsAsPublished) {
  for (const VersionedExe &exe : kVersionedExes) {
    SCOPED_TRACE(exe.file);
    const char *path = getenv(exe.variable);
    ASSERT_NE(nullptr, path) << exe.variable;
    CheckVersionBlock(path, exe.program, exe.file);
  }
}

typedef std::vector<std::string> Values;

// What the dialog needs from Windows: the user's own rights, the behaviour
// of every Windows it runs on, visual styles, crisp text at any scale, and
// UTF-8 for file names in any script.
TEST(Resources, ManifestAsksForWhatTheDialogNeeds) {
  Values manifests = ExeManifests(ExePath());
  ASSERT_EQ(1u, manifests.size()) << "none, or the toolchain added its own";
  ASSERT_FALSE(ResourceBytes(RT_MANIFEST, 1).empty()) << "not id 1";
  const std::string &xml = manifests[0];

  EXPECT_EQ(Values{"asInvoker"},
            ManifestValues(xml, "requestedExecutionLevel", "level"));
  Values systems = ManifestValues(xml, "supportedOS", "Id");
  std::sort(systems.begin(), systems.end());
  const Values expected = {
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
  };
  EXPECT_EQ(expected, systems);
  EXPECT_EQ(Values{"Microsoft.Windows.Common-Controls"},
            ManifestValues(xml, "assemblyIdentity", "name"));
  EXPECT_EQ(Values{"6.0.0.0"},
            ManifestValues(xml, "assemblyIdentity", "version"));
  EXPECT_EQ(Values{"6595b64144ccf1df"},
            ManifestValues(xml, "assemblyIdentity", "publicKeyToken"));
  EXPECT_EQ(Values{"PerMonitorV2"}, ManifestValues(xml, "dpiAwareness"));
  EXPECT_EQ(Values{"true/pm"}, ManifestValues(xml, "dpiAware"));
  EXPECT_EQ(Values{"UTF-8"}, ManifestValues(xml, "activeCodePage"));
}

} // namespace
