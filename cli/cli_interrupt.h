// What an interrupt finds to clean up and to say. Only the functions here
// change it, with the interrupt held off (BlockInterrupt), so that a handler,
// which only reads it, sees it before or after a change, never in between.
#pragma once

#include <signal.h>
#include <stdint.h>

#include "cli_file_types.h"

struct InterruptState {
  volatile sig_atomic_t tempActive; // tempName names a file to remove
  // On POSIX the folder that holds tempName; -1 on Windows, where it is a path.
  volatile sig_atomic_t tempFolder;
  char tempName[kCliPathSize];
  // The notes of the files converted, one escaped line each, and a closing
  // NUL; the first notesLength bytes are not yet said.
  char *notes;
  volatile sig_atomic_t notesLength;
};

extern InterruptState g_interrupt;

// Makes name, in folder, the temporary file an interrupt removes.
void RememberTemp(intptr_t folder, const char *name);
// Leaves the temporary file to its owner: it is gone, or is the target now.
void ForgetTemp(void);

// Adds note, a line that says a file is done, to those not yet said, and
// frees it. Without the memory for it the file goes unsaid.
void AddNote(char *note);
// Takes the notes from the handlers: they are said now.
void ForgetNotes(void);
