// The texts the program says, in one place so every front end uses the
// same words.
#ifndef KESTROM_CORE_QIF_MESSAGES_H
#define KESTROM_CORE_QIF_MESSAGES_H

#define KESTROM_CAPTION "Kestrom"
#define SAVE_CAPTION "Save"
#define MSG_UNABLE_TO_OPEN "Unable to open file"
#define MSG_FILE_EMPTY "The file is empty"
#define MSG_UNABLE_TO_LOAD "Unable to load file"
#define MSG_UNABLE_TO_SAVE "Unable to Save file"
#define MSG_ALREADY_DAY_FIRST                                                  \
  "This file looks like it already has dates in normal order."
#define MSG_CONFIRM_CONVERSION                                                 \
  MSG_ALREADY_DAY_FIRST "\n\nAre you sure you want to convert it?"

#endif
