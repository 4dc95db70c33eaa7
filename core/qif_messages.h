// The texts the program says, in one place so every front end uses the
// same words. The page reads them from its module by name
// (web/kestrom_wasm.cpp).
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
// Under "Unable to load file", after a file's name or "This": the byte, as
// 0x%02X, and its line, as %d.
#define MSG_HOLDS_BINARY_DATA                                                  \
  "is not a QIF file: it holds binary data (byte 0x%02X on line %d)."
#define MSG_BINARY_DATA "This " MSG_HOLDS_BINARY_DATA
// Under "Unable to Save file": the first line the dialog would convert
// otherwise than kestrom-cli and the page, as %d.
#define MSG_NOT_AS_THE_BANK_WRITES                                             \
  "Line %d is not written the way the bank writes its exports, so this "       \
  "program cannot convert the file correctly. kestrom.html and kestrom-cli "   \
  "convert this file."
#define MSG_NO_ROOM_TO_CHECK                                                   \
  "There is not enough memory to check this file before converting it."

// A file with no QIF header and no record end, after its name or "This".
#define MSG_IS_NOT_QIF                                                         \
  "is not a QIF file: no line holds a header such as !Type:Bank or ends a "    \
  "record with ^."

// The dialog given several files, and the page given several dropped.
#define MSG_ONE_FILE_AT_A_TIME "converts one file at a time"
#define MSG_START_WITH_ONE_FILE                                                \
  KESTROM_CAPTION " " MSG_ONE_FILE_AT_A_TIME                                   \
                  ": start it with a single file.\n\nTo convert several "      \
                  "files at once, use kestrom-cli."

// Below "Unable to Save file", when a write in place failed part-way and
// the old bytes could not be written back either; the path follows.
#define MSG_NOT_PUT_BACK                                                       \
  "The file could not be put back as it was: part of it may already be "       \
  "converted."
#define MSG_ORIGINAL_KEPT_IN "Its original content is kept in "
// When a failed replace left nothing under the file's name; the path of
// the temporary file follows.
#define MSG_CONVERTED_KEPT_AS                                                  \
  "Nothing is left under the file's name: the converted file is kept as "

#endif
