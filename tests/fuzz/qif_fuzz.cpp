// Fuzzes the conversion pass, the undo walk and the path split. Each input
// is used whole as file content (with the dialog's two-digit rule alone and
// with the every-date rules, which read lines that end at a CR alone, a
// byte-order mark, lists, prices and headers) and as a path; any broken
// invariant aborts, so libFuzzer keeps the input that broke it.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

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

// The user's answer to the question, always the same; counts the asking.
struct Answer {
  int yes;
  int asked;
};

int Reply(void *context) {
  Answer *answer = static_cast<Answer *>(context);
  ++answer->asked;
  return answer->yes;
}

int Size(const Bytes &b) { return static_cast<int>(b.size()); }

// The only bytes a pass may change: a line-start M or P, and the four digit
// places of a line-start D with six bytes from it to the end.
void RequireOnlyAllowedChanges(const Bytes &before, const Bytes &after,
                               int rules) {
  std::vector<bool> allowed = RulePlaces(before, rules);
  for (size_t i = 0; i < before.size(); ++i)
    Require(allowed[i] || before[i] == after[i],
            "a pass changed a byte outside the rules' places");
}

// Answered yes: agrees with the plain walk, and a second pass or the undo
// walk gives the input back. Returns the converted bytes.
Bytes CheckPassAnsweredYes(const Bytes &input, int rules, int *questions) {
  Bytes fast = input, plain = input;
  Answer fastAnswer = {1, 0}, plainAnswer = {1, 0};
  int fastResult =
      ConvertQifBytes(fast.data(), Size(fast), rules, Reply, &fastAnswer);
  int plainResult =
      ReferenceConvert(plain.data(), Size(plain), rules, Reply, &plainAnswer);
  Require(fastResult == 1 && plainResult == 1, "a pass answered yes ends 1");
  Require(fast == plain, "the pass differs from the plain walk");
  Require(fastAnswer.asked == plainAnswer.asked,
          "the pass and the plain walk asked a different number of times");
  Require(fastAnswer.asked <= 1, "the pass asked more than once");
  Require(fast.size() == input.size(), "the pass changed the length");
  RequireOnlyAllowedChanges(input, fast, rules);

  Bytes twice = fast;
  Answer again = {1, 0};
  ConvertQifBytes(twice.data(), Size(twice), rules, Reply, &again);
  Require(twice == input, "converting twice did not give back the input");

  Bytes undone = fast;
  ExchangeQifBytes(undone.data(), Size(undone), Size(undone), rules);
  Require(undone == input, "the undo walk did not give back the input");
  *questions = fastAnswer.asked;
  return fast;
}

// Declined at the one question: the content is as it was and the result 0;
// with no question the pass goes through as if answered yes.
void CheckPassDeclined(const Bytes &input, const Bytes &converted, int rules,
                       int questions) {
  Bytes fast = input, plain = input;
  Answer fastAnswer = {0, 0}, plainAnswer = {0, 0};
  int fastResult =
      ConvertQifBytes(fast.data(), Size(fast), rules, Reply, &fastAnswer);
  int plainResult =
      ReferenceConvert(plain.data(), Size(plain), rules, Reply, &plainAnswer);
  Require(fastAnswer.asked == questions && plainAnswer.asked == questions,
          "declining changed whether the question was asked");
  Require(fastResult == plainResult && fast == plain,
          "a declined pass differs from the plain walk");
  if (questions) {
    Require(fastResult == 0, "a declined pass did not end 0");
    Require(fast == input, "a declined pass left the content changed");
  } else {
    Require(fastResult == 1 && fast == converted,
            "a pass with no question depends on the answer");
  }
}

// Cut at a line start, as kestrom-cli cuts a file, the two pieces convert
// as the whole does: the block state and the byte-order mark carry over.
void CheckPieces(const Bytes &input, const Bytes &converted, int rules) {
  int n = Size(input);
  int cut = NextQifLineStart(input.data(), n / 2, n, n, QifCrEndsLines(rules));
  if (cut < 0)
    return;
  Bytes pieces = input;
  QifPlace place = {0, 0};
  Answer answer = {1, 0};
  ConvertQifPiece(pieces.data(), cut, rules, Reply, &answer, &place);
  ConvertQifPiece(pieces.data() + cut, n - cut, rules, Reply, &answer, &place);
  Require(pieces == converted, "two pieces converted unlike the whole");
}

// Any end, in range or not: as the plain walk does, and its own inverse.
void CheckExchange(const Bytes &input, int end, int rules) {
  Bytes fast = input, plain = input;
  ExchangeQifBytes(fast.data(), Size(fast), end, rules);
  ReferenceExchange(plain.data(), Size(plain), end, rules);
  Require(fast == plain, "the undo walk differs from the plain walk");
  ExchangeQifBytes(fast.data(), Size(fast), end, rules);
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
  for (int rules : {kQifTwoDigitRule, kQifEveryDateRules}) {
    int questions = 0;
    Bytes converted = CheckPassAnsweredYes(input, rules, &questions);
    CheckPassDeclined(input, converted, rules, questions);
    if (rules & kQifAnyExportRule)
      CheckPieces(input, converted, rules);
    for (int end : {-1, 0, 1, n / 2, n - 1, n, n + 1, chosen})
      CheckExchange(input, end, rules);
  }
  CheckSplit(bytes, size);
  return 0;
}
