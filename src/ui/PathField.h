#pragma once

#include <QLineEdit>

namespace trelmark::ui {

// The path field `TextPath`: a one-line text whose every change, typed or assigned, the window hears of
// through textChanged; gaining the focus selects the whole text, so typing or pasting replaces it.
// Owned by its parent. Thread: the GUI thread.
class PathField final : public QLineEdit {
    Q_OBJECT
public:
    explicit PathField(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace trelmark::ui
