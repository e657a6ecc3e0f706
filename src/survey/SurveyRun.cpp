// SPDX-License-Identifier: MIT
#include "survey/SurveyRun.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/FolderCollection.h"
#include "survey/AsideCall.h"
#include "survey/NumberFormat.h"

namespace trelmark::survey {

namespace {

constexpr std::string_view kAllFiles = "ALL FILES";
constexpr std::string_view kOwnFiles = ".";

constexpr std::size_t kAllFilesRow = 0;
constexpr std::size_t kOwnFilesRow = 1;
constexpr std::size_t kFirstSubFolderRow = 2;

util::Result<std::uint64_t> countOf(util::Result<std::unique_ptr<fs::FolderCollection>> subFolders) {
    return subFolders.andThen([](const auto& collection) { return collection->Count(); });
}

// Adds a sub-directory's size to the sum of everything measured; a sum that saturates is no longer exact.
void addToSum(fs::Figure& sum, fs::Figure size) {
    const bool exact = fs::addSaturating(sum.value, size.value);
    sum.complete = sum.complete && size.complete && exact;
}

}  // namespace

SurveyRun::SurveyRun(RunState& runState, SurveySink& sink, FolderTally& tally, const SurveyOptions& options,
                     std::function<void()> yield, std::function<void()> yieldWhileWaiting)
    : m_runState(runState),
      m_sink(sink),
      m_tally(tally),
      m_options(options),
      m_rules(options.pathStyle),
      m_yield(std::move(yield)),
      m_yieldWhileWaiting(std::move(yieldWhileWaiting)) {}

SurveyEnd SurveyRun::perform(std::string_view path, bool countFiles) {
    m_countFiles = countFiles;
    m_surveyedPath = std::string(path);
    if (!writeDriveLabels()) {
        return m_runState.stopPending() ? SurveyEnd::Completed : SurveyEnd::NotFound;
    }
    if (!m_tally.GetFolderObject(m_surveyedPath, m_folder, waiting())) {
        if (m_runState.stopPending()) {
            return SurveyEnd::Completed;  // stopped while the lookup had no answer: no rows, no message
        }
        m_sink.lookupFailed(LookupStep::Folder, m_surveyedPath, m_tally.lastError());
        return SurveyEnd::NotFound;
    }
    m_dir = m_folder.get();
    return surveyFolder();
}

SurveyEnd SurveyRun::revisit(fs::Folder& folder, const DriveFacts& drive, bool walkRoot, bool countFiles) {
    m_countFiles = countFiles;
    m_revisit = true;
    m_walkRoot = walkRoot;
    m_dir = &folder;
    m_surveyedPath = folder.Path();
    m_drive = drive;
    m_driveTotalSize = drive.total;
    m_sink.driveFigures(drive.total, drive.available);
    return surveyFolder();
}

SurveyEnd SurveyRun::surveyFolder() {
    m_sink.clearRows();
    m_sink.currentDirectory(m_surveyedPath);
    m_rows.resize(kFirstSubFolderRow);
    m_rows[kAllFilesRow].kind = RowKind::AllFiles;
    m_rows[kAllFilesRow].name = kAllFiles;
    m_rows[kOwnFilesRow].kind = RowKind::OwnFiles;
    m_rows[kOwnFilesRow].name = kOwnFiles;
    decideRootRule();
    m_growing = std::make_unique<GrowingRows>(
        m_sink, m_rows,
        GrowingRows::Setting{m_countFiles, m_driveTotalSize, m_rootSize, m_options.rowInterval});
    if (writeAllFilesRow() == Flow::Continue && writeOwnFilesRow() == Flow::Continue &&
        subFolderCount() > 0 && sizePass() == Flow::Continue) {
        if (m_ownFilesSized) {
            const fs::Figure ownFiles = *m_rows[kOwnFilesRow].bytes;
            write(kOwnFilesRow, Column::UsedShare, &SurveyRow::usedShare, shareBetween(ownFiles, m_sumSize));
        }
        sharePass();
    }
    if (m_options.problemLimit > 0) {
        m_sink.surveyProblems(m_dir->problems(m_options.problemLimit));
    }
    if (const fs::WalkedTree tree = m_dir->walkedTree(); tree.snapshot) {
        m_sink.surveyTree(tree);
    }
    return m_end;
}

void SurveyRun::walkProgress(const fs::WalkProgress& progress) {
    if (progress.rows != nullptr && m_growing != nullptr) {
        m_growing->update(*progress.rows);
    }
}

void SurveyRun::decideRootRule() {
    if (m_revisit) {
        // Inside a walk only its own start can be a drive's root: the walk never crosses a mount.
        m_rootSize = m_walkRoot ? m_drive.rootSize : std::nullopt;
        return;
    }
    const auto root = driveRootSize(*m_dir);
    if (!root) {
        m_rootRuleError = root.error();
        return;
    }
    m_rootSize = root.value();
    if (m_rootSize) {
        m_drive.rootSize = m_rootSize;
    }
}

std::function<bool()> SurveyRun::waiting() {
    return [this] {
        m_yieldWhileWaiting();
        return !m_runState.stopPending();
    };
}

bool SurveyRun::writeDriveLabels() {
    const std::string& path = m_surveyedPath;
    const std::string spec = m_rules.driveSpec(path);
    std::unique_ptr<fs::Drive> drive;
    if (!m_tally.GetDriveObject(spec, drive, waiting())) {
        if (!m_runState.stopPending()) {
            m_sink.lookupFailed(LookupStep::Drive, spec, m_tally.lastError());
        }
        return false;
    }
    // A drive whose figures cannot be read is as good as one that cannot be found: nothing is written.
    const auto figures = callAside(
        [drive = std::shared_ptr<fs::Drive>(std::move(drive))] {
            const auto total = drive->TotalSize();
            return std::pair(total,
                             total ? drive->AvailableSpace() : util::Result<std::uint64_t>(total.error()));
        },
        waiting());
    if (!figures) {
        return false;  // stopped while the drive did not answer
    }
    const auto& [total, available] = *figures;
    if (!available) {
        m_sink.lookupFailed(LookupStep::Drive, spec, available.error());
        return false;
    }
    m_driveTotalSize = fs::Figure{total.value(), true};
    m_drive.total = m_driveTotalSize;
    m_drive.available = fs::Figure{available.value(), true};
    m_sink.driveFigures(m_drive.total, m_drive.available);
    return true;
}

SurveyRun::Flow SurveyRun::writeAllFilesRow() {
    const auto count = countOf(m_dir->SubFolders());
    if (!count) {
        static_cast<void>(failed(FailedStep::SubDirectories, m_surveyedPath, count.error()));
        return Flow::End;
    }
    m_subRows =
        static_cast<std::size_t>(std::min<std::uint64_t>(count.value(), INT_MAX - kFirstSubFolderRow));
    // The growing rows were sized from the same listing; a directory that vanished while the walk ran
    // has no row in the end.
    const int rowCount = static_cast<int>(m_subRows + kFirstSubFolderRow);
    if (rowCount != m_growing->rowCount()) {
        m_sink.setRowCount(rowCount);
        m_rows.resize(std::min(m_rows.size(), m_subRows + kFirstSubFolderRow));
    }
    m_sink.rowChanged(kAllFilesRow, m_rows[kAllFilesRow], Column::Name);

    if (m_rootRuleError) {
        return failed(FailedStep::Drive, m_surveyedPath, *m_rootRuleError);
    }
    const std::optional<std::uint64_t> rootSize = m_rootSize;
    // The window shows a drive's total size for its root; the measured size travels beside it. At a root it
    // costs no I/O (the walk has answered it) and a failure there only leaves it out.
    const auto measured = m_dir->Size();
    if (measured) {
        m_rows[kAllFilesRow].measuredBytes = measured.value();
    } else if (!rootSize) {
        return failed(FailedStep::Size, m_surveyedPath, measured.error());
    }
    const fs::Figure size = rootSize ? fs::Figure{*rootSize, true} : measured.value();
    write(kAllFilesRow, Column::Size, &SurveyRow::bytes, size);
    write(kAllFilesRow, Column::TotalShare, &SurveyRow::totalShare, shareBetween(size, m_driveTotalSize));
    if (m_countFiles) {
        std::uint64_t files = 0;
        std::uint64_t directories = 0;
        // A failure here shows no message: the row shows the counts that were reached.
        const bool counted = countBelow(m_surveyedPath, *m_dir, files, directories);
        writeCounts(kAllFilesRow, files, directories, counted && size.complete);
    }
    return Flow::Continue;
}

SurveyRun::Flow SurveyRun::writeOwnFilesRow() {
    m_sink.rowChanged(kOwnFilesRow, m_rows[kOwnFilesRow], Column::Name);
    auto files = m_dir->Files();
    const auto count = files.andThen([](const auto& collection) { return collection->Count(); });
    // The sizes come with the listing: summing them here would read the directory a second time.
    const auto size = count.andThen([&files](std::uint64_t) { return files.value()->totalSize(); });
    if (!size) {
        return failed(FailedStep::Files, m_surveyedPath, size.error());
    }
    write(kOwnFilesRow, Column::Size, &SurveyRow::bytes, size.value());
    write(kOwnFilesRow, Column::TotalShare, &SurveyRow::totalShare,
          shareBetween(size.value(), m_driveTotalSize));
    if (m_countFiles) {
        writeCounts(kOwnFilesRow, count.value(), static_cast<std::uint64_t>(m_subRows), size->complete);
    }
    m_ownFilesSized = true;
    m_sumSize = size.value();
    return Flow::Continue;
}

std::uint64_t SurveyRun::subFolderCount() {
    const auto count = countOf(m_dir->SubFolders());
    if (!count) {
        static_cast<void>(failed(FailedStep::SubDirectories, m_surveyedPath, count.error()));
        return 0;
    }
    return count.value();
}

SurveyRun::Flow SurveyRun::sizePass() {
    auto subFolders = m_dir->SubFolders();
    if (!subFolders) {
        return failed(FailedStep::SubDirectories, m_surveyedPath, subFolders.error());
    }
    std::size_t index = kFirstSubFolderRow;
    for (;; ++index) {
        auto subFolder = subFolders.value()->next();
        if (!subFolder) {
            return failed(FailedStep::SubDirectories, m_surveyedPath, subFolder.error());
        }
        if (subFolder.value() == nullptr) {
            break;
        }
        m_yield();
        // A stop stays pending, for the share pass to see at its first check; until then every row the
        // walk reached is written with what it learnt (the rows read memory only).
        // A sub-directory that appeared after the rows were counted gets no row, and no part of the sum.
        if (index >= m_subRows + kFirstSubFolderRow) {
            break;
        }
        if (sizeRow(index, *subFolder.value()) == Flow::End) {
            return Flow::End;
        }
    }
    // A growing row whose directory the finished walk no longer has keeps no figures.
    for (; index < m_rows.size(); ++index) {
        m_rows[index] = SurveyRow{};
        m_sink.rowChanged(static_cast<int>(index), m_rows[index], Column::Name);
    }
    return Flow::Continue;
}

SurveyRun::Flow SurveyRun::sizeRow(std::size_t index, fs::Folder& subFolder) {
    const std::string path = subFolder.Path();
    m_sink.currentDirectory(path);
    const SurveyRow& row = subFolderRow(index, subFolder.Name());
    m_sink.rowChanged(static_cast<int>(index), row, Column::Name);

    fs::Figure size{0, true};
    if (!m_rules.skipsMeasuring(path)) {
        const auto measured = subFolder.Size();
        if (!measured) {
            return failed(FailedStep::Size, path, measured.error());
        }
        size = measured.value();
        addToSum(m_sumSize, size);
    }
    write(index, Column::Size, &SurveyRow::bytes, size);
    write(index, Column::TotalShare, &SurveyRow::totalShare, shareBetween(size, m_driveTotalSize));
    if (m_countFiles) {
        std::uint64_t files = 0;
        std::uint64_t directories = 0;
        const bool counted = countBelow(path, subFolder, files, directories);
        if (!counted && !m_runState.stopPending()) {
            // Counts that grew during the walk give way to what the tally reached before it failed.
            if (m_rows[index].files) {
                writeCounts(index, files, directories, false);
            }
            return failed(FailedStep::Count, path, m_tally.lastError());
        }
        writeCounts(index, files, directories, counted && size.complete);
    }
    return Flow::Continue;
}

void SurveyRun::sharePass() {
    auto subFolders = m_dir->SubFolders();
    if (!subFolders) {
        static_cast<void>(failed(FailedStep::SubDirectories, m_surveyedPath, subFolders.error()));
        return;
    }
    for (std::size_t index = kFirstSubFolderRow;; ++index) {
        auto subFolder = subFolders.value()->next();
        if (!subFolder) {
            static_cast<void>(failed(FailedStep::SubDirectories, m_surveyedPath, subFolder.error()));
            return;
        }
        if (subFolder.value() == nullptr) {
            return;
        }
        m_yield();
        if (m_runState.stopPending()) {
            m_runState.takeStop();
            return;
        }
        if (index >= m_rows.size()) {
            return;
        }
        fs::Folder& folder = *subFolder.value();
        // The component promises the same order every time; should it ever differ, a share goes to no row
        // rather than to another directory's.
        if (folder.Name() != m_rows[index].name) {
            continue;
        }
        const std::string path = folder.Path();
        fs::Figure size{0, true};
        if (!m_rules.skipsMeasuring(path)) {
            const auto measured = folder.Size();
            if (!measured) {
                if (failed(FailedStep::Size, path, measured.error()) == Flow::End) {
                    return;
                }
                continue;
            }
            size = measured.value();
        }
        write(index, Column::UsedShare, &SurveyRow::usedShare, shareBetween(size, m_sumSize));
    }
}

util::Result<std::optional<std::uint64_t>> SurveyRun::driveRootSize(fs::Folder& folder) {
    using RootSize = util::Result<std::optional<std::uint64_t>>;
    // Looked up aside, as the drive of the labels: finding a path's drive opens the path.
    const std::string path = folder.Path();
    std::unique_ptr<fs::Drive> drive;
    if (!m_tally.GetDriveObject(path, drive, waiting())) {
        return m_tally.lastError();
    }
    const auto rootPath =
        drive->RootFolder().andThen([](const auto& root) { return util::Result<std::string>(root->Path()); });
    if (!rootPath) {
        return rootPath.error();
    }
    if (!m_rules.samePath(path, rootPath.value())) {
        return RootSize(std::nullopt);
    }
    // The root's size is the drive's total, read with the labels' figures: no second call on the drive.
    return RootSize(m_driveTotalSize.value);
}

SurveyRun::Flow SurveyRun::failed(FailedStep step, std::string_view path, std::error_code error) {
    if (m_runState.stopPending()) {
        return Flow::Continue;
    }
    m_end = SurveyEnd::Failed;
    m_sink.failed(SurveyFailure{step, std::string(path), error});
    return Flow::End;
}

bool SurveyRun::countTree(std::string_view path, fs::Folder& folder, std::uint64_t& files,
                          std::uint64_t& directories) {
    return m_revisit ? m_tally.CountFolderTree(folder, files, directories)
                     : m_tally.CountFolderTree(path, files, directories);
}

bool SurveyRun::countBelow(std::string_view path, fs::Folder& folder, std::uint64_t& files,
                           std::uint64_t& directories) {
    if (!m_runState.stopPending() && countTree(path, folder, files, directories)) {
        return true;
    }
    const auto reached = m_runState.stopPending() ? folder.reachedTreeCount() : std::nullopt;
    if (!reached) {
        return false;  // the counts stand as far as the tally got
    }
    files = reached->files;
    directories = reached->directories;
    return reached->complete;
}

SurveyRow& SurveyRun::subFolderRow(std::size_t index, std::string name) {
    if (m_rows.size() <= index) {
        m_rows.resize(index + 1);
    }
    SurveyRow& row = m_rows[index];
    if (row.name != name || row.kind != RowKind::SubDirectory) {
        row = SurveyRow{};
        row.kind = RowKind::SubDirectory;
        row.name = std::move(name);
    }
    return row;
}

void SurveyRun::writeCounts(std::size_t index, std::uint64_t files, std::uint64_t directories,
                            bool complete) {
    write(index, Column::Files, &SurveyRow::files, fs::Figure{files, complete});
    write(index, Column::Dirs, &SurveyRow::dirs, fs::Figure{directories, complete});
}

template <typename Value>
void SurveyRun::write(std::size_t index, Column column, std::optional<Value> SurveyRow::*figure,
                      Value value) {
    SurveyRow& row = m_rows[index];
    row.*figure = value;
    m_sink.rowChanged(static_cast<int>(index), row, column);
}

}  // namespace trelmark::survey
