#include "exe_manifest.h"

#include <ctype.h>
#include <windows.h>

namespace {

BOOL CALLBACK TakeLanguage(HMODULE exe, LPCSTR type, LPCSTR name, WORD language,
                           LONG_PTR manifests) {
  HRSRC found = FindResourceExA(exe, type, name, language);
  const char *data =
      found ? static_cast<const char *>(LockResource(LoadResource(exe, found)))
            : nullptr;
  if (data)
    reinterpret_cast<std::vector<std::string> *>(manifests)->emplace_back(
        data, SizeofResource(exe, found));
  return TRUE;
}

BOOL CALLBACK TakeName(HMODULE exe, LPCSTR type, LPSTR name, LONG_PTR list) {
  EnumResourceLanguagesA(exe, type, name, TakeLanguage, list);
  return TRUE;
}

// The text between the end of the start tag at open and the next tag.
std::string TextAfter(const std::string &xml, size_t tagEnd) {
  std::string text = xml.substr(tagEnd + 1, xml.find('<', tagEnd) - tagEnd - 1);
  size_t first = text.find_first_not_of(" \t\r\n");
  size_t last = text.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

} // namespace

std::vector<std::string> ExeManifests(const std::string &exePath) {
  std::vector<std::string> manifests;
  HMODULE exe =
      LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!exe)
    return manifests;
  EnumResourceNamesA(exe, RT_MANIFEST, TakeName,
                     reinterpret_cast<LONG_PTR>(&manifests));
  FreeLibrary(exe);
  return manifests;
}

std::vector<std::string> ManifestValues(const std::string &xml,
                                        const char *element,
                                        const char *attribute) {
  std::vector<std::string> values;
  const std::string tag = std::string("<") + element,
                    colonTag = std::string(":") + element;
  for (size_t at = xml.find('<'); at != std::string::npos;
       at = xml.find('<', at + 1)) {
    size_t nameEnd = xml.find_first_of(" \t\r\n/>", at);
    size_t tagEnd = xml.find('>', at);
    std::string name = xml.substr(at, nameEnd - at);
    if (tagEnd == std::string::npos ||
        (name != tag && (name.size() < colonTag.size() ||
                         name.compare(name.size() - colonTag.size(),
                                      colonTag.size(), colonTag) != 0)))
      continue;
    if (!attribute) {
      if (xml[tagEnd - 1] != '/')
        values.push_back(TextAfter(xml, tagEnd));
      continue;
    }
    std::string startTag = xml.substr(nameEnd, tagEnd - nameEnd);
    std::string key = std::string(attribute) + "=\"";
    size_t found = startTag.find(key);
    while (found != std::string::npos && !isspace(startTag[found - 1]))
      found = startTag.find(key, found + 1);
    if (found == std::string::npos)
      continue;
    size_t value = found + key.size();
    values.push_back(startTag.substr(value, startTag.find('"', value) - value));
  }
  return values;
}
