// SPDX-License-Identifier: MIT
#include "ui/DirectoryList.h"

#include <QKeyEvent>

#include "ui/DriveCatalog.h"
#include "ui/IndentDelegate.h"
#include "ui/LateAnswers.h"
#include "ui/NameListModel.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"
#include "util/PathHelpers.h"

namespace trelmark::ui {

namespace {

constexpr int kIndent = 8;

}  // namespace

DirectoryList::DirectoryList(DriveCatalog& drives, QWidget* parent)
    : QListView(parent), m_drives(drives), m_model(new NameListModel(this)), m_late(new LateAnswers(this)) {
    setModel(m_model);
    setItemDelegate(new IndentDelegate(kIndent, this));
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(this, &QListView::doubleClicked, this, &DirectoryList::openRow);
    open({processDirectory()});
}

QString DirectoryList::Path() const {
    return toDisplay(m_path);
}

bool DirectoryList::assignPath(const QString& value) {
    const int drive = m_drives.indexOfValue(value.toStdString());
    if (drive >= 0) {
        // A drive's remembered directory may have gone since; its mount point is the way back.
        return open({m_drives.currentDirectory(drive), m_drives.drives()[drive].mountPoint});
    }
    return open({toRaw(value)});
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        openRow(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}

bool DirectoryList::open(std::vector<std::string> candidates) {
    if (candidates.front().empty()) {
        return false;
    }
    const std::uint64_t request = m_requests.issue();
    const std::string spelled = util::normalizePosixPath(candidates.front(), processDirectory());
    // While waiting the list shows no listing, so even its own path is read again.
    const std::string shown = m_requests.waiting() ? std::string() : m_path;
    auto answer = m_late->ask<Answer>(
        spelled,
        [lookups = m_lookups, candidates = std::move(candidates), shown] {
            return lookups->openDirectory(candidates, fs::EntryKind::Directory, shown);
        },
        [this, request](Answer late) { answerLate(request, std::move(late)); });
    if (!answer) {
        wait(request, spelled);
        return true;
    }
    return *answer && show(request, std::move(**answer));
}

bool DirectoryList::show(std::uint64_t request, PathLookups::Directory directory) {
    m_requests.follow(request);
    if (!directory.listed) {
        return true;  // the list shows that directory already
    }
    if (m_requests.waiting()) {
        static_cast<void>(m_requests.stopWaiting());
    }
    std::vector<NameListModel::Item> items = ancestors(directory.path);
    const int current = static_cast<int>(items.size()) - 1;
    const std::string prefix = directory.path == "/" ? directory.path : directory.path + "/";
    for (std::string& name : directory.names) {
        items.push_back({toDisplay(name), current + 1, NameListModel::Icon::ClosedFolder, prefix + name});
    }
    moveTo(directory.path, std::move(items), current);
    return true;
}

void DirectoryList::wait(std::uint64_t request, const std::string& path) {
    m_requests.follow(request);
    m_requests.startWaiting({m_path, m_model->items(), currentIndex().row()});
    std::vector<NameListModel::Item> items = ancestors(path);
    const int current = static_cast<int>(items.size()) - 1;
    items.push_back({QString::fromUtf8(kNoAnswer), current + 1, NameListModel::Icon::None, {}});
    moveTo(path, std::move(items), current);
}

void DirectoryList::answerLate(std::uint64_t request, Answer answer) {
    m_requests.takeLate(
        request, std::move(answer),
        [this](std::uint64_t taken, auto listing) { show(taken, std::move(listing)); },
        [this](ListingRequests::Shown before) {
            m_path = std::move(before.path);
            m_model->setItems(std::move(before.items));
            setCurrentIndex(m_model->index(before.current));
            scrollTo(currentIndex());
        });
}

// The one place where the path and the rows change together: PathChanged only when the path moved.
void DirectoryList::moveTo(const std::string& path, std::vector<NameListModel::Item> items, int current) {
    const bool moved = path != m_path;
    m_path = path;
    m_drives.remember(m_path);
    m_model->setItems(std::move(items));
    setCurrentIndex(m_model->index(current));
    scrollTo(currentIndex());
    if (moved) {
        emit PathChanged();
    }
}

void DirectoryList::openRow(const QModelIndex& index) {
    if (index.isValid() && !m_model->item(index.row()).rawPath.empty()) {
        open({m_model->item(index.row()).rawPath});
    }
}

std::vector<NameListModel::Item> DirectoryList::ancestors(const std::string& path) {
    std::vector<NameListModel::Item> items;
    items.push_back({QStringLiteral("/"), 0, NameListModel::Icon::OpenFolder, "/"});
    std::size_t start = 1;
    while (start < path.size()) {
        const auto slash = path.find('/', start);
        const auto end = slash == std::string::npos ? path.size() : slash;
        items.push_back({toDisplay(path.substr(start, end - start)), static_cast<int>(items.size()),
                         NameListModel::Icon::OpenFolder, path.substr(0, end)});
        start = end + 1;
    }
    return items;
}

}  // namespace trelmark::ui
