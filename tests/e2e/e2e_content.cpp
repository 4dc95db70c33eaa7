// Input files and their conversions, both written by hand: the expected
// bytes never come from the converter under test.
#include "e2e_scenarios.h"

// Month-first dates with CR LF line ends, a byte above 0x7F, a year after
// an apostrophe and no line end after the last record.
const char kMonthFirst[] = "!Type:Bank\r\n"
                           "D12/25/99\r\n"
                           "T-45.20\r\n"
                           "PCorner Store\r\n"
                           "MGroceries\r\n"
                           "^\r\n"
                           "D01/02'00\r\n"
                           "T100.00\r\n"
                           "PCaf\xE9 Fleur\r\n"
                           "LDining\r\n"
                           "^";
const char kMonthFirstConverted[] = "!Type:Bank\r\n"
                                    "D25/12/99\r\n"
                                    "T-45.20\r\n"
                                    "MCorner Store\r\n"
                                    "PGroceries\r\n"
                                    "^\r\n"
                                    "D02/01'00\r\n"
                                    "T100.00\r\n"
                                    "MCaf\xE9 Fleur\r\n"
                                    "LDining\r\n"
                                    "^";

// Day-first already: the question comes at the second date, after the
// first was exchanged; the third date's month 13 must not ask again.
const char kDayFirst[] = "!Type:Bank\n"
                         "D05/03/99\n"
                         "PCorner Store\n"
                         "^\n"
                         "D25/03/99\n"
                         "MRent\n"
                         "^\n"
                         "D13/04/99\n"
                         "^\n";
const char kDayFirstConverted[] = "!Type:Bank\n"
                                  "D03/05/99\n"
                                  "MCorner Store\n"
                                  "^\n"
                                  "D03/25/99\n"
                                  "PRent\n"
                                  "^\n"
                                  "D04/13/99\n"
                                  "^\n";

const char kQuestionText[] = "This file looks like it already has dates in "
                             "normal order.\n\nAre you sure you want to "
                             "convert it?";

std::string Bytes(const char *text) { return text; }
