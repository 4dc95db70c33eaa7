// The work on one FILE: its pieces read, counted, converted and written,
// by two threads for a large file, and what the user is told about it.
#include "cli_run.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cli_file.h"
#include "cli_platform.h"
#include "cli_stdio.h"
#include "qif_check.h"
#include "qif_convert.h"
#include "qif_messages.h"
#include "qif_pieces.h"

namespace {

const char kProgram[] = "kestrom-cli";

// Files stream through a buffer this size: small enough to stay in the
// CPU's cache between the read, the conversion and the write, and to spare
// the page faults a whole-file buffer costs. A 1 MiB file is four pieces,
// so that the disk writes the first while the others convert: that saved
// a fifth of its time against one piece of 1 MiB.
const int kPieceBufferSize = 1 << 18;

// A file this large is converted as two halves side by side, one per CPU
// core, which the disk's writes need to keep up with dd's. The place to
// split it is looked for in this many bytes from its middle.
const long long kSplitFileSize = 8 << 20;
const int kSplitWindow = 64 << 10;

const char *Plural(int count) { return count == 1 ? "" : "s"; }

// Writes to said what becomes of the date-order header and the year-first
// dates, or nothing; verb is "to rewrite as" or "rewritten as".
void SayHeaderAndYearFirst(const QifCheckCounts *counts, const char *verb,
                           char *said) {
  int at = 0;
  said[0] = '\0';
  if (counts->monthFirstHeaders || counts->dayFirstHeaders)
    at = snprintf(said, 64, ", and the header !Option:%s %s !Option:%s",
                  counts->monthFirstHeaders ? "MDY" : "DMY", verb,
                  counts->monthFirstHeaders ? "DMY" : "MDY");
  int count = counts->datesYearFirst;
  if (count)
    snprintf(said + at, 128 - at, "; %d %s", count,
             count == 1 ? MSG_YEAR_FIRST_ONE : MSG_YEAR_FIRST_MANY);
}

// How many dates no rule converts a refusal lists; --check lists them all.
const int kListedLeftAlone = 10;
const int kExcerptLength = 40;

// One walk over the bytes from to to of a file: all of it, or one half.
struct FileJob {
  const char *path;
  const CliOptions *options;
  InputFile *in;
  OutputFile *out; // null under --check
  long long from;
  long long to;
  const unsigned char *piece; // the piece being counted
  int pieceLength;
  QifCheckCounts counts;
  FILE *listTo; // where dates left alone are listed, or null
  int listed;   // how many have been
  int ok;
  long long read; // bytes read from..to so far
  int refused;    // stopped by the decision on its counts
  Failure failure;
};

// Returns the decision on the whole file, as only then can it be known to
// hold no QIF line. An empty file has nothing to convert, so nothing to ask.
int DecideOnWholeFile(const FileJob *job) {
  return DecideQifConversion(&job->counts, job->in->size > 0);
}

void ListLeftAlone(void *context, int line, int offset) {
  FileJob *job = static_cast<FileJob *>(context);
  if (!job->listTo ||
      (job->listTo == stderr && job->listed == kListedLeftAlone))
    return;
  ++job->listed;
  int length = QifLineLength(job->piece, job->pieceLength, offset);
  PrintCli(job->listTo, "%s%s:%d: date that no rule converts: %.*s\n",
           job->listTo == stderr ? "kestrom-cli: " : "", job->path, line,
           length > kExcerptLength ? kExcerptLength : length,
           reinterpret_cast<const char *>(job->piece + offset));
}

// Says on stream each reason in verdict to refuse the file or to ask first,
// one line each, "PATH: SAID: REASON", PATH followed by the line where the
// reason was found. On stderr the line starts with the program's name.
void SayReasons(FILE *stream, const FileJob *job, const char *said,
                int verdict) {
  const QifCheckCounts *counts = &job->counts;
  const char *program = stream == stderr ? "kestrom-cli: " : "";
  if (verdict & kQifRefuse)
    PrintCli(stream, "%s%s: %s: " CLI_BINARY_DATA "\n", program, job->path,
             said, counts->binaryByte, counts->binaryLine);
  if (verdict & kQifAskNoMark)
    PrintCli(stream, "%s%s: %s: " CLI_NOT_QIF "\n", program, job->path, said);
  int count = counts->datesLeftAlone;
  if (verdict & kQifAskLeftAlone)
    PrintCli(stream, "%s%s:%d: %s: " CLI_HALF_CONVERTED "\n", program,
             job->path, counts->firstLeftAloneLine, said, count, Plural(count));
  if (verdict & kQifAskDayFirst) {
    char sign[16] = "!Option:DMY";
    if (counts->dayFirstMonth)
      snprintf(sign, sizeof sign, "month %02d", counts->dayFirstMonth);
    PrintCli(stream, "%s%s:%d: %s: " CLI_DAY_FIRST "\n", program, job->path,
             counts->dayFirstLine, said, sign);
  }
}

// True when a file with this verdict is converted: --yes answers every
// question, and nothing overrides a refusal.
int GoesAhead(int verdict, const CliOptions *options) {
  return !verdict || (!(verdict & kQifRefuse) && options->yes);
}

// The same, marking the job refused when the file does not go ahead.
int MayConvert(FileJob *job, int verdict) {
  if (GoesAhead(verdict, job->options))
    return 1;
  job->refused = 1;
  return 0;
}

// Counts the piece, converts it and writes it out, unless what has been
// counted so far stops the file: a half-converted file imports wrong
// without a word.
int ConvertPiece(FileJob *job, unsigned char *piece, int length,
                 long long offset) {
  CountAndConvertQifPiece(piece, length, &job->counts);
  if (!MayConvert(job, DecideQifConversion(&job->counts, 0)))
    return 0;
  return WriteOutputFile(job->out, offset, piece, length, &job->failure);
}

int CheckPiece(FileJob *job, unsigned char *piece, int length) {
  job->piece = piece;
  job->pieceLength = length;
  CountQifPiece(piece, length, ListLeftAlone, job, &job->counts);
  return 1;
}

// Doubles the buffer, up to 1 GiB. Only a file with no place to cut (no LF
// after a line of five bytes or more) needs more than the first buffer.
int Grow(unsigned char **buffer, int *capacity) {
  void *grown =
      *capacity > (1 << 29) ? nullptr : realloc(*buffer, *capacity * 2);
  if (!grown)
    return 0;
  *buffer = static_cast<unsigned char *>(grown);
  *capacity *= 2;
  return 1;
}

// Streams the job's bytes through a buffer a piece at a time, each cut
// where FindQifPieceEnd allows, and the rest as the last piece once all is
// read; sets job->ok. Runs on a thread of its own when a file is split.
void WalkPieces(void *context) {
  FileJob *job = static_cast<FileJob *>(context);
  // An empty file has a buffer too, of one byte, that is never filled.
  long long left = job->to - job->from;
  int capacity =
      left < kPieceBufferSize ? static_cast<int>(left) + 1 : kPieceBufferSize;
  unsigned char *buffer = static_cast<unsigned char *>(malloc(capacity));
  long long offset = job->from; // where buffer[0] stands in the file
  int filled = 0;
  job->failure.path = job->path;
  job->ok = buffer || Fail(&job->failure, CLI_CANNOT_READ, nullptr, ENOMEM);
  while (job->ok && offset < job->to) {
    int wanted = capacity - filled, got = 0;
    if (job->to - offset - filled < wanted)
      wanted = static_cast<int>(job->to - offset - filled);
    job->ok = ReadInputFile(job->in, offset + filled, buffer + filled, wanted,
                            &got, &job->failure);
    if (!job->ok)
      break;
    filled += got;
    job->read += got;
    int ended = got < wanted || offset + filled == job->to;
    int length = ended ? filled : FindQifPieceEnd(buffer, filled);
    if (length > 0)
      job->ok = job->out ? ConvertPiece(job, buffer, length, offset)
                         : CheckPiece(job, buffer, length);
    else if (!ended && !Grow(&buffer, &capacity))
      job->ok = Fail(&job->failure, CLI_CANNOT_READ, nullptr, ENOMEM);
    filled -= length;
    offset += length;
    memmove(buffer, buffer + length, filled);
    if (ended)
      break;
  }
  free(buffer);
}

void StartJob(FileJob *job, const char *path, const CliOptions *options,
              InputFile *in, OutputFile *out) {
  memset(job, 0, sizeof *job);
  job->path = path;
  job->options = options;
  job->in = in;
  job->out = out;
  job->to = in->size;
  job->listTo = stdout;
}

// Cuts a large file's job in two near the middle, at a place where the
// halves convert exactly as the whole would. Returns the number of jobs.
int SplitJob(FileJob *first, FileJob *second) {
  if (first->to < kSplitFileSize)
    return 1;
  unsigned char window[kSplitWindow];
  long long middle = first->to / 2;
  int got = 0;
  int cut = ReadInputFile(first->in, middle, window, kSplitWindow, &got,
                          &first->failure)
                ? FindQifSplit(window, got)
                : 0;
  if (cut == 0)
    return 1;
  *second = *first;
  first->to = middle + cut;
  second->from = middle + cut;
  // A guess, checked once the first half is done (RedoSecondHalf): a list
  // across the middle of a large file is rare.
  second->counts.place.pastStart = 1;
  return 2;
}

// The second half started among transactions; when the first half ended
// in a list or a price list, the second is walked again from there,
// writing over what it wrote.
void RedoSecondHalf(FileJob *jobs, int count) {
  if (count < 2 || !jobs[0].ok || !jobs[0].counts.place.block)
    return;
  StartJob(&jobs[1], jobs[0].path, jobs[0].options, jobs[0].in, jobs[0].out);
  jobs[1].from = jobs[0].to;
  jobs[1].counts.place = jobs[0].counts.place;
  WalkPieces(&jobs[1]);
}

// Says why a file is refused, from a count of the whole file, so that it
// gives every reason wherever the conversion stopped. Of a file with
// binary data it says only that, as no answer would convert it. Returns 0.
int ReportRefusal(const char *path, const CliOptions *options, InputFile *in,
                  int binary) {
  FileJob job;
  StartJob(&job, path, options, in, nullptr);
  job.listTo = binary ? nullptr : stderr;
  WalkPieces(&job);
  if (!job.ok)
    return PrintFailure(&job.failure);
  int verdict = DecideOnWholeFile(&job);
  const char *said = verdict & kQifRefuse ? CLI_NOT_CONVERTED : CLI_REFUSED;
  SayReasons(stderr, &job, said, verdict & ~kQifAskLeftAlone);
  int count = job.counts.datesLeftAlone;
  if ((verdict & kQifAskLeftAlone) && count > kListedLeftAlone)
    PrintCli(stderr,
             "%s: %s: and %d more dates that no rule converts; --check "
             "lists them all\n",
             kProgram, path, count - kListedLeftAlone);
  SayReasons(stderr, &job, said, verdict & kQifAskLeftAlone);
  return 0;
}

// Says what --yes answered for a file it converted, once it is written.
void NoteAnsweredYes(const FileJob *job) {
  int verdict = DecideOnWholeFile(job);
  SayReasons(stderr, job, "note: " CLI_CONVERTED_ANYWAY,
             verdict & ~kQifAskLeftAlone);
  int count = job->counts.datesLeftAlone;
  if (count)
    PrintCli(stderr,
             "%s: %s:%d: warning: %d date%s that no rule converts left as "
             "they were, as --yes was given; --check lists them\n",
             kProgram, job->path, job->counts.firstLeftAloneLine, count,
             Plural(count));
}

// Reports the first job that failed or was refused. A refusal is reported
// as such only if the file is still as it was read: a file cut short by
// another program can end in what looks like a date no rule converts.
int ReportStop(FileJob *jobs, InputFile *in) {
  int stopped = jobs[0].ok ? 1 : 0;
  if (!jobs[stopped].refused)
    return PrintFailure(&jobs[stopped].failure);
  Failure failure;
  if (!CheckInputUnchanged(in, in->size, &failure))
    return PrintFailure(&failure);
  return ReportRefusal(jobs[0].path, jobs[0].options, in,
                       jobs[stopped].counts.binaryLine != 0);
}

// Prints what --check says of a file. Returns 0 when a conversion would be
// refused.
int PrintCheckSummary(const FileJob *job) {
  const QifCheckCounts *counts = &job->counts;
  int verdict = DecideOnWholeFile(job);
  char header[128];
  SayHeaderAndYearFirst(counts, "to rewrite as", header);
  PrintCli(stdout,
           "%s: %d date%s to convert and %d payee/memo line%s to exchange%s\n",
           job->path, counts->datesExchanged, Plural(counts->datesExchanged),
           counts->lettersExchanged, Plural(counts->lettersExchanged), header);
  SayReasons(stdout, job,
             verdict & kQifRefuse ? CLI_WOULD_NOT_CONVERT
             : job->options->yes  ? CLI_WOULD_CONVERT_ANYWAY
                                  : CLI_WOULD_BE_REFUSED,
             verdict);
  return GoesAhead(verdict, job->options);
}

// Writes to note what was done with a file, which --verbose says once it
// is done, as does an interrupt that comes once it is.
void FormatDone(const OutputFile *out, const void *context, char *note,
                int size) {
  const FileJob *job = static_cast<const FileJob *>(context);
  const QifCheckCounts *counts = &job->counts;
  char where[2 * kCliPathSize + 32] = "in place";
  if (IsStandardStream(out->given))
    strcpy(where, "to standard output");
  else if (job->options->output)
    snprintf(where, sizeof where, "into %s", out->given);
  size_t said = strlen(where);
  if (out->backup[0])
    snprintf(where + said, sizeof where - said, " (backup: %s)", out->backup);
  char header[128];
  SayHeaderAndYearFirst(counts, "rewritten as", header);
  snprintf(note, static_cast<size_t>(size),
           "%s: %s: converted %s: %d date%s and %d payee/memo line%s "
           "changed%s\n",
           kProgram, job->path, where, counts->datesExchanged,
           Plural(counts->datesExchanged), counts->lettersExchanged,
           Plural(counts->lettersExchanged), header);
}

// A plain search will do: over 10,000 FILEs it costs some 33 ms in all,
// against about 3.6 ms of work for each.
const NamedFile *FindDone(const NamedFile *done, int count,
                          const FileIdentity *identity) {
  for (int i = 0; i < count; ++i)
    if (SameIdentity(&done[i].identity, identity))
      return &done[i];
  return nullptr;
}

// Notes the file each FILE names at the start, so that no backup replaces
// one; the run keeps them up to date as it replaces them. They are looked
// at only when backups are made.
void LookAtEveryFile(const CliOptions *options, NamedFile *run) {
  int backups = options->backup.control != kBackupNone && !options->check;
  for (int i = 0; i < options->fileCount; ++i) {
    run[i].path = options->files[i];
    run[i].known = backups && GetFileIdentity(run[i].path, &run[i].identity);
  }
}

// Converts path and writes the result to options->output, or over path,
// its backup replacing none of the run's FILEs. Returns 1 when written, 0
// when refused or failed (reported on stderr).
int ConvertOneFile(const char *path, const CliOptions *options,
                   const NamedFile *run, int runCount) {
  InputFile in;
  Failure failure;
  if (!OpenInputFile(path, &in, &failure))
    return PrintFailure(&failure);
  const char *target = options->output ? options->output : path;
  if (in.size == 0 && target == path && !in.standard) {
    CloseInputFile(&in);
    if (options->verbose)
      PrintCli(stderr, "%s: %s: " CLI_FILE_EMPTY "\n", kProgram, path);
    return 1;
  }
  OutputFile out;
  if (!CreateOutputFile(target, &in, &options->backup, run, runCount, &out,
                        &failure)) {
    CloseInputFile(&in);
    return PrintFailure(&failure);
  }
  FileJob jobs[2];
  StartJob(&jobs[0], path, options, &in, &out);
  int count = SplitJob(&jobs[0], &jobs[1]);
  if (count == 2)
    RunSideBySide(WalkPieces, &jobs[0], &jobs[1]);
  else
    WalkPieces(&jobs[0]);
  RedoSecondHalf(jobs, count);
  if (jobs[0].ok && jobs[count - 1].ok) {
    if (count == 2)
      AddQifCounts(&jobs[0].counts, &jobs[1].counts);
    jobs[0].ok = MayConvert(&jobs[0], DecideOnWholeFile(&jobs[0]));
  }
  if (!jobs[0].ok || !jobs[count - 1].ok) {
    DiscardOutputFile(&out);
    int reported = ReportStop(jobs, &in);
    CloseInputFile(&in);
    return reported;
  }
  long long read = jobs[0].read + (count == 2 ? jobs[1].read : 0);
  if (!CommitOutputFile(&out, &in, read, FormatDone, &jobs[0], &failure))
    return PrintFailure(&failure);
  NoteAnsweredYes(&jobs[0]);
  if (options->verbose)
    SayConverted();
  return 1;
}

// Reports on stdout what converting path would do. Returns 1 when it would
// be converted, 0 when it would be refused or cannot be read.
int CheckOneFile(const char *path, const CliOptions *options) {
  InputFile in;
  Failure failure;
  if (!OpenInputFile(path, &in, &failure))
    return PrintFailure(&failure);
  FileJob job;
  StartJob(&job, path, options, &in, nullptr);
  WalkPieces(&job);
  CloseInputFile(&in);
  if (!job.ok)
    return PrintFailure(&job.failure);
  return PrintCheckSummary(&job);
}

} // namespace

// A FILE is known by the identity it has once done: an in-place conversion
// renames a new file over the path, so the same path named again has a new
// identity by then, while a hard link to the old file still holds the old
// content and is converted on its own.
int RunEachFileOnce(const CliOptions *options) {
  int files = options->fileCount;
  NamedFile *done = static_cast<NamedFile *>(
      malloc(sizeof(NamedFile) * 2 * static_cast<size_t>(files)));
  if (!done) {
    PrintCli(stderr, "%s: %s\n", kProgram, strerror(ENOMEM));
    return 1;
  }
  NamedFile *run = done + files;
  LookAtEveryFile(options, run);
  int count = 0, status = 0;
  Failure failure;
  for (int i = 0; i < files; ++i) {
    const char *path = options->files[i];
    FileIdentity identity;
    int known = GetFileIdentity(path, &identity);
    const NamedFile *same = known ? FindDone(done, count, &identity) : nullptr;
    if (same) {
      PrintCli(stderr, "%s: %s: note: skipped, the same file as %s\n", kProgram,
               path, same->path);
      continue;
    }
    int ok = options->check ? CheckOneFile(path, options)
                            : ConvertOneFile(path, options, run, files);
    if (!ok)
      status = 1;
    if (ok && !options->check && !options->output) {
      known = GetFileIdentity(path, &identity); // a new file is there now
      run[i] = NamedFile{path, identity, known};
    }
    if (known)
      done[count++] = NamedFile{path, identity, 1};
    // A reader gone ends the run: nothing more of it would be read.
    if (!FlushStandardOutput(&failure)) {
      PrintFailure(&failure);
      status = 1;
      break;
    }
  }
  free(done);
  return status;
}
