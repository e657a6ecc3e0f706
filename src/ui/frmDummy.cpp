// SPDX-License-Identifier: MIT
#include "ui/frmDummy.h"

#include "ui/WindowLook.h"

namespace trelmark::ui {

frmDummy::frmDummy(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmDummy"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(programIcon());
    setFixedSize(3735 / 15, 1860 / 15);
}

}  // namespace trelmark::ui
