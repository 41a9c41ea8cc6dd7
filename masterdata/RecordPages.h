// The records of a maintenance list, read a page at a time as the grid reaches them: a
// table of 100,000 products opens at once, and only the pages looked at are held.
#pragma once

#include "masterdata/TableEditor.h"

#include <map>
#include <vector>

class RecordPages {
public:
    static constexpr int PageSize = 200;
    static constexpr int PagesKept = 50;

    explicit RecordPages(TableEditor& editor) : m_editor(editor) {}

    // Counts the list again and forgets the pages read. Throws db::Error.
    void reload();
    int size() const { return m_size; }
    // The record at a row, its page read when needed. A row the list no longer has (another
    // till deleted records since the count) is an empty record. Throws db::Error.
    const RecordValues& at(int row);
    // The row of the record with the key; -1 when the list has none. Throws db::Error.
    int rowOf(const QString& key) { return m_editor.rowOf(key); }

private:
    TableEditor& m_editor;
    int m_size = 0;
    std::map<int, std::vector<RecordValues>> m_pages;  // by page number
};
