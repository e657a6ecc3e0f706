// SPDX-License-Identifier: MIT
// The map of the last survey, as frmMain opens it.
#include <chrono>

#include <QDateTime>
#include <QMessageBox>
#include <QShortcut>

#include "survey/MapTree.h"
#include "survey/SurveyEngine.h"
#include "ui/DirectoryList.h"
#include "ui/KeptSurveys.h"
#include "ui/MapWindow.h"
#include "ui/frmMain.h"
#include "util/Version.h"

namespace trelmark::ui {

void frmMain::createMapShortcut() {
    // A key and no control: the window keeps its layout for whoever does not use the map.
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(shortcut, &QShortcut::activated, this, &frmMain::openMap);
    connect(this, &frmMain::mapRequested, this, &frmMain::openMap);
    // A block clicked on the map drills the grid down to its directory, from the same walk.
    connect(this, &frmMain::mapDirectoryActivated, this,
            [this](const QByteArray& path) { showFromWalk(path.toStdString()); });
}

MapWindow* frmMain::mapWindow() const noexcept {
    return m_map;
}

void frmMain::openMap() {
    if (m_engine->running()) {
        QMessageBox::information(this, QString::fromUtf8(util::kProgramTitle),
                                 QStringLiteral("調査が終わってからマップを開いてください。"));
        return;
    }
    const survey::KeptWalk* const kept = m_kept->opened() ? nullptr : m_engine->keptWalk();
    if (!m_lastMap && m_kept->opened()) {
        m_lastMap = m_kept->map();
    }
    if (!m_lastMap && kept != nullptr) {
        std::unique_ptr<fs::Folder> holder;
        if (fs::Folder* const root = kept->find(kept->path(), holder)) {
            if (auto tree = survey::MapTree::fromFolder(*root)) {
                m_lastMap = std::make_shared<const survey::MapTree>(std::move(tree.value()));
            }
        }
    }
    if (!m_lastMap) {
        QMessageBox::information(
            this, QString::fromUtf8(util::kProgramTitle),
            QStringLiteral("マップにする調査がまだありません。「チェック」で調査してから開いてください。"));
        return;
    }
    if (m_map) {
        m_map->close();
    }
    const QTime surveyedAt =
        kept != nullptr
            ? QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(kept->when())).time()
            : m_kept->surveyedAt().time();
    m_map = new MapWindow(m_lastMap, surveyedAt, this);
    connect(m_map, &MapWindow::directoryActivated, this,
            [this](const QByteArray& path) { emit mapDirectoryActivated(path); });
    m_map->show();
    m_map->raise();
    m_map->activateWindow();
}

}  // namespace trelmark::ui
