// Splitting a path into its folder and its name, and tidying a final path.
// Pure text work: the file system is not asked.
#pragma once

enum { kPathBufferSize = 260 };

// Cuts path down in place to its directory part and copies the file-name
// part, with its NUL, into name (at least kPathBufferSize bytes). The
// separators are ':' and '\'; a directory part keeps its trailing '\' only
// where dropping it would change its meaning (C:\, \\, .\ and the like).
void SplitPath(char *path, char *name);

// Drops the \\?\ prefix from a final path: \\?\C:\x becomes C:\x, and
// \\?\UNC\server\share becomes \\server\share.
void DropLongPathPrefix(char *path);
