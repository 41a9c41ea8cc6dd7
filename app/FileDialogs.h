// The program's file dialogs: Qt's own dialog (so it looks and reads the same on every
// till), told never to open the files it lists.
#pragma once

class QFileDialog;

// Qt's dialog reads the start of every listed file to choose its icon and type. Opening and
// closing the shop's SQLite database that way drops the locks SQLite holds on the file
// (POSIX locks belong to the process, not to the handle): another program on the till may
// then remove the write-ahead log under the running program, whose later sales would reach
// no other program and be lost if it stopped. Icons and types here come from names alone.
void listFilesByNameOnly(QFileDialog& dialog);
