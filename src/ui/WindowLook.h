// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include <QFont>
#include <QIcon>
#include <QString>

#include "fs/WalkProgress.h"
#include "survey/SurveyFailure.h"

namespace trelmark::ui {

// The window's fonts, icon and captions: what it looks like, apart from where things are. Free functions;
// the GUI thread (fonts and icons need the application object).

// "ＭＳ ゴシック" 9 pt, or the nearest fixed-pitch Japanese font that is installed (IPAGothic, then Noto
// Sans Mono CJK JP): the lists and the grid.
[[nodiscard]] QFont gothicFont();
// The window's own font for its buttons, labels and the path field: a Japanese UI font of 9 pt, the size
// the fixed layout was drawn for.
[[nodiscard]] QFont windowFont();
// The program's icon: 16 and 32 px images and a scalable one.
[[nodiscard]] QIcon programIcon();

// "Trelmark Version 1.1.13 " followed by the legal notice.
[[nodiscard]] QString versionCaption(int major, int minor, int revision, const QString& legalNotice);
// What a running survey has walked so far, ahead of the caption, so that a narrow title bar still shows it.
[[nodiscard]] QString progressCaption(const QString& caption, const fs::WalkProgress& progress);
// The message box's text for the directory that ended a run: "異常なディレクトリがありました「/data/a」".
[[nodiscard]] QString failureText(const survey::SurveyFailure& failure);
// 999 B, 1.5 kB, 12.3 GB: decimal units, as df -H and file managers show them.
[[nodiscard]] QString shortByteCount(std::uint64_t bytes);

}  // namespace trelmark::ui
