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
#define MSG_ARE_YOU_SURE "\n\nAre you sure you want to convert it?"
#define MSG_CONFIRM_CONVERSION MSG_ALREADY_DAY_FIRST MSG_ARE_YOU_SURE
// The first date that no rule converts: its line, as %d, and its text, as
// %s.
#define MSG_ASK_LEFT_ALONE                                                     \
  "Line %d holds a date that this program does not convert: %s\n\nThe "        \
  "other dates are converted, and dates like this one stay as they "           \
  "are." MSG_ARE_YOU_SURE
#define MSG_ASK_NO_QIF_MARK                                                    \
  "This file has no line such as !Type:Bank and no ^, so it may not be a "     \
  "QIF file." MSG_ARE_YOU_SURE
// After a count of dates such as D2007-01-22 and D20070122.
#define MSG_YEAR_FIRST_ONE "date is year-first and stays as it is"
#define MSG_YEAR_FIRST_MANY "dates are year-first and stay as they are"
// Under "Unable to load file", after a file's name or "This": the byte, as
// 0x%02X, and its line, as %d.
#define MSG_BINARY_BYTE "it holds binary data (byte 0x%02X on line %d)"
#define MSG_HOLDS_BINARY_DATA "is not a QIF file: " MSG_BINARY_BYTE "."
#define MSG_BINARY_DATA "This " MSG_HOLDS_BINARY_DATA
// Why a file with no QIF header and no record end may be no QIF file.
#define MSG_NO_QIF_LINE                                                        \
  "no line holds a header such as !Type:Bank or ends a record with ^"

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

// kestrom-cli's own words, in the form other command-line tools use:
// "kestrom-cli: FILE: what happened: reason", in lower case, with no full
// stop. The reason is most often the system's own words.
#define CLI_CANNOT_OPEN "cannot open"
#define CLI_CANNOT_READ "cannot read"
#define CLI_CANNOT_WRITE "cannot write"
#define CLI_NOT_A_FILE "not a regular file"
#define CLI_FILE_EMPTY "nothing to convert: the file is empty"
#define CLI_CHANGED "changed while it was being converted; nothing was written"
#define CLI_FOLDER_MOVED                                                       \
  "its folder was moved while it was being converted; nothing was written"
// The owner and group, as %u and %u.
#define CLI_OWNER_NOT_KEPT                                                     \
  "cannot keep its owner %u and group %u, so it is left as it was (-o "        \
  "writes a converted copy)"
// The attribute's name, as %s.
#define CLI_ATTRIBUTE_NOT_KEPT "cannot keep the attribute %s"
// The backup's name, as %s.
#define CLI_CANNOT_BACK_UP "cannot make the backup %s"
#define CLI_CANNOT_NAME_BACKUP "cannot name its backup"
#define CLI_BACKUP_IS_INPUT "it is the file being converted"
// The temporary file's name, as %s.
#define CLI_CONVERTED_KEPT_AS                                                  \
  "cannot write, and nothing is left under its name: the converted file is "   \
  "kept as %s"

// Why a file is refused, and what --yes does about it: it answers every
// question, but a file with binary data is never converted.
#define CLI_NOT_CONVERTED "not converted"
#define CLI_WOULD_NOT_CONVERT "would not convert"
#define CLI_REFUSED CLI_NOT_CONVERTED " without --yes"
#define CLI_WOULD_BE_REFUSED CLI_WOULD_NOT_CONVERT " without --yes"
#define CLI_CONVERTED_ANYWAY "converted as --yes was given"
#define CLI_WOULD_CONVERT_ANYWAY "would convert as --yes was given"
#define CLI_NOT_QIF "not a QIF file: " MSG_NO_QIF_LINE
#define CLI_BINARY_DATA "not a QIF file: " MSG_BINARY_BYTE
// What made the dates look day-first ("month 25", "!Option:DMY"), as %s.
#define CLI_DAY_FIRST "its dates look day-first already (%s)"
// How many dates, as %d, and an "s" or nothing, as %s.
#define CLI_HALF_CONVERTED                                                     \
  "%d date%s that no rule converts would leave it half converted"

#endif
