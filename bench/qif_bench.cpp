// Throughput of the conversion pass and the undo walk against the floor: one
// memchr call from each line start to the next LF, which is the least any
// walk that visits every line start must do. Baselines show what the pass
// would cost written byte by byte or with a memchr call per line.
//
// Every walk timed here is its own inverse over the whole content, so each
// iteration works on the same bytes: odd iterations convert the content as
// exported, even ones convert it back. Before timing, each walk's output is
// checked against the plain walk; after it, the content is checked to be
// back where it started.
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
};

std::pair<std::pair<size_t, int>, unsigned> Key(const Kind &kind) {
  return {{kind.size, static_cast<int>(kind.lineEnd)}, kind.shortFormPercent};
}

// Generated once per kind, outside any timing.
const Bytes &Content(const Kind &kind) {
  static std::map<decltype(Key(kind)), Bytes> cache;
  Bytes &content = cache[Key(kind)];
  if (content.size() != kind.size) {
    content.resize(kind.size);
    FillQifContentWithShortForms(content.data(), kind.size, kind.lineEnd, 1,
                                 kind.shortFormPercent);
  }
  return content;
}

// kestrom-cli's walk: the counts and the conversion in one pass.
void CountAndConvertWholeContent(unsigned char *data, int size) {
  QifCheckCounts counts = {};
  CountAndConvertQifPiece(data, size, &counts);
  benchmark::DoNotOptimize(counts);
}

void UndoWholeContent(unsigned char *data, int size) {
  ExchangeQifBytes(data, size, size);
}

// Baseline: the rules tested at every position, as the plain walk does.
void ByteAtATime(unsigned char *data, int size) {
  ReferenceConvert(data, size);
}

// Baseline: one memchr call per line, the rules applied at each line start
// by the core's own walk limited to that one position.
void PerLineMemchr(unsigned char *data, int size) {
  int i = 0;
  while (i < size) {
    ExchangeQifBytes(data + i, size - i, 1);
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

typedef void (*WholeWalk)(unsigned char *data, int size);

// What every walk timed here must make of the content as generated.
const Bytes &Converted(const Kind &kind) {
  static std::map<decltype(Key(kind)), Bytes> cache;
  Bytes &converted = cache[Key(kind)];
  if (converted.size() != kind.size) {
    converted = Content(kind);
    ByteAtATime(converted.data(), static_cast<int>(kind.size));
  }
  return converted;
}

void BenchWalk(benchmark::State &state, Kind kind, WholeWalk walk) {
  const Bytes &input = Content(kind);
  Bytes data = input;
  int n = static_cast<int>(kind.size);
  walk(data.data(), n);
  if (data != Converted(kind)) {
    ReportThroughput(state, input); // the CSV report wants every counter
    state.SkipWithError("the walk disagrees with the plain walk");
    return;
  }
  walk(data.data(), n);
  for (auto _ : state) {
    walk(data.data(), n);
    benchmark::ClobberMemory();
  }
  if (state.iterations() % 2)
    walk(data.data(), n);
  if (data != input)
    state.SkipWithError("the walk did not give back the content");
  ReportThroughput(state, input);
}

// The counts kestrom-cli takes of each piece before converting it, and the
// page and the dialog of a file before they ask and convert; they change no
// byte.
void BenchCount(benchmark::State &state, Kind kind) {
  const Bytes &input = Content(kind);
  for (auto _ : state) {
    QifCheckCounts counts = {};
    CountQifPiece(input.data(), static_cast<int>(kind.size), nullptr, nullptr,
                  &counts);
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

// Convert_ShortForms runs on content with about 30 % short forms.
struct WalkCase {
  const char *label;
  WholeWalk walk;
  unsigned shortFormPercent;
};

void RegisterAll() {
  static const SizeCase kSizes[] = {
      {"4KiB", 4u << 10}, {"1MiB", 1u << 20}, {"64MiB", 64u << 20}};
  static const WalkCase kWalks[] = {
      {"Convert", ConvertQifBytes, 0},
      {"Convert_ShortForms", ConvertQifBytes, 36},
      {"Undo", UndoWholeContent, 0},
      {"CountAndConvert", CountAndConvertWholeContent, 0},
      {"Baseline_ByteAtATime", ByteAtATime, 0},
      {"Baseline_PerLineMemchr", PerLineMemchr, 0}};
  static const QifLineEnd kLineEnds[] = {kQifLf, kQifCrLf};
  for (const SizeCase &s : kSizes) {
    for (QifLineEnd lineEnd : kLineEnds) {
      std::string suffix =
          std::string("_") + s.label + (lineEnd == kQifCrLf ? "_CRLF" : "_LF");
      for (const WalkCase &w : kWalks)
        benchmark::RegisterBenchmark(
            ("BM_" + std::string(w.label) + suffix).c_str(), BenchWalk,
            Kind{s.bytes, lineEnd, w.shortFormPercent}, w.walk);
      benchmark::RegisterBenchmark(("BM_Floor" + suffix).c_str(), BenchFloor,
                                   Kind{s.bytes, lineEnd, 0});
      benchmark::RegisterBenchmark(("BM_Count" + suffix).c_str(), BenchCount,
                                   Kind{s.bytes, lineEnd, 0});
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
