// Saves that cannot finish as asked: a write cut short, the program killed
// during a save, a file the user may not replace. The file on disk is then
// always the old one or the whole new one.
#include <stdio.h>
#include <stdlib.h>

#include "e2e_scenarios.h"

namespace {

const char kUnableToSave[] = "Unable to Save file";
const int kKilledRuns = 12;
const int kWatchedRuns = 3; // killed the moment the name is found empty

// The program's temporary files are kstXXXX.tmp beside the file: the first
// one found, or an empty path.
std::string TempFileBeside(const std::string &path) {
  std::string folder = path.substr(0, path.rfind('\\'));
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\kst*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return "";
  FindClose(search);
  return JoinPath(folder, found.cFileName);
}

// Save, the warning, then Cancel: the file must be as before all along.
void RefusedSave(Session *session, const std::string &before) {
  PressButton(*session, kSaveId);
  if (AnswerMessage(*session, kUnableToSave, "Save", IDOK) &&
      CheckStillOpen(*session, "after the failed Save") &&
      CheckFileBytes(session->path, before)) {
    PressButton(*session, IDCANCEL);
    CheckEndsWithCode0(session, "after Cancel");
  }
  CheckFileBytes(session->path, before);
  Check(TempFileBeside(session->path).empty(), "a temporary file was left");
}

// How a killed save left the file. Only the first two may happen: a user
// who finds the export gone will not look for it under a temporary name.
const char *const kOutcomes[] = {"the old bytes", "the new bytes",
                                 "no file, the new bytes in kstXXXX.tmp",
                                 "other bytes"};

int Outcome(const std::string &path, const std::string &input,
            const std::string &converted) {
  std::string bytes;
  if (ReadBytes(path, &bytes))
    return bytes == input ? 0 : bytes == converted ? 1 : 3;
  return ReadBytes(TempFileBeside(path), &bytes) && bytes == converted ? 2 : 3;
}

// Returns, for the kill, the moment the file's name is empty, if it ever is.
void KillWhenMissing(Session *session, DWORD took) {
  DWORD start = GetTickCount();
  while (FileExists(session->path) && IsRunning(&session->program) &&
         GetTickCount() - start < 2 * took) {
  }
}

// strace on Wine's server makes its renames fail or wait as inject says
// (tests/common/trace-server.sh). Returns the tracer's pid, or 0 where
// none can trace here, which the scenario then says.
int TraceServer(const E2eSetup &setup, const char *inject) {
  std::string pids = JoinPath(setup.work, "tracer.pid"), text;
  RunOnUnixFiles("/bin/bash " + setup.fixtures +
                     "\\..\\common\\trace-server.sh " + pids + " " + inject,
                 pids, 1);
  int tracer = ReadBytes(pids, &text) ? atoi(text.c_str()) : 0;
  DeleteFileA(pids.c_str());
  if (!tracer)
    printf("skipped: no Wine server that strace can trace here\n");
  return tracer;
}

// The replace's own faults: every rename failing (strace), and the file
// held open by another program, as a scanner does, from the moment the
// temporary file appears until after the rename was first tried, the
// program let be or killed meanwhile.
struct ReplaceFault {
  const char *what;
  const char *inject; // strace's fault for the server's renames, or null
  int killed;
};

const ReplaceFault kReplaceFaults[] = {
    {"every rename fails: the warning, the file as it was",
     "rename:error=EACCES:when=1+", 0},
    {"the file held at the rename: tried again until let go", nullptr, 0},
    {"killed while the held file's rename is tried again: as it was", nullptr,
     1},
};

void SaveWithReplaceFault(const E2eSetup &setup, const ReplaceFault &fault) {
  printf("-- %s\n", fault.what);
  std::string input, converted;
  while (input.size() < (4u << 20)) {
    input += kMonthFirst;
    converted += kMonthFirstConverted;
  }
  Session session;
  int tracer = 0;
  if (EmptyFolder(setup.work) &&
      OpenNewFile(setup, "fault.qif", input, &session) &&
      (!fault.inject || (tracer = TraceServer(setup, fault.inject)))) {
    if (tracer) {
      RefusedSave(&session, input);
      WinExec(("/bin/kill " + std::to_string(tracer)).c_str(), SW_HIDE);
      Sleep(300);
    } else {
      PressButton(session, kSaveId);
      for (DWORD start = GetTickCount(); TempFileBeside(session.path).empty() &&
                                         GetTickCount() - start < 9000;)
        Sleep(1);
      HANDLE held = CreateFileA(session.path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
      Check(held != INVALID_HANDLE_VALUE, "cannot hold the file");
      Sleep(500);
      if (fault.killed)
        EndProgram(&session.program);
      CloseHandle(held);
      if (!fault.killed)
        CheckEndsWithCode0(&session, "after the rename held");
      int outcome = Outcome(session.path, input, converted);
      Check(outcome == !fault.killed, "%s", kOutcomes[outcome]);
    }
  }
  FinishSession(&session);
}

} // namespace

// The test script limits every file written to 512 KiB, which stands for a
// full quota or a dropped share, and makes the 1.2 MB export beforehand.
void RunSizeLimitScenario(const E2eSetup &setup) {
  printf("-- a Save cut short by a file-size limit leaves the file whole\n");
  const char *given = getenv("KESTROM_LIMIT_FILE");
  std::string before;
  Session session = {};
  session.path = given ? given : "";
  if (Check(ReadBytes(session.path, &before),
            "no export in KESTROM_LIMIT_FILE") &&
      OpenInKestrom(setup, session.path, &session))
    RefusedSave(&session, before);
  FinishSession(&session);
}

// Killed at random moments of a Save of 128 MiB, as by a crash or a power
// cut. A first, whole Save tells how long one takes.
void RunKilledSaveScenario(const E2eSetup &setup) {
  std::string input, converted;
  while (input.size() < (128u << 20)) {
    input += kMonthFirst;
    converted += kMonthFirstConverted;
  }
  unsigned seed = GetTickCount();
  printf("-- killed during Save: old or new bytes, never others (seed %u)\n",
         seed);
  srand(seed);
  DWORD took = 0;
  int counts[4] = {0, 0, 0, 0}, leftTemp = 0;
  for (int run = 0; run <= kKilledRuns + kWatchedRuns; ++run) {
    Session session = {};
    if (!Check(EmptyFolder(setup.work), "cannot empty the folder") ||
        !OpenNewFile(setup, "large.qif", input, &session)) {
      FinishSession(&session);
      break;
    }
    DWORD delay = run ? DWORD(rand()) % took : 0, start = GetTickCount();
    PressButton(session, kSaveId);
    if (run == 0 && CheckEndsWithCode0(&session, "after a whole Save"))
      printf("a whole Save took %lu ms\n", took = GetTickCount() - start + 1);
    if (run > kKilledRuns)
      KillWhenMissing(&session, took);
    else
      Sleep(delay);
    EndProgram(&session.program);
    int outcome = Outcome(session.path, input, converted);
    Check(run ? outcome < 2 : outcome == 1, "run %d, killed after %lu ms: %s",
          run, GetTickCount() - start, kOutcomes[outcome]);
    counts[outcome] += run > 0;
    leftTemp += !TempFileBeside(session.path).empty();
    if (!took)
      break;
  }
  printf("killed saves: %d old, %d new, %d new under the temporary name, %d "
         "other; %d left a temporary file\n",
         counts[0], counts[1], counts[2], counts[3], leftTemp);
  for (const ReplaceFault &fault : kReplaceFaults)
    SaveWithReplaceFault(setup, fault);
}

// Run as an ordinary user by the test script: as root, Wine writes over
// read-only files and into folders that refuse new ones.
void RunOrdinaryUserScenarios(const E2eSetup &setup) {
  printf("-- Save onto a file made read-only meanwhile is refused\n");
  Session session;
  if (OpenNewFile(setup, "readonly.qif", Bytes(kMonthFirst), &session) &&
      Check(SetFileAttributesA(session.path.c_str(), FILE_ATTRIBUTE_READONLY),
            "cannot make the file read-only"))
    RefusedSave(&session, Bytes(kMonthFirst));
  FinishSession(&session);
  DWORD attributes = GetFileAttributesA(session.path.c_str());
  Check(attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY),
        "the read-only file lost its attribute");

  printf("-- Save in a folder that refuses new files writes in place\n");
  const char *locked = getenv("KESTROM_LOCKED_FILE");
  Session inPlace = {};
  inPlace.path = locked ? locked : "";
  if (Check(!inPlace.path.empty(), "no file in KESTROM_LOCKED_FILE") &&
      WriteBytes(inPlace.path, Bytes(kMonthFirst)) &&
      OpenInKestrom(setup, inPlace.path, &inPlace)) {
    PressButton(inPlace, kSaveId);
    CheckEndsWithCode0(&inPlace, "after Save");
  }
  CheckFileBytes(inPlace.path, Bytes(kMonthFirstConverted));
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  Check(TempFileBeside(std::string(temp) + "x").empty(),
        "the copy of the original was left in %s", temp);
  FinishSession(&inPlace);

  // The test script made it, larger than the file-size limit it set: the
  // copy of the original stops at the limit, and nothing is written.
  printf("-- a write in place that cannot keep a copy is refused\n");
  Session cut = {};
  cut.path = inPlace.path.substr(0, inPlace.path.rfind('\\')) + "\\large.qif";
  std::string before;
  if (Check(ReadBytes(cut.path, &before), "no %s", cut.path.c_str()) &&
      OpenInKestrom(setup, cut.path, &cut))
    RefusedSave(&cut, before);
  FinishSession(&cut);
}
