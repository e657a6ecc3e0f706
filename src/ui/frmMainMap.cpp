// The map of the last survey, as frmMain opens it.
#include <QMessageBox>
#include <QShortcut>

#include "survey/MapTree.h"
#include "ui/DirectoryList.h"
#include "ui/MapWindow.h"
#include "ui/frmMain.h"

namespace trelmark::ui {

void frmMain::createMapShortcut() {
    // A key and no control: the window looks as it always has for whoever does not use the map.
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(shortcut, &QShortcut::activated, this, &frmMain::openMap);
}

MapWindow* frmMain::mapWindow() const noexcept {
    return m_map;
}

void frmMain::retainSurvey() {
    if (m_lastSurvey || !m_state.fsoSystem) {
        return;
    }
    // The run holds its folder, so this lookup is answered from the run's own walk and shares it.
    auto folder = m_state.fsoSystem->GetFolder(m_dirData->rawPath());
    if (folder) {
        m_lastSurvey = std::move(folder.value());
        m_lastSurveyTime = QTime::currentTime();
    }
}

void frmMain::openMap() {
    if (m_state.flagRunning) {
        QMessageBox::information(this, m_caption,
                                 QStringLiteral("調査が終わってからマップを開いてください。"));
        return;
    }
    if (!m_lastMap && m_lastSurvey) {
        auto tree = survey::MapTree::fromFolder(*m_lastSurvey);
        if (tree) {
            m_lastMap = std::make_shared<const survey::MapTree>(std::move(tree.value()));
        }
    }
    if (!m_lastMap) {
        QMessageBox::information(
            this, m_caption,
            QStringLiteral("マップにする調査がまだありません。「チェック」で調査してから開いてください。"));
        return;
    }
    if (m_map) {
        m_map->close();
    }
    m_map = new MapWindow(m_lastMap, m_lastSurveyTime, this);
    connect(m_map, &MapWindow::directoryActivated, this,
            [this](const QByteArray& path) { emit mapDirectoryActivated(path); });
    m_map->show();
    m_map->raise();
    m_map->activateWindow();
}

}  // namespace trelmark::ui
