// SPDX-License-Identifier: MIT
#include "ui/WindowLook.h"

#include <array>

#include "survey/NumberFormat.h"
#include "util/DisplayName.h"

namespace trelmark::ui {

QFont gothicFont() {
    QFont font(QStringLiteral("ＭＳ ゴシック"), 9, QFont::Normal);
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QFont windowFont() {
    QFont font(QStringLiteral("MS UI Gothic"), 9, QFont::Normal);
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/trelmark/icon-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/trelmark/icon-32.png"), QSize(32, 32));
    // Drawn from the SVG only where Qt's SVG plugin is installed; the two images serve everywhere else.
    icon.addFile(QStringLiteral(":/trelmark/icon.svg"));
    return icon;
}

QString versionCaption(int major, int minor, int revision, const QString& legalNotice) {
    return QStringLiteral("Trelmark Version %1.%2.%3 %4")
        .arg(major)
        .arg(minor)
        .arg(revision)
        .arg(legalNotice);
}

QString progressCaption(const QString& caption, const fs::WalkProgress& progress) {
    return QStringLiteral("%1 項目 %2 \u2014 %3")
        .arg(QString::fromStdString(survey::formatCount(progress.entries)), shortByteCount(progress.bytes),
             caption);
}

QString shortByteCount(std::uint64_t bytes) {
    static constexpr std::array<const char*, 7> kUnits = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1000) {
        return QStringLiteral("%1 B").arg(bytes);
    }
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < kUnits.size()) {
        value /= 1000.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(kUnits[unit]));
}

QString failureText(const survey::SurveyFailure& failure) {
    return QStringLiteral("異常なディレクトリがありました「") +
           QString::fromStdString(util::displayName(failure.path)) + QStringLiteral("」");
}

}  // namespace trelmark::ui
