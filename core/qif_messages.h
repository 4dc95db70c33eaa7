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
// Under "Unable to load file": the byte, as 0x%02X, and its line, as %d.
#define MSG_BINARY_DATA                                                        \
  "This is not a QIF file: it holds binary data (byte 0x%02X on line %d)."
// Under "Unable to Save file": the first line the dialog would convert
// otherwise than kestrom-cli and the page, as %d.
#define MSG_NOT_AS_THE_BANK_WRITES                                             \
  "Line %d is not written the way the bank writes its exports, so this "       \
  "program cannot convert the file correctly. kestrom.html and kestrom-cli "   \
  "convert this file."
#define MSG_NO_ROOM_TO_CHECK                                                   \
  "There is not enough memory to check this file before converting it."

#endif
