#pragma once

#include <memory>

#include <QLineEdit>

namespace trelmark::ui {

// The path field `TextPath`: a one-line text whose every change, typed or assigned, the window hears of
// through textChanged; gaining the focus selects the whole text, so typing or pasting replaces it.
//
// It takes drops of files and directories (a URI list with a local path, as file managers drag them): the
// first local path selects a directory, itself or the one holding the file, and becomes the text, so the
// change reaches the window like typing. Dropped text and anything else is refused; the line edit's own
// insertion of dropped text is off. Dragging the selected text out offers it as text and, when it is the
// whole field and names an existing directory, that directory as a URI list; never as a move, so neither
// the field nor the dragged directory loses anything. Owned by its parent. Thread: the GUI thread.
class PathField final : public QLineEdit {
    Q_OBJECT
public:
    explicit PathField(QWidget* parent = nullptr);
    ~PathField() override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool acceptFileDrop(QDropEvent* event);
    [[nodiscard]] bool onSelection(const QPointF& position);
    void startDrag();

    // A press on the selected text, held back until the mouse either moves far enough to drag or is released.
    std::unique_ptr<QMouseEvent> m_pendingPress;
};

}  // namespace trelmark::ui
