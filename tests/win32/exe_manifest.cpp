#include "exe_manifest.h"

#include <windows.h>

#include <ctype.h>
#include <string.h>

namespace {

BOOL CALLBACK TakeLanguage(HMODULE exe, LPCSTR type, LPCSTR name, WORD language,
                           LONG_PTR context) {
  HRSRC found = FindResourceExA(exe, type, name, language);
  const char *data =
      found ? static_cast<const char *>(LockResource(LoadResource(exe, found)))
            : nullptr;
  if (data)
    reinterpret_cast<std::vector<std::string> *>(context)->push_back(
        std::string(data, SizeofResource(exe, found)));
  return TRUE;
}

BOOL CALLBACK TakeName(HMODULE exe, LPCSTR type, LPSTR name, LONG_PTR context) {
  EnumResourceLanguagesA(exe, type, name, TakeLanguage, context);
  return TRUE;
}

// Skips a name of letters, digits and the XML name punctuation.
size_t NameEnd(const std::string &xml, size_t at) {
  while (at < xml.size() && (isalnum(static_cast<unsigned char>(xml[at])) ||
                             strchr(":_-.", xml[at])))
    ++at;
  return at;
}

std::string LocalName(const std::string &name) {
  size_t colon = name.rfind(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

std::string Trimmed(const std::string &text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  size_t last = text.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The value of attribute inside the start tag xml[from, to), or nothing.
int AttributeValue(const std::string &xml, size_t from, size_t to,
                   const char *attribute, std::string *value) {
  size_t at = from;
  while (at < to) {
    size_t name = xml.find_first_not_of(" \t\r\n", at);
    if (name == std::string::npos || name >= to)
      return 0;
    size_t nameEnd = NameEnd(xml, name);
    size_t quote = xml.find_first_of("\"'", nameEnd);
    if (nameEnd == name || quote == std::string::npos || quote >= to)
      return 0;
    size_t close = xml.find(xml[quote], quote + 1);
    if (close == std::string::npos)
      return 0;
    if (xml.compare(name, nameEnd - name, attribute) == 0) {
      *value = xml.substr(quote + 1, close - quote - 1);
      return 1;
    }
    at = close + 1;
  }
  return 0;
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
  for (size_t open = xml.find('<'); open != std::string::npos;
       open = xml.find('<', open + 1)) {
    size_t nameEnd = NameEnd(xml, open + 1);
    size_t tagEnd = xml.find('>', open);
    if (tagEnd == std::string::npos)
      break;
    if (nameEnd == open + 1 ||
        LocalName(xml.substr(open + 1, nameEnd - open - 1)) != element)
      continue;
    std::string value;
    if (attribute) {
      if (AttributeValue(xml, nameEnd, tagEnd, attribute, &value))
        values.push_back(value);
    } else if (xml[tagEnd - 1] != '/') {
      values.push_back(
          Trimmed(xml.substr(tagEnd + 1, xml.find('<', tagEnd) - tagEnd - 1)));
    }
  }
  return values;
}
