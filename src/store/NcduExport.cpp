// SPDX-License-Identifier: MIT
#include "store/NcduExport.h"

#include <cstring>
#include <set>
#include <string_view>
#include <utility>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include "fs/Figure.h"
#include "store/ExportStream.h"
#include "store/MemoryTree.h"
#include "store/NcduEntry.h"
#include "util/PathHelpers.h"

namespace trelmark::store {

namespace {

constexpr std::size_t kProblemLimit = 100;

// Follows the export's nesting: [major, minor, {metadata}, [{root}, {file}..., [{dir}, ...]...]].
// A directory is an array whose first member describes it; the entries follow, files as objects and
// sub-directories as arrays. Anything else is skipped where its value cannot matter, refused otherwise.
class ExportHandler final {
public:
    ExportHandler(MemoryTree& tree, const ImportChoice& choice) : m_tree(tree), m_choice(choice) {}

    [[nodiscard]] const std::string& error() const noexcept { return m_error; }
    [[nodiscard]] bool finished() const noexcept { return m_finished; }

    // RapidJSON's SAX handler: each returns false to stop the parse, with error() saying why.
    bool Null() { return scalar(NcduEntry::Value{}); }
    bool Bool(bool value) { return scalar(NcduEntry::Value{value}); }
    bool Int(int value) { return Int64(value); }
    bool Uint(unsigned value) { return Uint64(value); }
    bool Int64(std::int64_t value) {
        return value < 0 ? scalar(NcduEntry::Value{NcduEntry::Negative{}})
                         : Uint64(static_cast<std::uint64_t>(value));
    }
    bool Uint64(std::uint64_t value) { return scalar(NcduEntry::Value{value}); }
    bool Double(double) { return scalar(NcduEntry::Value{NcduEntry::Fraction{}}); }
    bool RawNumber(const char*, rapidjson::SizeType, bool) { return fail("not valid JSON (a raw number)"); }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        return scalar(NcduEntry::Value{std::string_view(text, length)});
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        m_key.assign(text, length);
        return true;
    }
    bool StartObject();
    bool EndObject(rapidjson::SizeType);
    bool StartArray();
    bool EndArray(rapidjson::SizeType);

private:
    enum class Where { Outer, Directory, Metadata, Entry, Skipped };
    struct Level {
        Where where;
        std::size_t items = 0;
        std::uint32_t node = 0;  // Directory: its record
    };

    bool scalar(const NcduEntry::Value& value);
    bool outerScalar(Level& outer, const NcduEntry::Value& value);
    bool skipsNested();
    bool enterDirectory();
    bool leaveDirectory();
    bool addEntry(const NcduEntry& entry, Level& directory);
    bool addFile(const NcduEntry& entry, DirRecord& directory);
    bool describeDirectory(const NcduEntry& entry, Level& directory);
    bool fail(std::string what) {
        if (m_error.empty()) {
            m_error = std::move(what);
        }
        return false;
    }

    MemoryTree& m_tree;
    ImportChoice m_choice;
    std::vector<Level> m_levels;
    std::vector<std::uint64_t> m_devices;  // per open directory: the device its files are on
    std::string m_key;
    NcduEntry m_entry;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_linksSeen;
    std::string m_error;
    bool m_rootSeen = false;
    bool m_finished = false;
};

bool ExportHandler::scalar(const NcduEntry::Value& value) {
    if (m_levels.empty()) {
        return fail("not an ncdu export (no array at the start)");
    }
    Level& level = m_levels.back();
    switch (level.where) {
        case Where::Outer:
            return outerScalar(level, value);
        case Where::Metadata:
        case Where::Entry:
            return m_entry.set(m_key, value) || fail(m_entry.error());
        case Where::Skipped:
            return true;
        case Where::Directory:
            break;
    }
    return fail("a directory entry that is neither an object nor an array");
}

// The version numbers that open the export.
bool ExportHandler::outerScalar(Level& outer, const NcduEntry::Value& value) {
    const std::size_t item = outer.items++;
    const auto* number = std::get_if<std::uint64_t>(&value);
    if (item == 0 && (number == nullptr || *number != 1)) {
        return fail(number != nullptr ? "an ncdu export of another major version (" +
                                            std::to_string(*number) + "; this program reads 1)"
                                      : "not an ncdu export (no version number)");
    }
    if (item == 1 && (number == nullptr || *number > 2)) {
        return fail(number != nullptr ? "an ncdu export of a later minor version (1." +
                                            std::to_string(*number) + "; this program reads 1.0 to 1.2)"
                                      : "not an ncdu export (no version number)");
    }
    return item < 2 || fail("not an ncdu export (unexpected value)");
}

// Inside an object every value belongs to a field: an object or array there is skipped whole.
bool ExportHandler::skipsNested() {
    const Where where = m_levels.back().where;
    if (where == Where::Metadata || where == Where::Entry || where == Where::Skipped) {
        m_levels.push_back({Where::Skipped});
        return true;
    }
    return false;
}

bool ExportHandler::StartObject() {
    if (m_levels.empty()) {
        return fail("not an ncdu export (no array at the start)");
    }
    if (skipsNested()) {
        return true;
    }
    Level& level = m_levels.back();
    const std::size_t item = level.items++;
    if (level.where == Where::Outer && item != 2) {
        return fail("not an ncdu export (unexpected object)");
    }
    m_entry.clear();
    m_levels.push_back({level.where == Where::Outer ? Where::Metadata : Where::Entry});
    return true;
}

bool ExportHandler::EndObject(rapidjson::SizeType) {
    const Level closed = m_levels.back();
    m_levels.pop_back();
    if (closed.where == Where::Metadata) {
        SurveyFacts& facts = m_tree.mutableFacts();
        facts.started = facts.ended = static_cast<std::int64_t>(m_entry.timestamp);
        facts.program = m_entry.program;
        return true;
    }
    if (closed.where != Where::Entry) {
        return true;
    }
    Level& directory = m_levels.back();
    return directory.items == 1 ? describeDirectory(m_entry, directory) : addEntry(m_entry, directory);
}

bool ExportHandler::StartArray() {
    if (m_levels.empty()) {
        m_levels.push_back({Where::Outer});
        return true;
    }
    if (skipsNested()) {
        return true;
    }
    Level& level = m_levels.back();
    const std::size_t item = level.items++;
    if (level.where == Where::Outer) {
        if (item != 3 || m_rootSeen) {
            return fail(item < 3 ? "not an ncdu export (no metadata before the tree)"
                                 : "not an ncdu export (more than one tree)");
        }
        m_rootSeen = true;
        return enterDirectory();
    }
    if (item == 0) {
        return fail("a directory that does not begin with its name");
    }
    return enterDirectory();
}

bool ExportHandler::EndArray(rapidjson::SizeType) {
    const Level closed = m_levels.back();
    if (closed.where == Where::Directory) {
        return leaveDirectory();
    }
    m_levels.pop_back();
    if (closed.where == Where::Outer) {
        if (!m_rootSeen) {
            return fail("not an ncdu export (no tree)");
        }
        m_finished = true;
    }
    return true;
}

bool ExportHandler::enterDirectory() {
    const bool root = m_levels.back().where == Where::Outer;
    const std::uint32_t parent = root ? 0 : m_levels.back().node;
    m_levels.push_back({Where::Directory, 0, m_tree.add(parent, {})});
    m_devices.push_back(m_devices.empty() ? 0 : m_devices.back());
    return true;
}

bool ExportHandler::describeDirectory(const NcduEntry& entry, Level& directory) {
    DirRecord& record = m_tree.at(directory.node);
    const bool root = record.parent == record.id;
    if (!entry.named) {
        return fail("a directory without a name");
    }
    if (root) {
        const std::string& path = entry.name;
        SurveyFacts& facts = m_tree.mutableFacts();
        facts.root = util::normalizePosixPath(path, "/");
        if (path.empty() || path.find('\0') != std::string::npos) {
            return fail("a surveyed directory without a usable path");
        }
    } else {
        record.name = entry.name;
        if (const std::string wrong = nameProblem(record.name); !wrong.empty()) {
            return fail(wrong);
        }
    }
    if (entry.device) {
        m_devices.back() = *entry.device;
    }
    if (entry.readError) {
        record.marks |= kMarkPartial | kMarkOwnPartial;
    }
    if (!entry.excluded.empty()) {
        return fail("a directory marked as excluded that has entries");
    }
    return true;
}

// Adds `part`'s figures to `whole`; a sum past 2^64 - 1 stays there and is marked.
void addUp(DirRecord& whole, std::uint64_t bytes, std::uint64_t files, std::uint64_t dirs) {
    const bool fits = fs::addSaturating(whole.bytes, bytes) && fs::addSaturating(whole.files, files) &&
                      fs::addSaturating(whole.dirs, dirs);
    if (!fits) {
        whole.marks |= kMarkSaturated | kMarkPartial;
    }
}

std::string pathOf(MemoryTree& tree, std::uint32_t index) {
    std::vector<std::string_view> names;
    for (std::uint32_t at = index; tree.at(at).parent != at;
         at = static_cast<std::uint32_t>(tree.at(at).parent)) {
        names.push_back(tree.at(at).name);
    }
    std::string path = tree.facts().root;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        path += (path.ends_with('/') ? "" : "/") + std::string(*name);
    }
    return path;
}

bool ExportHandler::leaveDirectory() {
    const Level closed = m_levels.back();
    m_levels.pop_back();
    m_devices.pop_back();
    if (closed.items == 0) {
        return fail("a directory that does not begin with its name");
    }
    if (!m_tree.sortChildren(closed.node)) {
        return fail("two directories of the same name in one directory");
    }
    DirRecord& record = m_tree.at(closed.node);
    if ((record.marks & kMarkOwnPartial) != 0 && closed.items == 1) {
        record.marks |= kMarkUnreadable;
    }
    if ((record.marks & kMarkOwnPartial) != 0 && m_tree.facts().problems.size() < kProblemLimit) {
        m_tree.mutableFacts().problems.push_back(
            {pathOf(m_tree, closed.node), std::make_error_code(std::errc::io_error)});
    }
    if (record.parent == record.id) {
        return true;
    }
    const DirRecord child = record;
    DirRecord& parent = m_tree.at(static_cast<std::uint32_t>(child.parent));
    addUp(parent, child.bytes, child.files, child.dirs + 1);
    parent.marks |= child.complete() ? 0U : kMarkPartial;
    return true;
}

bool ExportHandler::addEntry(const NcduEntry& entry, Level& directory) {
    if (!entry.named) {
        return fail("an entry without a name");
    }
    const std::string& name = entry.name;
    if (const std::string wrong = nameProblem(name); !wrong.empty()) {
        return fail(wrong);
    }
    if (entry.excluded == "otherfs" || entry.excluded == "othfs" || entry.excluded == "kernfs") {
        // The root of another mount: a directory, counted and not entered, as a walk treats one.
        const std::uint32_t node = m_tree.add(directory.node, name);
        m_tree.at(node).marks |= kMarkOtherMount;
        addUp(m_tree.at(directory.node), 0, 0, 1);
        return true;
    }
    DirRecord& record = m_tree.at(directory.node);
    if (!entry.excluded.empty()) {
        record.marks |= kMarkExcluded;
        return true;
    }
    return addFile(entry, record);
}

bool ExportHandler::addFile(const NcduEntry& entry, DirRecord& directory) {
    if (m_choice.hardLinksOnce && entry.inode && (entry.hardLinkCandidate || entry.links > 1)) {
        const std::uint64_t device = entry.device.value_or(m_devices.back());
        if (!m_linksSeen.emplace(device, *entry.inode).second) {
            return true;
        }
    }
    if (entry.readError) {
        directory.marks |= kMarkOwnPartial | kMarkPartial;
    }
    const std::uint64_t bytes = m_choice.diskUsage ? entry.diskSize : entry.apparentSize;
    const bool fits =
        fs::addSaturating(directory.ownBytes, bytes) && fs::addSaturating(directory.ownFiles, 1);
    if (!fits) {
        directory.marks |= kMarkOwnPartial;
    }
    addUp(directory, bytes, 1, 0);
    return true;
}

// Why a parse that ended early, or before the end of the input, is refused.
std::string refusal(const rapidjson::ParseResult& parsed, const ExportStream& input) {
    if (input.atEnd()) {
        return "truncated: the JSON ends before its last bracket";
    }
    if (!parsed.IsError()) {
        // The parser takes a NUL byte for the end of its input.
        return "not valid JSON at byte " + std::to_string(input.Tell()) + " (a NUL byte)";
    }
    std::string what = rapidjson::GetParseError_En(parsed.Code());
    if (what.ends_with('.')) {
        what.pop_back();
    }
    return "not valid JSON at byte " + std::to_string(parsed.Offset()) + " (" + what + ")";
}

}  // namespace

std::shared_ptr<StoredTree> readNcduExport(int fd, const std::string& fileName, const ImportChoice& choice,
                                           std::string& reason) {
    auto tree = std::make_shared<MemoryTree>(fileName);
    SurveyFacts& facts = tree->mutableFacts();
    facts.counts = true;
    facts.diskUsage = choice.diskUsage;
    facts.hardLinksOnce = choice.hardLinksOnce;
    ExportStream input(fd);
    ExportHandler handler(*tree, choice);
    rapidjson::Reader reader;
    // Iterative: the nesting lives on the heap, so a deep tree cannot exhaust the stack.
    const rapidjson::ParseResult parsed = reader.Parse<rapidjson::kParseIterativeFlag>(input, handler);
    if (input.readError() != 0) {
        reason = std::strerror(input.readError());
        return nullptr;
    }
    if (parsed.Code() == rapidjson::kParseErrorTermination) {
        reason = handler.error();
        return nullptr;
    }
    if (parsed.IsError() || !input.atEnd()) {
        reason = refusal(parsed, input);
        return nullptr;
    }
    if (!handler.finished()) {
        reason = handler.error().empty() ? std::string("not an ncdu export") : handler.error();
        return nullptr;
    }
    return tree;
}

}  // namespace trelmark::store
