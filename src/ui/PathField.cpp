// SPDX-License-Identifier: MIT
#include "ui/PathField.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>

#include "ui/LateAnswers.h"
#include "ui/PathDrop.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"
#include "util/PathHelpers.h"
#include "util/ScopeExit.h"

namespace trelmark::ui {

const QString PathField::kToolTip = QStringLiteral("ディレクトリを入力してください");
const QString PathField::kNoDirectoryToolTip = QStringLiteral(
    "このパスのディレクトリはありません。「チェック」はディレクトリ一覧のディレクトリを調べます");
const QString PathField::kWaitingToolTip =
    QStringLiteral("ファイルシステムの応答を待っています ") + QString::fromUtf8(kNoAnswer);

PathField::PathField(QWidget* parent) : QLineEdit(parent), m_late(new LateAnswers(this)) {
    setAcceptDrops(true);
    setToolTip(kToolTip);
    connect(this, &QLineEdit::textChanged, this, &PathField::showWhetherDirectory);
}

void PathField::setText(const QString& text) {
    if (text == QLineEdit::text()) {
        emit textChanged(text);
        return;
    }
    QLineEdit::setText(text);
}

void PathField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Start first, then the length: an empty text leaves an empty selection at 0.
    setCursorPosition(0);
    setSelection(0, static_cast<int>(text().size()));
}

// A drop only reads a path, so it never reports a move: a source told "moved" would delete what it dragged.
bool PathField::acceptFileDrop(QDropEvent* event) {
    if (!event->mimeData() || !firstLocalPath(*event->mimeData())) {
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
    const std::string path = *firstLocalPath(*event->mimeData());
    const std::uint64_t edit = m_edits;
    const auto isDirectory = m_late->ask<std::optional<bool>>(
        path, [lookups = m_lookups, path] { return lookups->isDirectory(path); },
        [this, edit, path](std::optional<bool> late) { dropLate(edit, path, late); });
    if (!isDirectory) {
        showWaiting();
    } else if (*isDirectory) {
        setText(toDisplay(droppedDirectory(path, **isDirectory)));
    }
}

void PathField::dropLate(std::uint64_t edit, const std::string& path, std::optional<bool> isDirectory) {
    if (edit != m_edits) {
        return;  // typed over meanwhile: that text stands
    }
    if (isDirectory) {
        setText(toDisplay(droppedDirectory(path, *isDirectory)));
    } else {
        showWhetherDirectory();  // the entry vanished: the field is as it was, and says so
    }
}

void PathField::showWhetherDirectory() {
    const std::uint64_t edit = ++m_edits;
    const std::string raw = toRaw(text());
    const std::string spelled = raw.empty() ? raw : util::normalizePosixPath(raw, processDirectory());
    const auto answer = m_late->ask<bool>(
        spelled, [lookups = m_lookups, raw] { return lookups->canonicalDirectory(raw).has_value(); },
        [this, edit](bool late) {
            if (edit == m_edits) {
                showAnswer(late);
            }
        });
    if (answer) {
        showAnswer(*answer);
    } else {
        showWaiting();
    }
}

void PathField::showAnswer(bool namesDirectory) {
    const bool wasWaiting = std::exchange(m_waiting, false);
    if (namesDirectory == m_namesDirectory && !wasWaiting) {
        return;
    }
    m_namesDirectory = namesDirectory;
    setToolTip(namesDirectory ? kToolTip : kNoDirectoryToolTip);
    applyTint();
}

// Not known to be wrong: untinted, and the tooltip says why nothing is known yet.
void PathField::showWaiting() {
    m_waiting = true;
    m_namesDirectory = true;
    setToolTip(kWaitingToolTip);
    applyTint();
}

void PathField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    // A new palette of the application or the desktop is tinted afresh.
    if (event->type() == QEvent::PaletteChange && !m_tinting) {
        applyTint();
    }
}

void PathField::applyTint() {
    m_tinting = true;
    const util::ScopeExit done([this] { m_tinting = false; });
    if (m_namesDirectory) {
        setPalette(QPalette());
        return;
    }
    // A quarter of red over the background the field inherits: seen in a light palette and a dark one
    // alike, and the text keeps the colour that was chosen to be read on that background.
    const QPalette inherited = parentWidget() ? parentWidget()->palette() : QApplication::palette();
    QPalette tinted;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor base = inherited.color(group, QPalette::Base);
        tinted.setColor(group, QPalette::Base,
                        QColor((base.red() * 3 + 255) / 4, base.green() * 3 / 4, base.blue() * 3 / 4));
    }
    setPalette(tinted);
}

}  // namespace trelmark::ui
