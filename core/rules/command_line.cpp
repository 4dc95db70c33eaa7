#include "command_line.h"

namespace {

struct Output {
  char *arg;
  int size;
  int length;
};

void Put(Output *out, char c, int count) {
  for (int i = 0; i < count; ++i, ++out->length)
    if (out->arg && out->length < out->size - 1)
      out->arg[out->length] = c;
}

int IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

int NextArgument(const char **line, char *arg, int size) {
  const char *p = *line;
  while (IsBlank(*p))
    ++p;
  int none = !*p;
  Output out = {arg, size, 0};
  int quoted = 0;
  while (*p && (quoted || !IsBlank(*p))) {
    if (*p == '\\') {
      int backslashes = 0;
      for (; *p == '\\'; ++p)
        ++backslashes;
      int beforeQuote = *p == '"';
      Put(&out, '\\', beforeQuote ? backslashes / 2 : backslashes);
      if (beforeQuote && backslashes % 2) {
        Put(&out, '"', 1);
        ++p;
      }
    } else if (*p == '"' && quoted && p[1] == '"') {
      Put(&out, '"', 1);
      p += 2;
    } else if (*p == '"') {
      quoted = !quoted;
      ++p;
    } else {
      Put(&out, *p++, 1);
    }
  }
  // A cut name could be another existing file: give none instead.
  if (arg && size > 0)
    arg[out.length < size ? out.length : 0] = '\0';
  *line = p;
  return none ? -1 : out.length;
}

int FirstArgument(const char *line, char *first, int size) {
  if (NextArgument(&line, first, size) < 0)
    return 0;
  return NextArgument(&line, nullptr, 0) < 0 ? 1 : 2;
}
