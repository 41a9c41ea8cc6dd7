#include "masterdata/RecordPages.h"

#include <cstdlib>

void RecordPages::reload() {
    m_pages.clear();
    m_size = m_editor.count();
}

const RecordValues& RecordPages::at(int row) {
    static const RecordValues none;
    if (row < 0 || row >= m_size) return none;
    const int page = row / PageSize;
    auto it = m_pages.find(page);
    if (it == m_pages.end()) {
        // The page farthest from the one wanted goes first: scrolling back stays cheap.
        while (int(m_pages.size()) >= PagesKept) {
            auto farthest = std::abs(m_pages.begin()->first - page) > std::abs(m_pages.rbegin()->first - page)
                                ? m_pages.begin()
                                : std::prev(m_pages.end());
            m_pages.erase(farthest);
        }
        it = m_pages.emplace(page, m_editor.loadPage(page * PageSize, PageSize)).first;
    }
    const size_t inPage = size_t(row % PageSize);
    return inPage < it->second.size() ? it->second[inPage] : none;
}
