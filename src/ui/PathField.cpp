#include "ui/PathField.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

#include "ui/PathDrop.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"

namespace trelmark::ui {

PathField::PathField(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
}

PathField::~PathField() = default;

void PathField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Start first, then the length: an empty text leaves an empty selection at 0.
    setCursorPosition(0);
    setSelection(0, static_cast<int>(text().size()));
}

// A drop only reads a path, so it never reports a move: a source told "moved" would delete what it dragged.
bool PathField::acceptFileDrop(QDropEvent* event) {
    const bool ours = event->source() == this;
    if (ours || !event->mimeData() || !firstLocalPath(*event->mimeData())) {
        event->ignore();
        return false;
    }
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
    } else if (event->possibleActions() & Qt::LinkAction) {
        event->setDropAction(Qt::LinkAction);
    } else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}

void PathField::dragEnterEvent(QDragEnterEvent* event) {
    acceptFileDrop(event);
}

void PathField::dragMoveEvent(QDragMoveEvent* event) {
    acceptFileDrop(event);
}

void PathField::dropEvent(QDropEvent* event) {
    if (!acceptFileDrop(event)) {
        return;
    }
    // Read when dropped, not when entered: the entry may have gone meanwhile, and then nothing changes.
    if (const auto directory = droppedDirectory(*event->mimeData())) {
        setText(toDisplay(*directory));
    }
}

bool PathField::onSelection(const QPointF& position) {
    const int at = cursorPositionAt(position.toPoint());
    return hasSelectedText() && at >= selectionStart() && at <= selectionEnd();
}

void PathField::mousePressEvent(QMouseEvent* event) {
    m_pendingPress.reset();
    if (event->button() == Qt::LeftButton && onSelection(event->position())) {
        m_pendingPress.reset(event->clone());
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void PathField::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pendingPress) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    const QPointF moved = event->position() - m_pendingPress->position();
    if (moved.toPoint().manhattanLength() >= QApplication::startDragDistance()) {
        m_pendingPress.reset();
        startDrag();
    }
}

void PathField::mouseReleaseEvent(QMouseEvent* event) {
    if (m_pendingPress) {
        // No drag after all: the held press becomes the click it was (the cursor moves, a triple click
        // selects the line).
        const std::unique_ptr<QMouseEvent> press = std::move(m_pendingPress);
        QLineEdit::mousePressEvent(press.get());
    }
    QLineEdit::mouseReleaseEvent(event);
}

void PathField::startDrag() {
    const QString selected = selectedText();
    const auto directory = selected == text() ? canonicalDirectory(toRaw(selected)) : std::nullopt;
    auto* drag = new QDrag(this);
    drag->setMimeData(pathMimeData(selected, directory));
    drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
}

}  // namespace trelmark::ui
