// SPDX-License-Identifier: MIT
#include "ui/MapPicture.h"

#include <array>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

#include "ui/TextConversion.h"

namespace trelmark::ui {

namespace {

using survey::TreemapLayout;

// Rectangles with a side under two pixels are left to their parent's colour: drawing them would cost time
// and show only noise.
constexpr double kMinSide = 2;
constexpr double kInset = 2;

QRectF toRect(const TreemapLayout::Rect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

double relativeLuminance(const QColor& color) {
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

}  // namespace

QColor MapPicture::directoryColor(std::uint32_t depth) {
    // Hues far apart on the wheel for neighbouring depths, at a saturation and value that neither vanish on
    // white nor glare on black.
    static constexpr std::array<int, 8> kHues{210, 30, 120, 280, 0, 175, 55, 320};
    return QColor::fromHsv(kHues[depth % kHues.size()], 140, 200);
}

QColor MapPicture::filesColor(std::uint32_t depth) {
    return directoryColor(depth).lighter(125);
}

QColor MapPicture::textColor(const QColor& fill) {
    // Contrast against black is (L + 0.05) / 0.05, against white 1.05 / (L + 0.05): equal at L = 0.179.
    return relativeLuminance(fill) > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

MapPicture MapPicture::make(const survey::MapTree& tree, std::uint32_t root, QSize size, qreal pixelRatio,
                            const QFont& font, const std::atomic<bool>* stop) {
    MapPicture picture;
    picture.root = root;
    picture.size = size;
    const QFontMetricsF metrics(font);
    const TreemapLayout layout(
        {.minSide = kMinSide, .inset = kInset, .labelHeight = std::ceil(metrics.height()) + 2});
    picture.tiles = layout.layout(
        tree, root, {0, 0, static_cast<double>(size.width()), static_cast<double>(size.height())}, stop);

    if (size.isEmpty()) {
        return picture;
    }
    picture.image = QImage(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    picture.image.setDevicePixelRatio(pixelRatio);
    picture.image.fill(Qt::transparent);
    QPainter painter(&picture.image);
    painter.setFont(font);
    for (const TreemapLayout::Tile& tile : picture.tiles) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
            break;
        }
        const bool files = tile.kind == TreemapLayout::Kind::OwnFiles;
        const QColor fill = files ? filesColor(tile.depth) : directoryColor(tile.depth);
        const QRectF rect = toRect(tile.rect);
        painter.fillRect(rect, fill);
        painter.setPen(fill.darker(160));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        const TreemapLayout::Rect strip = files ? tile.rect : layout.labelStrip(tile.rect);
        const QString name = files ? QStringLiteral("(ファイル)") : toDisplay(tree.name(tile.node));
        // A name is drawn whole or not at all; hovering shows it in any case.
        const QRectF textRect = toRect(strip).adjusted(3, 1, -3, -1);
        if (strip.width > 0 && metrics.horizontalAdvance(name) <= textRect.width() &&
            metrics.height() <= textRect.height()) {
            painter.setPen(textColor(fill));
            painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
        }
    }
    return picture;
}

const TreemapLayout::Tile* MapPicture::tileAt(QPointF point) const {
    // Children follow their parents, so the last tile that holds the point is the deepest.
    for (auto tile = tiles.rbegin(); tile != tiles.rend(); ++tile) {
        if (toRect(tile->rect).contains(point)) {
            return &*tile;
        }
    }
    return nullptr;
}

}  // namespace trelmark::ui
