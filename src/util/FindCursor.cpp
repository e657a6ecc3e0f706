// SPDX-License-Identifier: MIT
#include "util/FindCursor.h"

#include "util/Cp932.h"

namespace trelmark::util {

namespace {

std::string nameOf(const FindRecord& record) {
    std::string name;
    AnsiBytesToString(name, record.cFileName, FindRecord::kNameBytes);
    return name;
}

}  // namespace

std::string FindCursor::FindFileName(std::string_view commandOrPattern) {
    if (commandOrPattern == "/") {
        m_handleFind = -1;
        return {};
    }
    if (commandOrPattern == "|") {
        closeSearch();
        return {};
    }
    FindRecord record;
    if (commandOrPattern.empty()) {
        return m_handles.findNext(m_handleFind, record) ? nameOf(record) : std::string();
    }
    closeSearch();
    const std::int32_t handle = m_handles.findFirst(commandOrPattern, record);
    if (handle == -1) {
        return {};
    }
    m_handleFind = handle;
    return nameOf(record);
}

void FindCursor::closeSearch() {
    if (m_handleFind != -1) {
        m_handles.findClose(m_handleFind);
        m_handleFind = -1;
    }
}

}  // namespace trelmark::util
