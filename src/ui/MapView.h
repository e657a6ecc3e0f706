// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include "survey/MapTree.h"
#include "ui/MapPicture.h"

namespace trelmark::ui {

// The drawing of the map: the tiles of one directory of a MapTree at the widget's size. Layout and
// painting run on a worker of its own; each resize or zoom starts a new job and stops the one before, and
// only the newest job's picture is shown. Until it arrives the previous picture is shown stretched.
// Hover outlines the tile under the pointer over the finished picture, without painting the map again.
//
// Owns its worker pool and the picture; shares the tree with running jobs. Thread: the GUI thread.
// Errors: none; an empty tree shows an empty map.
class MapView final : public QWidget {
    Q_OBJECT
public:
    explicit MapView(std::shared_ptr<const survey::MapTree> tree, QWidget* parent = nullptr);
    ~MapView() override;

    [[nodiscard]] const survey::MapTree& tree() const noexcept { return *m_tree; }
    // The directory the map shows.
    [[nodiscard]] std::uint32_t root() const noexcept { return m_root; }
    void setRoot(std::uint32_t root);
    // The picture on screen is the newest one asked for (tests wait for this).
    [[nodiscard]] bool current() const noexcept {
        return m_shownGeneration == m_generation && !m_relayout.isActive();
    }
    [[nodiscard]] const MapPicture& picture() const noexcept { return m_picture; }

    QSize sizeHint() const override;

signals:
    // The tile under the pointer changed; node is kNone when it left every tile.
    void hovered(std::uint32_t node, survey::TreemapLayout::Kind kind);
    void clicked(std::uint32_t node);
    void doubleClicked(std::uint32_t node);
    void pictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void startLayout();
    void accept(std::uint64_t generation, MapPicture picture);
    void hover(const survey::TreemapLayout::Tile* tile);

    std::shared_ptr<const survey::MapTree> m_tree;
    std::uint32_t m_root = survey::MapTree::kRoot;
    QThreadPool m_pool;
    QTimer m_relayout;
    std::uint64_t m_generation = 0;
    std::uint64_t m_shownGeneration = 0;
    std::shared_ptr<std::atomic<bool>> m_stop;  // of the newest job
    MapPicture m_picture;
    const survey::TreemapLayout::Tile* m_hovered = nullptr;
};

}  // namespace trelmark::ui
