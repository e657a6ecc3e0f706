// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "survey/MapTree.h"

namespace trelmark::survey {

// The squarified treemap of a MapTree: each directory a rectangle whose area is its size, holding one
// rectangle per sub-directory and one for its own files, laid out in rows that keep them close to square.
// Owns nothing but its settings. Thread: any; one layout reads the tree only. Errors: none; sizes of 0 get
// no rectangle, and a layout asked to stop returns what it has so far.
class TreemapLayout {
public:
    struct Rect {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
    };
    enum class Kind : std::uint8_t { Directory, OwnFiles };
    struct Tile {
        Rect rect;
        std::uint32_t node;   // the directory; for OwnFiles the one whose files these are
        std::uint32_t depth;  // below the laid-out root
        Kind kind;
    };

    struct Settings {
        // Rectangles with a side shorter than this are not made: their area stays part of the parent's and
        // shows in its colour. Also ends the descent, so the cost follows the picture, not the tree.
        double minSide = 0;
        // Each directory's children lie this far inside its edges, so that its frame shows.
        double inset = 0;
        // A strip this tall at the top of a directory is kept for its name, where the rectangle is at least
        // three strips tall and four wide.
        double labelHeight = 0;
    };

    explicit TreemapLayout(Settings settings) : m_settings(settings) {}

    // Tiles of `root` and everything below it within `bounds`, parents before their children. `stop`, when
    // given, is polled now and then; once it reads true, the tiles made so far are returned.
    [[nodiscard]] std::vector<Tile> layout(const MapTree& tree, std::uint32_t root, Rect bounds,
                                           const std::atomic<bool>* stop = nullptr) const;

    // The strip kept for a directory's name inside `rect`, or an empty rectangle.
    [[nodiscard]] Rect labelStrip(Rect rect) const;

private:
    struct Item {
        double size;
        std::uint32_t node;
        Kind kind;
    };
    // Where a directory's children go inside its rectangle: within the inset, below the label strip; none
    // when that is smaller than the smallest side.
    [[nodiscard]] std::optional<Rect> innerRect(Rect rect) const;
    // The blocks of a directory with bytes, largest first (its own files as one): their sizes' sum.
    static double collectItems(const MapTree& tree, std::uint32_t parent, std::vector<Item>& items);
    // Lays `items` (largest first) into `area`, in rows along its shorter side, appending each rectangle.
    static void squarify(const std::vector<Item>& items, double total, Rect area, double minSide,
                         std::vector<std::pair<Item, Rect>>& placed);

    Settings m_settings;
};

}  // namespace trelmark::survey
