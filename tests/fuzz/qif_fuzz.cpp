// Fuzzes the conversion pass, the undo walk, the day-first count and the
// path split. Each input is used whole as file content (lines that end at a
// CR alone, a byte-order mark, lists, prices and headers) and as a path;
// any broken invariant aborts, so libFuzzer keeps the input that broke it.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "qif_check.h"
#include "qif_convert.h"
#include "qif_reference.h"
#include "qif_rule_places.h"
#include "split_path.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void Require(bool holds, const char *what) {
  if (holds)
    return;
  fprintf(stderr, "broken invariant: %s\n", what);
  abort();
}

int Size(const Bytes &b) { return static_cast<int>(b.size()); }

// The only bytes a pass may change: a line-start M or P, and the four digit
// places of a line-start D with six bytes from it to the end.
void RequireOnlyAllowedChanges(const Bytes &before, const Bytes &after) {
  std::vector<bool> allowed = RulePlaces(before);
  for (size_t i = 0; i < before.size(); ++i)
    Require(allowed[i] || before[i] == after[i],
            "a pass changed a byte outside the rules' places");
}

// Agrees with the plain walk, which also tells whether the content looks
// day-first as the counts do, and a second pass or the undo walk gives the
// input back. Returns the converted bytes.
Bytes CheckPass(const Bytes &input) {
  Bytes fast = input, plain = input;
  ConvertQifBytes(fast.data(), Size(fast));
  bool dayFirst = ReferenceConvert(plain.data(), Size(plain));
  Require(fast == plain, "the pass differs from the plain walk");
  Require(fast.size() == input.size(), "the pass changed the length");
  RequireOnlyAllowedChanges(input, fast);
  QifCheckCounts counts = {};
  CountQifPiece(input.data(), Size(input), nullptr, nullptr, &counts);
  Require(dayFirst == (counts.dayFirstLine != 0),
          "the counts and the plain walk differ on a day-first file");
  Bytes both = input;
  QifCheckCounts bothCounts = {};
  CountAndConvertQifPiece(both.data(), Size(both), &bothCounts);
  Require(both == fast && !memcmp(&counts, &bothCounts, sizeof counts),
          "counting and converting in one walk differs from each alone");

  Bytes twice = fast;
  ConvertQifBytes(twice.data(), Size(twice));
  Require(twice == input, "converting twice did not give back the input");

  Bytes undone = fast;
  ExchangeQifBytes(undone.data(), Size(undone), Size(undone));
  Require(undone == input, "the undo walk did not give back the input");
  return fast;
}

// Cut at a line start, as kestrom-cli cuts a file, the two pieces convert
// as the whole does: the block state and the byte-order mark carry over.
void CheckPieces(const Bytes &input, const Bytes &converted) {
  int n = Size(input);
  int cut = NextQifLineStart(input.data(), n / 2, n, n);
  if (cut < 0)
    return;
  Bytes pieces = input;
  QifPlace place = {0, 0};
  ConvertQifPiece(pieces.data(), cut, &place);
  ConvertQifPiece(pieces.data() + cut, n - cut, &place);
  Require(pieces == converted, "two pieces converted unlike the whole");
}

// Any end, in range or not: as the plain walk does, and its own inverse.
void CheckExchange(const Bytes &input, int end) {
  Bytes fast = input, plain = input;
  ExchangeQifBytes(fast.data(), Size(fast), end);
  ReferenceExchange(plain.data(), Size(plain), end);
  Require(fast == plain, "the undo walk differs from the plain walk");
  ExchangeQifBytes(fast.data(), Size(fast), end);
  Require(fast == input, "the undo walk twice did not give back the input");
}

// The path in a heap buffer of exactly kPathBufferSize bytes, so reading or
// writing past it is caught; bytes past the terminator are filler that must
// never reach the result.
void CheckSplit(const uint8_t *bytes, size_t size) {
  char *path = new char[kPathBufferSize];
  char *name = new char[kPathBufferSize];
  memset(path, 'Z', kPathBufferSize);
  memset(name, 'Z', kPathBufferSize);
  size_t copied = size < kPathBufferSize ? size : kPathBufferSize;
  memcpy(path, bytes, copied);
  if (copied < kPathBufferSize)
    path[copied] = '\0';
  const std::string full(path, strnlen(path, kPathBufferSize - 1));

  SplitPath(path, name);
  Require(memchr(path, '\0', kPathBufferSize) &&
              memchr(name, '\0', kPathBufferSize),
          "a split part lost its terminator");
  const std::string directory(path), file(name);
  Require(file.find_first_of(":\\") == std::string::npos,
          "the file-name part holds a separator");
  Require(file.size() <= full.size() &&
              full.compare(full.size() - file.size(), file.size(), file) == 0,
          "the file-name part is not the end of the path");

  // What stood before the name: empty or ending in a separator; its
  // trailing '\' goes unless a ':', '\' or '.' stands before it.
  const std::string prefix = full.substr(0, full.size() - file.size());
  size_t k = prefix.size();
  Require(k == 0 || prefix[k - 1] == ':' || prefix[k - 1] == '\\',
          "the name was not cut at the last separator");
  bool dropped = k > 1 && prefix[k - 1] == '\\' && prefix[k - 2] != ':' &&
                 prefix[k - 2] != '\\' && prefix[k - 2] != '.';
  Require(directory == (dropped ? prefix.substr(0, k - 1) : prefix),
          "directory and name do not make up the path");
  delete[] path;
  delete[] name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  // The content in a buffer of exactly its size, so ASan sees any read
  // past its end.
  const Bytes input(bytes, bytes + size);
  int n = Size(input);
  int chosen = size >= 2 ? (bytes[0] | bytes[1] << 8) % (n + 2) : 0;
  Bytes converted = CheckPass(input);
  CheckPieces(input, converted);
  for (int end : {-1, 0, 1, n / 2, n - 1, n, n + 1, chosen})
    CheckExchange(input, end);
  CheckSplit(bytes, size);
  return 0;
}
