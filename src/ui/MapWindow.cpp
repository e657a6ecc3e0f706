// SPDX-License-Identifier: MIT
#include "ui/MapWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "survey/NumberFormat.h"
#include "ui/MapView.h"
#include "ui/TextConversion.h"
#include "ui/WindowLook.h"

namespace trelmark::ui {

namespace {

QString sizeText(std::uint64_t bytes, bool complete) {
    const QString count = QString::fromStdString(survey::formatCount(bytes)) +
                          (complete ? QString() : QString::fromUtf8(survey::kIncompleteMark));
    return bytes < 1000 ? QStringLiteral("%1 バイト").arg(count)
                        : QStringLiteral("%1 バイト (%2)").arg(count, shortByteCount(bytes));
}

}  // namespace

MapWindow::MapWindow(std::shared_ptr<const survey::MapTree> tree, QTime surveyedAt, QWidget* parent)
    : QWidget(parent, Qt::Window), m_tree(std::move(tree)), m_surveyedAt(surveyedAt) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(windowFont());
    m_up = new QPushButton(QStringLiteral("上へ"), this);
    m_up->setToolTip(QStringLiteral("一つ上のディレクトリのマップに戻ります (Backspace)"));
    m_path = new QLabel(this);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_view = new MapView(m_tree, this);
    m_hover = new QLabel(this);
    // A long name wraps rather than being cut; the line keeps its height when nothing is hovered.
    m_hover->setWordWrap(true);
    m_hover->setMinimumHeight(m_hover->fontMetrics().height() * 2);

    auto* top = new QHBoxLayout;
    top->addWidget(m_up);
    top->addWidget(m_path, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_hover);

    connect(m_up, &QPushButton::clicked, this, &MapWindow::zoomOut);
    connect(m_view, &MapView::doubleClicked, this, &MapWindow::zoomTo);
    connect(m_view, &MapView::clicked, this, [this](std::uint32_t node) {
        emit directoryActivated(QByteArray::fromStdString(m_tree->pathOf(node)), node);
    });
    connect(m_view, &MapView::hovered, this, [this](std::uint32_t node, survey::TreemapLayout::Kind kind) {
        m_hover->setText(node == survey::MapTree::kNone ? QString() : describe(*m_tree, node, kind));
    });
    showRoot();
    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
}

bool MapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Close) {
        close();
    }
    return QWidget::eventFilter(watched, event);
}

QString MapWindow::describe(const survey::MapTree& tree, std::uint32_t node,
                            survey::TreemapLayout::Kind kind) {
    const survey::MapTree::Node& directory = tree.node(node);
    const bool files = kind == survey::TreemapLayout::Kind::OwnFiles;
    const std::uint64_t bytes = files ? directory.ownBytes : directory.totalBytes;
    const survey::MapTree::Node& whole = tree.node(survey::MapTree::kRoot);
    const QString share =
        QString::fromStdString(survey::formatShare(survey::shareOf(bytes, whole.totalBytes)));
    const QString path = toDisplay(tree.pathOf(node));
    return QStringLiteral("%1%2\nサイズ: %3    調査したディレクトリの %4")
        .arg(path, files ? QStringLiteral(" のファイル") : QString(), sizeText(bytes, directory.complete),
             share + (directory.complete && whole.complete ? QString()
                                                           : QString::fromUtf8(survey::kIncompleteMark)));
}

void MapWindow::zoomTo(std::uint32_t node) {
    if (node < m_tree->size() && node != m_view->root()) {
        m_view->setRoot(node);
        showRoot();
    }
}

void MapWindow::zoomOut() {
    const std::uint32_t root = m_view->root();
    if (root != survey::MapTree::kRoot) {
        zoomTo(m_tree->node(root).parent);
    }
}

void MapWindow::showRoot() {
    const std::uint32_t root = m_view->root();
    m_up->setEnabled(root != survey::MapTree::kRoot);
    m_path->setText(toDisplay(m_tree->pathOf(root)));
    setWindowTitle(
        QStringLiteral("マップ - %1 (%2 の調査)")
            .arg(toDisplay(m_tree->pathOf(root)), m_surveyedAt.toString(QStringLiteral("HH:mm:ss"))));
}

void MapWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace ||
        (event->key() == Qt::Key_Up && event->modifiers() == Qt::AltModifier)) {
        zoomOut();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace trelmark::ui
