// SPDX-License-Identifier: MIT
#include "ui/PathDrop.h"

#include <QMimeData>
#include <QUrl>

#include "util/PathHelpers.h"

namespace trelmark::ui {

std::optional<std::string> localPath(const QUrl& url) {
    if (!url.isValid() || url.scheme() != QLatin1String("file")) {
        return std::nullopt;
    }
    // A file URL naming another host is no path here: "//host/p" would read as "/host/p".
    if (const QString host = url.host();
        !host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    // Decoding the encoded form ourselves keeps bytes that are not UTF-8; toLocalFile() would replace them.
    const QByteArray raw = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!raw.startsWith('/')) {
        return std::nullopt;
    }
    return raw.toStdString();
}

QUrl fileUrl(std::string_view rawPath) {
    const QByteArray encoded =
        QByteArray(rawPath.data(), static_cast<qsizetype>(rawPath.size())).toPercentEncoding("/");
    return QUrl(QLatin1String("file://") + QString::fromLatin1(encoded), QUrl::StrictMode);
}

std::optional<std::string> firstLocalPath(const QMimeData& data) {
    if (!data.hasUrls()) {
        return std::nullopt;
    }
    for (const QUrl& url : data.urls()) {
        if (auto path = localPath(url)) {
            return path;
        }
    }
    return std::nullopt;
}

std::string droppedDirectory(const std::string& path, bool isDirectory) {
    return isDirectory ? path : util::GetParentPath(path, util::PathStyle::Posix);
}

}  // namespace trelmark::ui
