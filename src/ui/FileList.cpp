// SPDX-License-Identifier: MIT
#include "ui/FileList.h"

#include "ui/LateAnswers.h"
#include "ui/NameListModel.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"
#include "util/PathHelpers.h"

namespace trelmark::ui {

FileList::FileList(QWidget* parent)
    : QListView(parent), m_model(new NameListModel(this)), m_late(new LateAnswers(this)) {
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
    if (raw.empty()) {
        return false;
    }
    const std::uint64_t request = m_requests.issue();
    const std::string spelled = util::normalizePosixPath(raw, processDirectory());
    const std::string shown = m_requests.waiting() ? std::string() : m_path;
    auto answer = m_late->ask<Answer>(
        spelled,
        [lookups = m_lookups, raw, shown] {
            return lookups->openDirectory({raw}, fs::EntryKind::File, shown);
        },
        [this, request](Answer late) { answerLate(request, std::move(late)); });
    if (answer && !*answer) {
        return false;
    }
    if (answer) {
        show(request, std::move(**answer));
        return true;
    }
    m_requests.follow(request);
    m_requests.startWaiting({m_path, m_model->items(), -1});
    moveTo(spelled, {{QString::fromUtf8(kNoAnswer), 0, NameListModel::Icon::None, {}}});
    return true;
}

void FileList::show(std::uint64_t request, PathLookups::Directory directory) {
    m_requests.follow(request);
    if (!directory.listed) {
        return;  // the list shows that directory already
    }
    if (m_requests.waiting()) {
        static_cast<void>(m_requests.stopWaiting());
    }
    std::vector<NameListModel::Item> items;
    const std::string prefix = directory.path == "/" ? directory.path : directory.path + "/";
    for (std::string& name : directory.names) {
        items.push_back({toDisplay(name), 0, NameListModel::Icon::None, prefix + name});
    }
    moveTo(directory.path, std::move(items));
}

void FileList::answerLate(std::uint64_t request, Answer answer) {
    m_requests.takeLate(
        request, std::move(answer),
        [this](std::uint64_t taken, auto listing) { show(taken, std::move(listing)); },
        [this](ListingRequests::Shown before) {
            m_path = std::move(before.path);
            m_model->setItems(std::move(before.items));
        });
}

void FileList::moveTo(const std::string& path, std::vector<NameListModel::Item> items) {
    const bool moved = path != m_path;
    m_path = path;
    m_model->setItems(std::move(items));
    if (moved) {
        emit PathChanged();
    }
}

}  // namespace trelmark::ui
