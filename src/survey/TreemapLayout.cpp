// SPDX-License-Identifier: MIT
#include "survey/TreemapLayout.h"

#include <algorithm>
#include <utility>

namespace trelmark::survey {

namespace {

// The worse of the longest-to-shortest side ratios in a row of areas between `smallest` and `largest`,
// summing to `rowArea`, laid along a side of length `side`.
double worstRatio(double rowArea, double largest, double smallest, double side) {
    const double sideSquared = side * side;
    const double rowSquared = rowArea * rowArea;
    return std::max(sideSquared * largest / rowSquared, rowSquared / (sideSquared * smallest));
}

}  // namespace

TreemapLayout::Rect TreemapLayout::labelStrip(Rect rect) const {
    const double strip = m_settings.labelHeight;
    if (strip <= 0 || rect.height < 3 * strip || rect.width < 4 * strip) {
        return {};
    }
    return {rect.x, rect.y, rect.width, strip};
}

std::vector<TreemapLayout::Tile> TreemapLayout::layout(const MapTree& tree, std::uint32_t root, Rect bounds,
                                                       const std::atomic<bool>* stop) const {
    std::vector<Tile> tiles;
    if (root >= tree.size() || !(bounds.width > 0) || !(bounds.height > 0) ||
        bounds.width < m_settings.minSide || bounds.height < m_settings.minSide) {
        return tiles;
    }
    struct Pending {
        std::uint32_t node;
        Rect rect;
        std::uint32_t depth;
    };
    // A stack of our own: a chain of directories as deep as the file system allows must not overflow ours.
    std::vector<Pending> pending{{root, bounds, 0}};
    std::vector<Item> items;
    std::vector<std::pair<Item, Rect>> placed;
    std::uint32_t sinceCheck = 0;
    while (!pending.empty()) {
        if (stop != nullptr && sinceCheck++ % 4096 == 0 && stop->load(std::memory_order_relaxed)) {
            break;
        }
        const Pending current = pending.back();
        pending.pop_back();
        tiles.push_back({current.rect, current.node, current.depth, Kind::Directory});

        const std::optional<Rect> inner = innerRect(current.rect);
        const double total = inner ? collectItems(tree, current.node, items) : 0;
        if (!inner || items.empty()) {
            continue;
        }
        placed.clear();
        squarify(items, total, *inner, m_settings.minSide, placed);
        for (const auto& [item, rect] : placed) {
            if (rect.width < m_settings.minSide || rect.height < m_settings.minSide) {
                continue;
            }
            if (item.kind == Kind::OwnFiles) {
                tiles.push_back({rect, item.node, current.depth, Kind::OwnFiles});
            } else {
                pending.push_back({item.node, rect, current.depth + 1});
            }
        }
    }
    return tiles;
}

std::optional<TreemapLayout::Rect> TreemapLayout::innerRect(Rect rect) const {
    const double strip = labelStrip(rect).height;
    rect.x += m_settings.inset;
    rect.y += m_settings.inset + strip;
    rect.width -= 2 * m_settings.inset;
    rect.height -= 2 * m_settings.inset + strip;
    if (!(rect.width > 0) || !(rect.height > 0) || rect.width < m_settings.minSide ||
        rect.height < m_settings.minSide) {
        return std::nullopt;
    }
    return rect;
}

double TreemapLayout::collectItems(const MapTree& tree, std::uint32_t parent, std::vector<Item>& items) {
    const MapTree::Node& node = tree.node(parent);
    items.clear();
    double total = 0;
    if (node.ownBytes > 0) {
        items.push_back({static_cast<double>(node.ownBytes), parent, Kind::OwnFiles});
        total += items.back().size;
    }
    for (std::uint32_t child = node.firstChild; child < node.firstChild + node.childCount; ++child) {
        if (tree.node(child).totalBytes > 0) {
            items.push_back({static_cast<double>(tree.node(child).totalBytes), child, Kind::Directory});
            total += items.back().size;
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.size > b.size; });
    return total;
}

void TreemapLayout::squarify(const std::vector<Item>& items, double total, Rect area, double minSide,
                             std::vector<std::pair<Item, Rect>>& placed) {
    const double scale = area.width * area.height / total;
    // Items are sorted, so once one is smaller than a square of minSide every later one is too: none of them
    // could get a rectangle, and leaving them out keeps the rest where they would have been.
    std::size_t count = items.size();
    const double smallestArea = minSide * minSide;
    while (count > 0 && items[count - 1].size * scale < smallestArea) {
        --count;
    }
    const bool everything = count == items.size();
    std::size_t first = 0;
    while (first < count) {
        const bool columns = area.width >= area.height;
        const double side = columns ? area.height : area.width;
        const double largest = items[first].size * scale;
        double rowArea = 0;
        double best = 0;
        std::size_t end = first;
        while (end < count) {
            const double candidate = items[end].size * scale;
            const double ratio = worstRatio(rowArea + candidate, largest, candidate, side);
            if (end > first && ratio > best) {
                break;
            }
            best = ratio;
            rowArea += candidate;
            ++end;
        }
        double thickness = rowArea / side;
        // The last row takes what is left, so that rounding leaves no sliver; not when small items were
        // left out, whose share would then go to the others.
        if (end == count && everything) {
            thickness = columns ? area.width : area.height;
        }
        double along = columns ? area.y : area.x;
        for (std::size_t index = first; index < end; ++index) {
            double length = items[index].size * scale / thickness;
            if (index + 1 == end && end == count && everything) {
                length = (columns ? area.y + area.height : area.x + area.width) - along;
            }
            const Rect rect =
                columns ? Rect{area.x, along, thickness, length} : Rect{along, area.y, length, thickness};
            placed.emplace_back(items[index], rect);
            along += length;
        }
        if (columns) {
            area.x += thickness;
            area.width = std::max(0.0, area.width - thickness);
        } else {
            area.y += thickness;
            area.height = std::max(0.0, area.height - thickness);
        }
        first = end;
    }
}

}  // namespace trelmark::survey
