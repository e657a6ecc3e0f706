#include "ui/PathField.h"

namespace trelmark::ui {

PathField::PathField(QWidget* parent) : QLineEdit(parent) {}

void PathField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Start first, then the length: an empty text leaves an empty selection at 0.
    setCursorPosition(0);
    setSelection(0, static_cast<int>(text().size()));
}

}  // namespace trelmark::ui
