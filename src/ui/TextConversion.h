// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include <QString>

#include "util/DisplayName.h"

namespace trelmark::ui {

// The edge between raw path bytes and the text of widgets: bytes that are not UTF-8 travel as "\xHH",
// so a name shown in a list or typed into the path field still reaches its directory.
[[nodiscard]] inline QString toDisplay(std::string_view raw) {
    return QString::fromStdString(util::displayName(raw));
}

[[nodiscard]] inline std::string toRaw(const QString& text) {
    return util::rawName(text.toStdString());
}

}  // namespace trelmark::ui
