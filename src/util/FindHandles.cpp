// SPDX-License-Identifier: MIT
#include "util/FindHandles.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include <dirent.h>
#include <fnmatch.h>
#include <locale.h>

#include "util/Cp932.h"

namespace trelmark::util {

namespace {

struct DirCloser {
    void operator()(DIR* stream) const noexcept { ::closedir(stream); }
};
using DirStream = std::unique_ptr<DIR, DirCloser>;

struct LocaleFreer {
    void operator()(locale_t locale) const noexcept { ::freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFreer>;

// fnmatch counts characters by LC_CTYPE; under C.UTF-8 "?" takes a whole UTF-8 character and case is
// folded beyond ASCII. Switched for the calling thread only, for the length of one match.
class Utf8Matching {
public:
    Utf8Matching() {
        static const LocaleHandle utf8(::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{}));
        if (utf8) {
            m_previous = ::uselocale(utf8.get());
        }
    }
    ~Utf8Matching() {
        if (m_previous != locale_t{}) {
            ::uselocale(m_previous);
        }
    }
    Utf8Matching(const Utf8Matching&) = delete;
    Utf8Matching& operator=(const Utf8Matching&) = delete;

private:
    locale_t m_previous{};
};

// The last component of a pattern as fnmatch patterns: brackets and backslashes escaped (they are
// ordinary characters to the ANSI functions); a second pattern without a trailing ".*", which may
// match a name that has no extension.
struct Mask {
    std::string whole;
    std::string withoutExtension;
};

Mask maskOf(std::string_view component) {
    Mask mask;
    for (const char c : component) {
        if (c == '[' || c == '\\') {
            mask.whole += '\\';
        }
        mask.whole += c;
    }
    if (component.size() > 2 && component.ends_with(".*")) {
        mask.withoutExtension = mask.whole.substr(0, mask.whole.size() - 2);
    }
    return mask;
}

bool matches(const Mask& mask, const char* name) {
    const Utf8Matching locale;
    constexpr int kFlags = FNM_CASEFOLD;
    return ::fnmatch(mask.whole.c_str(), name, kFlags) == 0 ||
           (!mask.withoutExtension.empty() && ::fnmatch(mask.withoutExtension.c_str(), name, kFlags) == 0);
}

}  // namespace

class FindHandles::Search {
public:
    Search(DirStream stream, Mask mask) : m_stream(std::move(stream)), m_mask(std::move(mask)) {}

    // The next entry that matches and fits the record.
    bool next(FindRecord& record) {
        while (const dirent* entry = ::readdir(m_stream.get())) {
            if (matches(m_mask, entry->d_name) && fillRecord(entry->d_name, record)) {
                return true;
            }
        }
        return false;
    }

private:
    DirStream m_stream;
    Mask m_mask;
};

FindHandles::FindHandles() = default;
FindHandles::~FindHandles() = default;

std::int32_t FindHandles::findFirst(std::string_view pattern, FindRecord& record) {
    const Cp932Text ansi = toCp932(pattern);
    if (ansi.unmapped > 0) {
        return -1;
    }
    // What the ANSI function makes of its bytes: best-fit characters arrive as their code page twins.
    std::string seen;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(ansi.bytes.data());
    AnsiBytesToString(seen, {bytes, ansi.bytes.size()}, static_cast<std::int32_t>(ansi.bytes.size()) - 1);

    const std::size_t slash = seen.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : seen.substr(0, slash);
    const std::string_view component =
        slash == std::string::npos ? std::string_view(seen) : std::string_view(seen).substr(slash + 1);
    if (component.empty()) {
        return -1;
    }
    DirStream stream(::opendir(directory.c_str()));
    if (!stream) {
        return -1;
    }
    auto search = std::make_unique<Search>(std::move(stream), maskOf(component));
    if (!search->next(record)) {
        return -1;
    }
    auto free = std::find(m_searches.begin(), m_searches.end(), nullptr);
    if (free == m_searches.end()) {
        free = m_searches.insert(free, nullptr);
    }
    *free = std::move(search);
    return static_cast<std::int32_t>(free - m_searches.begin()) + 1;
}

bool FindHandles::findNext(std::int32_t handle, FindRecord& record) {
    Search* search = searchOf(handle);
    return search != nullptr && search->next(record);
}

bool FindHandles::findClose(std::int32_t handle) {
    if (searchOf(handle) == nullptr) {
        return false;
    }
    m_searches[static_cast<std::size_t>(handle) - 1].reset();
    return true;
}

std::size_t FindHandles::openCount() const noexcept {
    return static_cast<std::size_t>(std::count_if(m_searches.begin(), m_searches.end(),
                                                  [](const auto& search) { return search != nullptr; }));
}

bool FindHandles::fillRecord(std::string_view rawName, FindRecord& record) {
    const Cp932Text ansi = toCp932(rawName);
    if (ansi.bytes.size() >= FindRecord::kNameBytes) {
        return false;
    }
    record = FindRecord{};
    std::memcpy(record.cFileName.data(), ansi.bytes.data(), ansi.bytes.size());
    return true;
}

FindHandles::Search* FindHandles::searchOf(std::int32_t handle) const noexcept {
    if (handle < 1 || static_cast<std::size_t>(handle) > m_searches.size()) {
        return nullptr;
    }
    return m_searches[static_cast<std::size_t>(handle) - 1].get();
}

}  // namespace trelmark::util
