// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QTime>
#include <QWidget>

#include "survey/MapTree.h"
#include "survey/TreemapLayout.h"

class QLabel;
class QPushButton;

namespace trelmark::ui {

class MapView;

// The map of the last survey, a window of its own: the squarified treemap of the walked directories with
// a button and a key (Backspace, Alt+Up) to go back up after a zoom, the path it shows, and a line that
// describes the block under the pointer. A click on a block announces its directory; a double-click zooms
// the map into it.
//
// Owns its controls; shares the tree. Thread: the GUI thread. Errors: none; a tree of one empty directory
// shows an empty map.
class MapWindow final : public QWidget {
    Q_OBJECT
public:
    // `surveyedAt` is when the walk behind `tree` ended, for the title.
    MapWindow(std::shared_ptr<const survey::MapTree> tree, QTime surveyedAt, QWidget* parent = nullptr);

    [[nodiscard]] MapView* view() const noexcept { return m_view; }
    [[nodiscard]] QPushButton* upButton() const noexcept { return m_up; }
    [[nodiscard]] QLabel* hoverLabel() const noexcept { return m_hover; }
    [[nodiscard]] QLabel* pathLabel() const noexcept { return m_path; }

    // What the hover line says of a directory's block, or of the block of its own files.
    [[nodiscard]] static QString describe(const survey::MapTree& tree, std::uint32_t node,
                                          survey::TreemapLayout::Kind kind);

public slots:
    // Zooms into a directory of the tree; one that is not there is ignored.
    void zoomTo(std::uint32_t node);
    // Back to the parent of the directory shown, while there is one.
    void zoomOut();

signals:
    // A block was clicked: the directory it belongs to, by raw path and by index in the tree.
    void directoryActivated(const QByteArray& path, std::uint32_t node);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Closes along with the window that opened it, which would otherwise stay running for this one.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRoot();

    std::shared_ptr<const survey::MapTree> m_tree;
    QTime m_surveyedAt;
    MapView* m_view = nullptr;
    QPushButton* m_up = nullptr;
    QLabel* m_path = nullptr;
    QLabel* m_hover = nullptr;
};

}  // namespace trelmark::ui
