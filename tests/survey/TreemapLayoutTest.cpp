// SPDX-License-Identifier: MIT
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "survey/MapTree.h"
#include "survey/TreemapLayout.h"

namespace trelmark::survey {
namespace {

using Rect = TreemapLayout::Rect;
using Tile = TreemapLayout::Tile;
constexpr std::uint32_t kNone = MapTree::kNone;

double area(const Rect& r) {
    return r.width * r.height;
}

bool inside(const Rect& inner, const Rect& outer, double slack) {
    return inner.x >= outer.x - slack && inner.y >= outer.y - slack &&
           inner.x + inner.width <= outer.x + outer.width + slack &&
           inner.y + inner.height <= outer.y + outer.height + slack;
}

double overlap(const Rect& a, const Rect& b) {
    const double w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const double h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

// A random tree, made level by level; about a tenth of the directories hold no files of their own.
MapTree randomTree(std::uint32_t count, unsigned seed) {
    std::mt19937_64 random(seed);
    MapTree shape("/r");
    shape.add(kNone, "r", 0, 0);
    for (std::uint32_t parent = 0; parent < shape.size() && shape.size() < count; ++parent) {
        for (auto children = 1 + random() % 3; children > 0 && shape.size() < count; --children) {
            shape.add(parent, "d", 0, 0);
        }
    }
    std::vector<std::uint64_t> own(shape.size());
    std::vector<std::uint64_t> total(shape.size());
    for (std::uint32_t index = shape.size(); index-- > 0;) {
        own[index] = random() % 10 == 0 ? 0 : random() % 1'000'000;
        total[index] += own[index];
        if (index != MapTree::kRoot) {
            total[shape.node(index).parent] += total[index];
        }
    }
    MapTree tree("/r");
    for (std::uint32_t index = 0; index < shape.size(); ++index) {
        tree.add(shape.node(index).parent, "d", own[index], total[index]);
    }
    return tree;
}

// Every directory's pieces (sub-directories and own files) lie inside it without overlapping each other,
// and each piece's share of the area is its share of the bytes.
void expectSoundLayout(const MapTree& tree, const std::vector<Tile>& tiles, double proportionSlack) {
    std::map<std::uint32_t, Rect> directories;
    std::map<std::uint32_t, std::vector<std::pair<Rect, double>>> pieces;
    for (const Tile& tile : tiles) {
        ASSERT_TRUE(std::isfinite(tile.rect.x) && std::isfinite(tile.rect.width)) << tile.node;
        ASSERT_GE(tile.rect.width, 0);
        ASSERT_GE(tile.rect.height, 0);
        if (tile.kind == TreemapLayout::Kind::Directory) {
            directories[tile.node] = tile.rect;
            if (tile.node != MapTree::kRoot && tile.depth > 0) {
                pieces[tree.node(tile.node).parent].push_back(
                    {tile.rect, static_cast<double>(tree.node(tile.node).totalBytes)});
            }
        } else {
            pieces[tile.node].push_back({tile.rect, static_cast<double>(tree.node(tile.node).ownBytes)});
        }
    }
    for (const auto& [parent, parts] : pieces) {
        ASSERT_TRUE(directories.contains(parent)) << "a piece without its directory: " << parent;
        const Rect outer = directories[parent];
        const MapTree::Node& node = tree.node(parent);
        double bytes = static_cast<double>(node.ownBytes);
        for (std::uint32_t child = node.firstChild; child < node.firstChild + node.childCount; ++child) {
            bytes += static_cast<double>(tree.node(child).totalBytes);
        }
        for (std::size_t a = 0; a < parts.size(); ++a) {
            EXPECT_TRUE(inside(parts[a].first, outer, 1e-6)) << "outside its parent " << parent;
            EXPECT_NEAR(area(parts[a].first) / area(outer), parts[a].second / bytes, proportionSlack)
                << parent;
            for (std::size_t b = a + 1; b < parts.size(); ++b) {
                EXPECT_LT(overlap(parts[a].first, parts[b].first), 1e-6) << "siblings overlap in " << parent;
            }
        }
    }
}

TEST(TreemapLayout, AreasFollowSizesInsideTheirParentsWithoutOverlap) {
    const MapTree tree = randomTree(3000, 7);
    const auto tiles = TreemapLayout({}).layout(tree, MapTree::kRoot, {0, 0, 1600, 1000});
    expectSoundLayout(tree, tiles, 1e-9);
    // Zoomed into a sub-tree, the same holds there.
    const auto zoomed = TreemapLayout({}).layout(tree, 5, {10, 20, 300, 700});
    ASSERT_FALSE(zoomed.empty());
    EXPECT_EQ(zoomed.front().node, 5U);
    expectSoundLayout(tree, zoomed, 1e-9);
}

TEST(TreemapLayout, KeepsRectanglesCloseToSquare) {
    MapTree tree("/r");
    tree.add(kNone, "r", 0, 100 * 1000);
    for (int index = 0; index < 100; ++index) {
        tree.add(MapTree::kRoot, "d", 1000, 1000);
    }
    // A strip in each orientation: the rows turn with the longer side.
    for (const Rect bounds : {Rect{0, 0, 1000, 1000}, Rect{0, 0, 4000, 250}, Rect{0, 0, 250, 4000}}) {
        const auto tiles = TreemapLayout({}).layout(tree, MapTree::kRoot, bounds);
        ASSERT_EQ(tiles.size(), 201U) << "the root, and each directory with its files";
        for (const Tile& tile : tiles) {
            if (tile.node == MapTree::kRoot) {
                continue;
            }
            const Rect& r = tile.rect;
            EXPECT_LE(std::max(r.width / r.height, r.height / r.width), 2.0) << tile.node;
        }
    }
}

TEST(TreemapLayout, ZeroSizesGetNoRectangleAndHugeOnesStayFinite) {
    MapTree empty("/e");
    empty.add(kNone, "e", 0, 0);
    empty.add(MapTree::kRoot, "a", 0, 0);
    const auto alone = TreemapLayout({}).layout(empty, MapTree::kRoot, {0, 0, 100, 100});
    ASSERT_EQ(alone.size(), 1U) << "only the root, nothing for empty directories";

    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    MapTree huge("/h");
    huge.add(kNone, "h", 0, UINT64_MAX);
    huge.add(MapTree::kRoot, "a", kHalf, kHalf);
    huge.add(MapTree::kRoot, "b", kHalf - 1, kHalf - 1);
    huge.add(MapTree::kRoot, "c", 0, 0);
    const auto tiles = TreemapLayout({}).layout(huge, MapTree::kRoot, {0, 0, 1000, 500});
    expectSoundLayout(huge, tiles, 1e-9);
    EXPECT_EQ(std::count_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.node == 3; }), 0);
    EXPECT_NEAR(area(tiles[1].rect), 250'000, 1e-3);
}

TEST(TreemapLayout, DeepChainsNeedNoStackAndEndAtTheSmallestSide) {
    constexpr std::uint32_t kDepth = 100'000;
    MapTree chain("/c");
    chain.add(kNone, "c", 0, 1);
    for (std::uint32_t index = 1; index < kDepth; ++index) {
        chain.add(index - 1, "d", index + 1 == kDepth ? 1 : 0, 1);
    }
    const auto full = TreemapLayout({}).layout(chain, MapTree::kRoot, {0, 0, 64, 64});
    EXPECT_EQ(full.size(), kDepth + 1U) << "every directory, and the files at the bottom";
    // With a frame of one pixel per level and nothing under two pixels, the descent ends after 31 levels.
    const auto framed =
        TreemapLayout({.minSide = 2, .inset = 1}).layout(chain, MapTree::kRoot, {0, 0, 64, 64});
    EXPECT_EQ(framed.size(), 32U);
    EXPECT_EQ(framed.back().depth, 31U);
}

TEST(TreemapLayout, AHundredThousandDirectoriesYieldOnlyVisibleRectangles) {
    const MapTree tree = randomTree(100'000, 11);
    const TreemapLayout layout({.minSide = 2, .inset = 1, .labelHeight = 14});
    const auto tiles = layout.layout(tree, MapTree::kRoot, {0, 0, 1920, 1080});
    ASSERT_GT(tiles.size(), 100U);
    EXPECT_LT(tiles.size(), 1920U * 1080U / 4U);
    for (const Tile& tile : tiles) {
        EXPECT_GE(std::min(tile.rect.width, tile.rect.height), 2.0) << tile.node;
        ASSERT_TRUE(inside(tile.rect, {0, 0, 1920, 1080}, 1e-6));
    }
    // A layout that is no longer wanted ends at once.
    std::atomic<bool> stop{true};
    EXPECT_TRUE(layout.layout(tree, MapTree::kRoot, {0, 0, 1920, 1080}, &stop).empty());
}

TEST(MapTreeOrder, KeepsChildrenTogetherAndNamesPaths) {
    MapTree tree("/top/");
    EXPECT_EQ(tree.add(5, "x", 0, 0), kNone) << "the root comes first";
    ASSERT_EQ(tree.add(kNone, "top", 1, 10), 0U);
    ASSERT_EQ(tree.add(0, "a", 2, 5), 1U);
    ASSERT_EQ(tree.add(0, "b\xff", 4, 4), 2U);
    ASSERT_EQ(tree.add(1, "c", 3, 3), 3U);
    EXPECT_EQ(tree.add(0, "late", 0, 0), kNone) << "a sibling after a nephew breaks the ranges";
    EXPECT_EQ(tree.node(0).childCount, 2U);
    EXPECT_EQ(tree.node(3).depth, 2U);
    EXPECT_EQ(tree.pathOf(0), "/top/");
    EXPECT_EQ(tree.pathOf(2), "/top/b\xff");
    EXPECT_EQ(tree.pathOf(3), "/top/a/c");
}

}  // namespace
}  // namespace trelmark::survey
