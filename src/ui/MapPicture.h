// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

#include "survey/MapTree.h"
#include "survey/TreemapLayout.h"

namespace trelmark::ui {

// One finished picture of the map: the tiles of a layout and the image they were painted into.
// Made on a worker thread, then handed to the window's thread and only read there.
struct MapPicture {
    std::uint32_t root = survey::MapTree::kRoot;
    QSize size;  // in device-independent pixels
    std::vector<survey::TreemapLayout::Tile> tiles;
    QImage image;

    // Lays out `root` of `tree` at `size` and paints it, names in `font`. Any thread; returns early (with
    // part of the picture) when `stop` turns true.
    [[nodiscard]] static MapPicture make(const survey::MapTree& tree, std::uint32_t root, QSize size,
                                         qreal pixelRatio, const QFont& font, const std::atomic<bool>* stop);

    // The deepest tile under a point, or nullptr.
    [[nodiscard]] const survey::TreemapLayout::Tile* tileAt(QPointF point) const;

    // The fill of a directory at `depth` below the map's root, and of its own files: mid-tone hues that
    // read on light and dark themes alike.
    [[nodiscard]] static QColor directoryColor(std::uint32_t depth);
    [[nodiscard]] static QColor filesColor(std::uint32_t depth);
    // Black or white, whichever stands out more against `fill`.
    [[nodiscard]] static QColor textColor(const QColor& fill);
};

}  // namespace trelmark::ui
