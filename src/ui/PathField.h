// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QLineEdit>

#include "ui/PathLookups.h"

namespace trelmark::ui {

class LateAnswers;

// The path field `TextPath`: a one-line text whose every change, typed or assigned, the window hears of
// through textChanged; gaining the focus selects the whole text, so typing or pasting replaces it. A text
// that names no directory tints the field and says so in its tooltip; what "チェック" surveys stays the
// directory list's, which such a text does not move.
//
// It takes drops of files and directories (a URI list with a local path, as file managers drag them): the
// first local path selects a directory, itself or the one holding the file, and becomes the text, so the
// change reaches the window like typing. Dropped text and anything else is refused; the line edit's own
// insertion of dropped text is off. Nothing is ever dragged out of it: a press on the selection and a move
// select, as in any line edit.
//
// Both questions to the file system (does the text name a directory; is the dropped entry one) run on a
// worker with a deadline (LateAnswers). Past it the field is not tinted and its tooltip says it waits
// ("(応答なし)"); the answer applies when it comes, unless the text changed meanwhile.
// Owned by its parent. Thread: the GUI thread.
class PathField final : public QLineEdit {
    Q_OBJECT
public:
    // The tooltips of a text that names a directory and of one that does not.
    static const QString kToolTip;
    static const QString kNoDirectoryToolTip;
    static const QString kWaitingToolTip;

    explicit PathField(QWidget* parent = nullptr);

    // Unlike QLineEdit's, raises textChanged on every assignment, the same text included: an assignment is
    // a change of the path field, and a drop of the folder it already spells must still move the lists.
    void setText(const QString& text);
    // Whether the text names an existing directory (the field is tinted when not).
    [[nodiscard]] bool namesDirectory() const noexcept { return m_namesDirectory; }
    // Whether the field waits for the file system to answer about its text or a drop.
    [[nodiscard]] bool waiting() const noexcept { return m_waiting; }
    // Another file system in place of the system's: for tests.
    void setLookups(std::shared_ptr<const PathLookups> lookups) { m_lookups = std::move(lookups); }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool acceptFileDrop(QDropEvent* event);
    void showWhetherDirectory();
    void showAnswer(bool namesDirectory);
    void dropLate(std::uint64_t edit, const std::string& path, std::optional<bool> isDirectory);
    void showWaiting();
    void applyTint();

    LateAnswers* m_late;
    std::shared_ptr<const PathLookups> m_lookups = PathLookups::system();
    // Counts the changes of the text: a late answer about an older text is stale.
    std::uint64_t m_edits = 0;
    bool m_namesDirectory = true;
    bool m_waiting = false;
    bool m_tinting = false;
};

}  // namespace trelmark::ui
