// The program's texts, in one place so that every front end says the same.
#pragma once

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
// The first date that no rule converts: its line (%d) and its text (%s).
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
// After a file's name or "This": the byte (0x%02X) and its line (%d).
#define MSG_BINARY_BYTE "it holds binary data (byte 0x%02X on line %d)"
#define MSG_HOLDS_BINARY_DATA "is not a QIF file: " MSG_BINARY_BYTE "."
#define MSG_BINARY_DATA "This " MSG_HOLDS_BINARY_DATA
#define MSG_NO_QIF_LINE                                                        \
  "no line holds a header such as !Type:Bank or ends a record with ^"

// The dialog given several files, and the page given several dropped.
#define MSG_ONE_FILE_AT_A_TIME "converts one file at a time"
#define MSG_START_WITH_ONE_FILE                                                \
  KESTROM_CAPTION " " MSG_ONE_FILE_AT_A_TIME                                   \
                  ": start it with a single file.\n\nTo convert several "      \
                  "files at once, use kestrom-cli."

// When a write in place failed part-way and the old bytes could not be
// written back either; the path follows.
#define MSG_NOT_PUT_BACK                                                       \
  "The file could not be put back as it was: part of it may already be "       \
  "converted."
#define MSG_ORIGINAL_KEPT_IN "Its original content is kept in "
// When a failed replace left nothing under the file's name; the path of
// the temporary file follows.
#define MSG_CONVERTED_KEPT_AS                                                  \
  "Nothing is left under the file's name: the converted file is kept as "

// kestrom-cli's own words, in the form "kestrom-cli: FILE: what happened:
// reason", in lower case, with no full stop.
#define CLI_CANNOT_OPEN "cannot open"
#define CLI_CANNOT_READ "cannot read"
#define CLI_CANNOT_WRITE "cannot write"
#define CLI_CANNOT_WRITE_OUTPUT "cannot write to standard output"
#define CLI_NOT_A_FILE "not a regular file"
#define CLI_IS_A_FOLDER "it is a folder"
#define CLI_NOT_ENCRYPTED                                                      \
  "it is encrypted, and its volume would not encrypt the replacement"
#define CLI_FILE_EMPTY "nothing to convert: the file is empty"
#define CLI_CHANGED "changed while it was being converted; nothing was written"
#define CLI_FOLDER_MOVED                                                       \
  "its folder was moved while it was being converted; nothing was written"
// The owner and group (%s), as CLI_OWNER_AND_GROUP gives them.
#define CLI_OWNER_NOT_KEPT                                                     \
  "cannot keep its owner %s, so it is left as it was (-o writes a converted "  \
  "copy)"
#define CLI_OWNER_AND_GROUP "%u and group %u"
#define CLI_ATTRIBUTE_NOT_KEPT "cannot keep the attribute %s"
// A note, for an attribute the user may not set.
#define CLI_ATTRIBUTE_LEFT_OUT "the attribute %s is not kept"
#define CLI_CANNOT_BACK_UP "cannot make the backup %s"
#define CLI_CANNOT_NAME_BACKUP "cannot name its backup"
#define CLI_BACKUP_IS_INPUT "it is the file being converted"
// Another FILE of the run that the backup would replace (%s).
#define CLI_BACKUP_IS_A_FILE "it would destroy %s, another FILE of this run"
// The backup (%s) is made under a new name, or over an older backup.
#define CLI_BACKUP_MADE "the backup %s is made"
#define CLI_BUT_NOT_FLUSHED                                                    \
  ", but its folder cannot be flushed to the disk, so the file is left as it " \
  "was"
#define CLI_BACKUP_NOT_FLUSHED CLI_BACKUP_MADE CLI_BUT_NOT_FLUSHED
#define CLI_BACKUP_OVER_OLDER_NOT_FLUSHED                                      \
  CLI_BACKUP_MADE " in place of the older one" CLI_BUT_NOT_FLUSHED
#define CLI_NOT_FLUSHED                                                        \
  "converted, but its folder cannot be flushed to the disk"
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
// What made the dates look day-first (%s): "month 25", "!Option:DMY".
#define CLI_DAY_FIRST "its dates look day-first already (%s)"
// How many dates (%d), and an "s" or nothing (%s).
#define CLI_HALF_CONVERTED                                                     \
  "%d date%s that no rule converts would leave it half converted"
