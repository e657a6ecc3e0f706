// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QString>

class QMimeData;
class QUrl;

namespace trelmark::ui {

// Paths carried by drag and drop: what a drop of files onto the path field selects. File URLs carry raw
// name bytes percent-encoded (as file managers write them), so a name that is not UTF-8 survives both ways.
// Free functions; the GUI thread (mime data belongs to a drag).

// The raw path of a local file URL ("file:///p" or "file://localhost/p"); nullopt for anything else.
[[nodiscard]] std::optional<std::string> localPath(const QUrl& url);

// A file URL for a raw absolute path, every byte that is not plain ASCII percent-encoded.
[[nodiscard]] QUrl fileUrl(std::string_view rawPath);

// The first local path of the data's URI list, if it has one.
[[nodiscard]] std::optional<std::string> firstLocalPath(const QMimeData& data);

// The directory a drop of `path` selects, raw bytes: the path itself when it is a directory (a link to one
// included), otherwise the directory that holds it ("/" for an entry in the root).
[[nodiscard]] std::string droppedDirectory(const std::string& path, bool isDirectory);

}  // namespace trelmark::ui
