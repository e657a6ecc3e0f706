// SPDX-License-Identifier: MIT
#include "ui/MapView.h"

#include <utility>

#include <QMouseEvent>
#include <QPainter>

namespace trelmark::ui {

namespace {

// Resizing by dragging sends many sizes in a row: only the one the user stops at is laid out.
constexpr int kRelayoutDelayMs = 40;

QRectF toRect(const survey::TreemapLayout::Rect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

}  // namespace

MapView::MapView(std::shared_ptr<const survey::MapTree> tree, QWidget* parent)
    : QWidget(parent), m_tree(std::move(tree)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 120);
    // One job lays out while the next can already start; the older one stops at its next check.
    m_pool.setMaxThreadCount(2);
    m_relayout.setSingleShot(true);
    m_relayout.setInterval(kRelayoutDelayMs);
    connect(&m_relayout, &QTimer::timeout, this, &MapView::startLayout);
}

MapView::~MapView() {
    if (m_stop) {
        m_stop->store(true);
    }
    // Jobs post their pictures to this object: none may still be running when it goes.
    m_pool.waitForDone();
}

QSize MapView::sizeHint() const {
    return {800, 560};
}

void MapView::setRoot(std::uint32_t root) {
    if (root >= m_tree->size() || root == m_root) {
        return;
    }
    m_root = root;
    startLayout();
}

void MapView::startLayout() {
    m_relayout.stop();
    if (m_stop) {
        m_stop->store(true);
    }
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const std::uint64_t generation = ++m_generation;
    m_pool.start([this, generation, tree = m_tree, root = m_root, size = size(), ratio = devicePixelRatioF(),
                  font = font(), stop = m_stop] {
        MapPicture picture = MapPicture::make(*tree, root, size, ratio, font, stop.get());
        if (!stop->load()) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, picture = std::move(picture)]() mutable {
                    accept(generation, std::move(picture));
                },
                Qt::QueuedConnection);
        }
    });
}

void MapView::accept(std::uint64_t generation, MapPicture picture) {
    if (generation != m_generation) {
        return;
    }
    m_picture = std::move(picture);
    m_shownGeneration = generation;
    m_hovered = nullptr;
    if (underMouse()) {
        hover(m_picture.tileAt(mapFromGlobal(QCursor::pos())));
    }
    update();
    emit pictureShown();
}

void MapView::paintEvent(QPaintEvent* event) {
    static_cast<void>(event);
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (m_picture.image.isNull()) {
        return;
    }
    painter.drawImage(QRectF(rect()), m_picture.image);
    if (m_hovered != nullptr && m_picture.size == size()) {
        // A wide outline in the theme's highlight with a white core stands out on every fill.
        const QRectF hovered = toRect(m_hovered->rect);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().highlight(), 3));
        painter.drawRect(hovered.adjusted(1.5, 1.5, -1.5, -1.5));
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(hovered.adjusted(1.5, 1.5, -1.5, -1.5));
    }
}

void MapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The first picture should not wait for the delay.
    if (m_generation == 0) {
        startLayout();
    } else {
        m_relayout.start();
    }
}

void MapView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_generation > 0) {
        m_relayout.start();
    }
}

void MapView::hover(const survey::TreemapLayout::Tile* tile) {
    if (tile == m_hovered) {
        return;
    }
    m_hovered = tile;
    update();
    if (tile == nullptr) {
        emit hovered(survey::MapTree::kNone, survey::TreemapLayout::Kind::Directory);
    } else {
        emit hovered(tile->node, tile->kind);
    }
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    // A stretched picture would point at the wrong tile: nothing is hovered until the new one is there.
    hover(m_picture.size == size() ? m_picture.tileAt(event->position()) : nullptr);
}

void MapView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    hover(nullptr);
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_picture.size != size()) {
        return;
    }
    if (const auto* tile = m_picture.tileAt(event->position())) {
        emit clicked(tile->node);
    }
}

void MapView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_picture.size != size()) {
        return;
    }
    if (const auto* tile = m_picture.tileAt(event->position())) {
        emit doubleClicked(tile->node);
    }
}

}  // namespace trelmark::ui
