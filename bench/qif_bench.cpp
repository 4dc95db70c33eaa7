// Throughput of the conversion pass and the undo walk against the floor: one
// memchr call from each line start to the next LF, which is the least any
// walk that visits every line start must do. Baselines show what the pass
// would cost written byte by byte or with a memchr call per line.
//
// Every walk timed here is its own inverse over the whole content, so each
// iteration works on the same bytes: odd iterations convert the content as
// exported, even ones convert it back. A pass over the as-exported content
// asks nothing; a pass back over converted content sees day-first dates and
// asks once (answered yes). Before timing, each walk's output is checked
// against the plain walk; after it, the content is checked to be back where
// it started.
#include <benchmark/benchmark.h>

#include <string.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qif_check.h"
#include "qif_convert.h"
#include "qif_generator.h"
#include "qif_reference.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// What is timed: the content as the benchmarks have always generated it
// (about 2.5 % of dates in short form), or with about 30 % short forms.
struct Kind {
  size_t size;
  QifLineEnd lineEnd;
  unsigned shortFormPercent; // 0 for the usual content
  int rules;
};

std::pair<std::pair<size_t, int>, std::pair<unsigned, int>>
Key(const Kind &kind) {
  return {{kind.size, static_cast<int>(kind.lineEnd)},
          {kind.shortFormPercent, kind.rules}};
}

// Generated once per kind, outside any timing.
const Bytes &Content(const Kind &kind) {
  static std::map<decltype(Key(kind)), Bytes> cache;
  Kind plain = kind;
  plain.rules = 0;
  Bytes &content = cache[Key(plain)];
  if (content.size() != kind.size) {
    content.resize(kind.size);
    FillQifContentWithShortForms(content.data(), kind.size, kind.lineEnd, 1,
                                 kind.shortFormPercent);
  }
  return content;
}

int AnswerYes(void *) { return 1; }

void ConvertAnsweringYes(unsigned char *data, int size, int rules) {
  ConvertQifBytes(data, size, rules, AnswerYes, nullptr);
}

void UndoWholeContent(unsigned char *data, int size, int rules) {
  ExchangeQifBytes(data, size, size, rules);
}

// Baseline: the rules tested at every position, as the plain walk does.
void ByteAtATime(unsigned char *data, int size, int rules) {
  ReferenceConvert(data, size, rules, AnswerYes, nullptr);
}

// Baseline: one memchr call per line, the rules applied at each line start
// by the core's own walk limited to that one position.
void PerLineMemchr(unsigned char *data, int size, int rules) {
  int i = 0;
  while (i < size) {
    ExchangeQifBytes(data + i, size - i, 1, rules);
    const void *lf = memchr(data + i, '\n', size - i);
    if (!lf)
      break;
    i = static_cast<int>(static_cast<const unsigned char *>(lf) - data) + 1;
  }
}

// The floor: every line found with one memchr call from its start.
size_t CountLines(const unsigned char *data, size_t size) {
  const unsigned char *p = data, *end = data + size;
  size_t lines = 0;
  while (p < end) {
    ++lines;
    const void *lf = memchr(p, '\n', end - p);
    if (!lf)
      break;
    p = static_cast<const unsigned char *>(lf) + 1;
  }
  return lines;
}

// Bytes per second from the iterations; lines per iteration as a counter,
// so every row says how many line starts the walk visited.
void ReportThroughput(benchmark::State &state, const Bytes &input) {
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(input.size()));
  state.counters["lines"] =
      static_cast<double>(CountLines(input.data(), input.size()));
}

typedef void (*WholeWalk)(unsigned char *data, int size, int rules);

// What every walk timed here must make of the content as generated: it has
// no month over 12, so no question changes the outcome.
const Bytes &Converted(const Kind &kind) {
  static std::map<decltype(Key(kind)), Bytes> cache;
  Bytes &converted = cache[Key(kind)];
  if (converted.size() != kind.size) {
    converted = Content(kind);
    ByteAtATime(converted.data(), static_cast<int>(kind.size), kind.rules);
  }
  return converted;
}

void BenchWalk(benchmark::State &state, Kind kind, WholeWalk walk) {
  const Bytes &input = Content(kind);
  Bytes data = input;
  int n = static_cast<int>(kind.size);
  walk(data.data(), n, kind.rules);
  if (data != Converted(kind)) {
    ReportThroughput(state, input); // the CSV report wants every counter
    state.SkipWithError("the walk disagrees with the plain walk");
    return;
  }
  walk(data.data(), n, kind.rules);
  for (auto _ : state) {
    walk(data.data(), n, kind.rules);
    benchmark::ClobberMemory();
  }
  if (state.iterations() % 2)
    walk(data.data(), n, kind.rules);
  if (data != input)
    state.SkipWithError("the walk did not give back the content");
  ReportThroughput(state, input);
}

// The counts kestrom-cli takes of each piece before converting it, and the
// page of a file as it loads; they change no byte.
void BenchCount(benchmark::State &state, Kind kind) {
  const Bytes &input = Content(kind);
  for (auto _ : state) {
    QifCheckCounts counts = {};
    CountQifPiece(input.data(), static_cast<int>(kind.size), kind.rules,
                  nullptr, nullptr, &counts);
    benchmark::DoNotOptimize(counts);
  }
  ReportThroughput(state, input);
}

void BenchFloor(benchmark::State &state, Kind kind) {
  const Bytes &input = Content(kind);
  for (auto _ : state) {
    size_t lines = CountLines(input.data(), kind.size);
    benchmark::DoNotOptimize(lines);
  }
  ReportThroughput(state, input);
}

struct SizeCase {
  const char *label;
  size_t bytes;
};

// Convert and Undo take the dialog's rule alone, as they always have; the
// Both rows (named when there were two rules) take the every-date rules, as
// kestrom-cli and the page do, on the same content and, as ShortForms, on
// content with about 30 % short forms.
struct WalkCase {
  const char *label;
  WholeWalk walk;
  int rules;
  unsigned shortFormPercent;
};

void RegisterAll() {
  static const SizeCase kSizes[] = {
      {"4KiB", 4u << 10}, {"1MiB", 1u << 20}, {"64MiB", 64u << 20}};
  static const WalkCase kWalks[] = {
      {"Convert", ConvertAnsweringYes, kQifTwoDigitRule, 0},
      {"ConvertBoth", ConvertAnsweringYes, kQifEveryDateRules, 0},
      {"ConvertBoth_ShortForms", ConvertAnsweringYes, kQifEveryDateRules, 36},
      {"Undo", UndoWholeContent, kQifTwoDigitRule, 0},
      {"Baseline_ByteAtATime", ByteAtATime, kQifTwoDigitRule, 0},
      {"Baseline_PerLineMemchr", PerLineMemchr, kQifTwoDigitRule, 0}};
  static const QifLineEnd kLineEnds[] = {kQifLf, kQifCrLf};
  for (const SizeCase &s : kSizes) {
    for (QifLineEnd lineEnd : kLineEnds) {
      std::string suffix =
          std::string("_") + s.label + (lineEnd == kQifCrLf ? "_CRLF" : "_LF");
      for (const WalkCase &w : kWalks)
        benchmark::RegisterBenchmark(
            ("BM_" + std::string(w.label) + suffix).c_str(), BenchWalk,
            Kind{s.bytes, lineEnd, w.shortFormPercent, w.rules}, w.walk);
      benchmark::RegisterBenchmark(("BM_Floor" + suffix).c_str(), BenchFloor,
                                   Kind{s.bytes, lineEnd, 0, 0});
      benchmark::RegisterBenchmark(
          ("BM_Count" + suffix).c_str(), BenchCount,
          Kind{s.bytes, lineEnd, 0, kQifEveryDateRules});
    }
  }
}

} // namespace

int main(int argc, char **argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
