// SPDX-License-Identifier: MIT
#include "ui/NoteLine.h"

#include <algorithm>

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QRect>

#include "ui/TextConversion.h"

namespace trelmark::ui {

namespace {

// Between a note and the controls to its left.
constexpr int kNoteGap = 8;

}  // namespace

int roomOnLine(const QWidget& canvas, const QRect& line, const std::vector<const QWidget*>& skip) {
    int left = line.left();
    for (const QWidget* child : canvas.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect place = child->geometry();
        if (std::find(skip.begin(), skip.end(), child) != skip.end() || child->isHidden() ||
            place.bottom() < line.top() || place.top() > line.bottom() || place.left() > line.right()) {
            continue;
        }
        // A check box or left-aligned label reaches as far as its text, whatever room the form gave it.
        int reach = place.right();
        if (const auto* label = qobject_cast<const QLabel*>(child);
            label != nullptr && (label->alignment() & Qt::AlignRight) == 0) {
            reach = place.left() + label->fontMetrics().horizontalAdvance(label->text()) + 2;
        } else if (qobject_cast<const QCheckBox*>(child) != nullptr) {
            reach = place.left() + child->sizeHint().width();
        }
        left = std::max(left, std::min(reach, place.right()));
    }
    return line.right() - left - kNoteGap;
}

QString surveyNote(const store::SurveyFacts& facts, const QString& fileName, const QFontMetrics& metrics,
                   int room) {
    const QString made =
        facts.started > 0
            ? QDateTime::fromSecsSinceEpoch(facts.started).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
            : QStringLiteral("「") + QFileInfo(fileName).fileName() + QStringLiteral("」");
    const QString text = made + QStringLiteral(" の調査");
    if (facts.host.empty()) {
        return text;
    }
    const QString open = QStringLiteral("（");
    const QString close = QStringLiteral("）");
    const int hostRoom = room - metrics.horizontalAdvance(text + open + close);
    return text + open + metrics.elidedText(toDisplay(facts.host), Qt::ElideMiddle, std::max(hostRoom, 0)) +
           close;
}

}  // namespace trelmark::ui
