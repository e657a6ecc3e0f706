// SPDX-License-Identifier: MIT
#include "ui/DirectoryList.h"

#include <QKeyEvent>

#include "fs/DirectoryListing.h"
#include "ui/DriveCatalog.h"
#include "ui/IndentDelegate.h"
#include "ui/NameListModel.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"

namespace trelmark::ui {

namespace {

constexpr int kIndent = 8;

}  // namespace

DirectoryList::DirectoryList(DriveCatalog& drives, QWidget* parent)
    : QListView(parent), m_drives(drives), m_model(new NameListModel(this)) {
    setModel(m_model);
    setItemDelegate(new IndentDelegate(kIndent, this));
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(this, &QListView::doubleClicked, this, &DirectoryList::openRow);
    open(processDirectory());
}

QString DirectoryList::Path() const {
    return toDisplay(m_path);
}

bool DirectoryList::assignPath(const QString& value) {
    const int drive = m_drives.indexOfValue(value.toStdString());
    if (drive >= 0) {
        // A drive's remembered directory may have gone since; its mount point is the way back.
        return open(m_drives.currentDirectory(drive)) || open(m_drives.drives()[drive].mountPoint);
    }
    return open(toRaw(value));
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        openRow(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}

bool DirectoryList::open(const std::string& raw) {
    const auto directory = canonicalDirectory(raw);
    if (!directory) {
        return false;
    }
    if (*directory == m_path) {
        return true;
    }
    m_path = *directory;
    m_drives.remember(m_path);
    fill();
    emit PathChanged();
    return true;
}

void DirectoryList::openRow(const QModelIndex& index) {
    if (index.isValid()) {
        open(m_model->item(index.row()).rawPath);
    }
}

void DirectoryList::fill() {
    std::vector<NameListModel::Item> items;
    items.push_back({QStringLiteral("/"), 0, NameListModel::Icon::OpenFolder, "/"});
    std::string ancestor;
    std::size_t start = 1;
    while (start < m_path.size()) {
        const auto slash = m_path.find('/', start);
        const auto end = slash == std::string::npos ? m_path.size() : slash;
        ancestor = m_path.substr(0, end);
        items.push_back({toDisplay(m_path.substr(start, end - start)), static_cast<int>(items.size()),
                         NameListModel::Icon::OpenFolder, ancestor});
        start = end + 1;
    }
    const int current = static_cast<int>(items.size()) - 1;
    const std::string prefix = m_path == "/" ? m_path : m_path + "/";
    if (const auto listing = fs::DirectoryListing::read(m_path)) {
        for (std::string& name : listing->names(fs::EntryKind::Directory)) {
            items.push_back({toDisplay(name), current + 1, NameListModel::Icon::ClosedFolder, prefix + name});
        }
    }
    m_model->setItems(std::move(items));
    setCurrentIndex(m_model->index(current));
    scrollTo(currentIndex());
}

}  // namespace trelmark::ui
