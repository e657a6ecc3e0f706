// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace trelmark::ui {

// A second, empty form that the project carries: caption "Form1", the program's icon, no controls. Nothing
// creates or shows it; it exists so that the program holds both of its forms.
// Owned by whoever creates it. Thread: the GUI thread.
class frmDummy final : public QWidget {
    Q_OBJECT
public:
    explicit frmDummy(QWidget* parent = nullptr);
};

}  // namespace trelmark::ui
