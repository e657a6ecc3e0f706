// SPDX-License-Identifier: MIT
#include "ui/FileList.h"

#include "fs/DirectoryListing.h"
#include "ui/NameListModel.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"

namespace trelmark::ui {

FileList::FileList(QWidget* parent) : QListView(parent), m_model(new NameListModel(this)) {
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    open(processDirectory());
}

QString FileList::Path() const {
    return toDisplay(m_path);
}

bool FileList::assignPath(const QString& value) {
    return open(toRaw(value));
}

bool FileList::open(const std::string& raw) {
    const auto directory = canonicalDirectory(raw);
    if (!directory) {
        return false;
    }
    if (*directory == m_path) {
        return true;
    }
    m_path = *directory;
    std::vector<NameListModel::Item> items;
    const std::string prefix = m_path == "/" ? m_path : m_path + "/";
    if (const auto listing = fs::DirectoryListing::read(m_path)) {
        for (std::string& name : listing->names(fs::EntryKind::File)) {
            items.push_back({toDisplay(name), 0, NameListModel::Icon::None, prefix + name});
        }
    }
    m_model->setItems(std::move(items));
    emit PathChanged();
    return true;
}

}  // namespace trelmark::ui
