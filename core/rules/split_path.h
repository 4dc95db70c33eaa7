// Dividing a full path into the folder the Save As dialog starts in and the
// name the main dialog shows, and tidying the final path the system gives
// for a file. Pure text work: the file system is not asked.
#ifndef KESTROM_CORE_SPLIT_PATH_H
#define KESTROM_CORE_SPLIT_PATH_H

enum { kPathBufferSize = 260 };

// Cuts path down in place to its directory part and copies the file-name
// part, with its NUL, into name (at least kPathBufferSize bytes). The
// separators are ':' and '\'; a directory part keeps its trailing '\' only
// where dropping it would change its meaning (C:\, \\, .\ and the like).
void SplitPath(char *path, char *name);

// Drops the \\?\ prefix from a final path as the system reports it (for a
// file found through a link): \\?\C:\x becomes C:\x, and
// \\?\UNC\server\share becomes \\server\share.
void DropLongPathPrefix(char *path);

#endif
