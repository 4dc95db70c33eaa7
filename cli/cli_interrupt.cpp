#include "cli_interrupt.h"

#include <stdlib.h>
#include <string.h>

InterruptState g_interrupt = {0, -1, "", nullptr, 0};

void RememberTemp(intptr_t folder, const char *name) {
  strcpy(g_interrupt.tempName, name);
  g_interrupt.tempFolder = static_cast<sig_atomic_t>(folder);
  g_interrupt.tempActive = 1;
}

void ForgetTemp(void) { g_interrupt.tempActive = 0; }

// Each note is complete before the length that takes it in is set.
void AddNote(char *note) {
  if (!note)
    return;
  size_t had = static_cast<size_t>(g_interrupt.notesLength);
  size_t length = strlen(note);
  char *grown =
      static_cast<char *>(realloc(g_interrupt.notes, had + length + 1));
  if (grown) {
    memcpy(grown + had, note, length + 1);
    g_interrupt.notes = grown;
    g_interrupt.notesLength = static_cast<sig_atomic_t>(had + length);
  }
  free(note);
}

void ForgetNotes(void) { g_interrupt.notesLength = 0; }
