// Small file helpers shared by the kestrom-cli tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

inline std::string FixturePath(const std::string &name) {
  return std::string(KESTROM_FIXTURES_DIR) + "/" + name;
}

// The file's bytes; "<missing>" when it cannot be opened, which no
// fixture or expected output equals.
inline std::string ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}
