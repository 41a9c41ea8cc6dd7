// Damaging an SQLite file the way a failing disk does, for tests of what the program
// refuses to use.
#pragma once

#include <QString>

// Overwrites the first page of `table`'s b-tree with zeros. The file must not be open.
// Returns false when the table or the file could not be found.
bool zeroTablePage(const QString& path, const char* table);

// A file's bytes, to show that a refused command left it exactly as it was.
QByteArray fileBytes(const QString& path);
