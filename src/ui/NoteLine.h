// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include <QString>

#include "store/SurveyFacts.h"

class QFontMetrics;
class QRect;
class QWidget;

namespace trelmark::ui {

// The width a note may take on one line of the form's canvas: from the right edge of `line` leftwards up to
// the last control on that line (a label or check box as far as its text reaches), less a gap; the widgets in
// `skip` (the notes themselves) do not count. Thread: the GUI thread.
[[nodiscard]] int roomOnLine(const QWidget& canvas, const QRect& line,
                             const std::vector<const QWidget*>& skip);

// When and where an opened survey was made, for the note line: "YYYY-MM-DD HH:MM:SS の調査（host）" in local
// time; without a host it is left out, without a time the file's name (display text) stands in for it. A
// host name too long for `room` is elided in its middle.
[[nodiscard]] QString surveyNote(const store::SurveyFacts& facts, const QString& fileName,
                                 const QFontMetrics& metrics, int room);

}  // namespace trelmark::ui
