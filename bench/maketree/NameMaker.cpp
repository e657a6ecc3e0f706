// SPDX-License-Identifier: MIT
#include "NameMaker.h"

#include <cctype>

namespace trelmark::bench {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kWords[] = {
    "src",      "include", "lib",     "bin",       "docs",       "test",      "assets",   "images",
    "icons",    "fonts",   "scripts", "build",     "dist",       "vendor",    "packages", "modules",
    "utils",    "common",  "core",    "config",    "data",       "cache",     "tmp",      "logs",
    "backup",   "archive", "old",     "new",       "photos",     "music",     "videos",   "projects",
    "work",     "client",  "server",  "api",       "web",        "app",       "mobile",   "shared",
    "public",   "private", "static",  "templates", "examples",   "resources", "locale",   "drafts",
    "reports",  "invoice", "summary", "notes",     "readme",     "index",     "main",     "util",
    "helper",   "widget",  "model",   "view",      "controller", "service",   "handler",  "parser",
    "reader",   "writer",  "stream",  "buffer",    "table",      "layout",    "theme",    "style",
    "report",   "budget",  "meeting", "holiday",   "family",     "draft",     "final",    "copy",
    "invoice",  "letter",  "chapter", "figure",    "track",      "episode",   "scan",     "receipt",
    "settings", "profile", "user",    "session",   "history",    "thumbnail", "preview",  "export",
};

constexpr std::string_view kCapitalWords[] = {
    "Documents",  "Downloads", "Pictures", "Music",   "Videos",  "Desktop", "Projects", "Camera",
    "Reports",    "Invoices",  "Archive",  "Backups", "Clients", "Travel",  "Family",   "Screenshots",
    "Recordings", "Templates", "Library",  "Games",   "Notes",   "Taxes",   "School",   "Work",
};

constexpr std::string_view kSpacedWords[] = {
    "New folder",       "Meeting notes",  "Copy of report",    "Project Files",
    "Old Photos",       "Tax return",     "Final version",     "Untitled document",
    "Screen Recording", "Summer holiday", "Team offsite",      "Quarterly review",
    "Read me first",    "Client A",       "Scanned Documents", "Voice memo",
};

constexpr std::string_view kJapaneseWords[] = {
    "資料",     "写真",   "会議",     "議事録",       "報告書",
    "見積書",   "請求書", "契約書",   "プロジェクト", "設計",
    "開発",     "試験",   "旅行",     "家族",         "音楽",
    "動画",     "書類",   "経理",     "営業",         "企画",
    "人事",     "総務",   "作業",     "予定表",       "新しいフォルダー",
    "名前なし", "下書き", "最終版",   "修正版",       "バックアップ",
    "東京",     "大阪",   "月報",     "週報",         "日報",
    "年度",     "説明書", "お知らせ", "練習",         "アルバム",
};

constexpr std::string_view kDotNames[] = {
    ".git",       ".cache",  ".config",  ".local",    ".vscode",       ".idea", ".ssh",          ".npm",
    ".gitignore", ".bashrc", ".profile", ".DS_Store", ".editorconfig", ".env",  ".clang-format", ".keep",
};

constexpr std::string_view kExtensions[] = {
    ".txt", ".md",   ".c",    ".h",     ".cpp",  ".hpp",  ".py",    ".js",  ".ts",     ".json", ".html",
    ".css", ".xml",  ".yaml", ".sh",    ".o",    ".so",   ".a",     ".jpg", ".jpg",    ".png",  ".png",
    ".gif", ".svg",  ".pdf",  ".docx",  ".xlsx", ".pptx", ".csv",   ".log", ".gz",     ".zip",  ".tar",
    ".mp3", ".flac", ".mp4",  ".mkv",   ".mov",  ".iso",  ".qcow2", ".db",  ".sqlite", ".bak",  ".tmp",
    ".go",  ".rs",   ".java", ".class", ".rb",   ".php",  ".lock",  ".ini", ".conf",   ".pyc",  ".wasm",
};

constexpr char kHexDigits[] = "0123456789abcdef";

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence.
void cutUtf8(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

}  // namespace

std::string_view NameMaker::pick(const std::string_view* words, std::size_t count) {
    return words[m_random.below(count)];
}

std::string NameMaker::digits(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += static_cast<char>('0' + m_random.below(10));
    }
    return text;
}

std::string NameMaker::hex(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kHexDigits[m_random.below(16)];
    }
    return text;
}

std::string NameMaker::date() {
    const auto twoDigits = [](std::uint64_t value) {
        return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
    };
    return std::to_string(m_random.between(2003, 2025)) + "-" + twoDigits(m_random.between(1, 12)) + "-" +
           twoDigits(m_random.between(1, 28));
}

std::string NameMaker::wordStem() {
    std::string stem(pick(kWords));
    const std::uint64_t more = m_random.below(3);
    static constexpr std::string_view kJoints[] = {"_", "-", "", "."};
    const std::string_view joint = pick(kJoints);
    for (std::uint64_t i = 0; i < more; ++i) {
        std::string word(pick(kWords));
        if (joint.empty()) {
            word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        }
        stem += joint;
        stem += word;
    }
    if (m_random.chance(0.3)) {
        stem += m_random.chance(0.5) ? "-" : "_";
        stem += digits(m_random.between(1, 4));
    }
    return stem;
}

std::string NameMaker::japaneseStem() {
    std::string stem(pick(kJapaneseWords));
    if (m_random.chance(0.5)) {
        stem += m_random.chance(0.5) ? "_" : " ";
        stem += pick(kJapaneseWords);
    }
    if (m_random.chance(0.5)) {
        stem += "_" + date().substr(0, 7);
    }
    return stem;
}

std::string NameMaker::spacedStem() {
    std::string stem(pick(kSpacedWords));
    if (m_random.chance(0.6)) {
        stem += " " + date();
    } else if (m_random.chance(0.5)) {
        stem += " (" + digits(1) + ")";
    }
    return stem;
}

std::string NameMaker::longStem() {
    // Titles pasted into file names, exported mail subjects: long, but within the limit.
    const std::size_t target = m_random.between(80, 240);
    std::string stem(pick(kCapitalWords));
    while (stem.size() < target) {
        stem += m_random.chance(0.7) ? " " : "_";
        stem += pick(kWords);
    }
    cutUtf8(stem, target);
    return stem;
}

std::string NameMaker::extension() {
    return std::string(pick(kExtensions));
}

std::string NameMaker::directoryName() {
    const double roll = m_random.unit();
    if (roll < 0.45) {
        return std::string(pick(kWords));
    }
    if (roll < 0.60) {
        return std::string(pick(kCapitalWords));
    }
    if (roll < 0.72) {
        return wordStem();
    }
    if (roll < 0.80) {
        return m_random.chance(0.5) ? "20" + digits(2)
                                    : "v" + digits(1) + "." + digits(m_random.between(1, 2));
    }
    if (roll < 0.87) {
        return spacedStem();
    }
    if (roll < 0.92) {
        return japaneseStem();
    }
    if (roll < 0.94) {
        return std::string(pick(kDotNames));
    }
    return hex(2);  // object stores and caches fan out over two hex digits
}

std::string NameMaker::fileName() {
    const double roll = m_random.unit();
    std::string name;
    if (roll < 0.45) {
        name = wordStem() + extension();
    } else if (roll < 0.57) {
        static constexpr std::string_view kCameras[] = {"IMG_", "DSC_", "DSCN", "PXL_2023", "VID_"};
        name = std::string(pick(kCameras)) + digits(4) + (m_random.chance(0.8) ? ".jpg" : ".mp4");
    } else if (roll < 0.69) {
        static constexpr std::size_t kHashLengths[] = {8, 16, 32, 38, 40, 64};
        name = hex(kHashLengths[m_random.below(6)]);
        if (m_random.chance(0.3)) {
            name += m_random.chance(0.5) ? ".cache" : ".o";
        }
    } else if (roll < 0.78) {
        name = "lib" + std::string(pick(kWords)) + ".so." + digits(1) + "." + digits(m_random.between(1, 2));
        if (m_random.chance(0.5)) {
            name = "part-" + digits(5) + (m_random.chance(0.5) ? ".parquet" : "");
        }
    } else if (roll < 0.86) {
        name = spacedStem() + extension();
    } else if (roll < 0.90) {
        name = japaneseStem() + extension();
    } else if (roll < 0.91) {
        name = std::string(pick(kDotNames));
    } else if (roll < 0.915) {
        name = longStem() + extension();
    } else {
        name = std::string(pick(kCapitalWords)) + "_" + digits(m_random.between(1, 3)) + extension();
    }
    return name;
}

std::string NameMaker::exactName(std::size_t length) {
    std::string name;
    while (name.size() < length) {
        if (!name.empty()) {
            name += '-';
        }
        name += pick(kWords);
    }
    name.resize(length);
    return name;
}

std::string NameMaker::claim(std::string name, std::unordered_set<std::string>& taken, Length length) {
    cutUtf8(name, kNameMax);
    if (name == "." || name == "..") {
        name += "_";
    }
    if (taken.insert(name).second) {
        return name;
    }
    // Number the copies before the extension, as a file manager would ("report-2.pdf").
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && name.size() - dot <= 8;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string suffix = hasExtension ? name.substr(dot) : std::string();
    for (std::uint64_t copy = 2;; ++copy) {
        const std::string mark = "-" + std::to_string(copy);
        const std::size_t room = kNameMax - mark.size() - suffix.size();
        std::string candidate = stem;
        cutUtf8(candidate, length == Length::Keep ? name.size() - mark.size() - suffix.size() : room);
        candidate += mark;
        candidate += suffix;
        if (taken.insert(candidate).second) {
            return candidate;
        }
    }
}

}  // namespace trelmark::bench
