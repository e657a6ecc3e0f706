// SPDX-License-Identifier: MIT
#include "survey/SurveyRun.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/FolderCollection.h"
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
                     std::function<void()> yield)
    : m_runState(runState),
      m_sink(sink),
      m_tally(tally),
      m_options(options),
      m_rules(options.pathStyle),
      m_yield(std::move(yield)) {}

SurveyEnd SurveyRun::perform(std::string_view path, bool countFiles) {
    m_countFiles = countFiles;
    m_surveyedPath = std::string(path);
    if (!writeDriveLabels()) {
        return SurveyEnd::NotFound;
    }
    if (!m_tally.GetFolderObject(m_surveyedPath, m_folder)) {
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

bool SurveyRun::writeDriveLabels() {
    const std::string& path = m_surveyedPath;
    const std::string spec = m_rules.driveSpec(path);
    std::unique_ptr<fs::Drive> drive;
    if (!m_tally.GetDriveObject(spec, drive)) {
        m_sink.lookupFailed(LookupStep::Drive, spec, m_tally.lastError());
        return false;
    }
    // A drive whose figures cannot be read is as good as one that cannot be found: nothing is written.
    const auto total = drive->TotalSize();
    const auto available = total.andThen([&drive](std::uint64_t) { return drive->AvailableSpace(); });
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
    m_sink.setRowCount(static_cast<int>(m_subRows + kFirstSubFolderRow));
    m_sink.rowChanged(kAllFilesRow, m_rows[kAllFilesRow], Column::Name);

    // Inside a walk only its own start can be a drive's root: the walk never crosses a mount.
    std::optional<std::uint64_t> rootSize = m_walkRoot ? m_drive.rootSize : std::nullopt;
    if (!m_revisit) {
        const auto root = driveRootSize(*m_dir);
        if (!root) {
            return failed(FailedStep::Drive, m_surveyedPath, root.error());
        }
        rootSize = root.value();
        if (rootSize) {
            m_drive.rootSize = rootSize;
        }
    }
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
        const bool counted = countTree(m_surveyedPath, *m_dir, files, directories);
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
    for (std::size_t index = kFirstSubFolderRow;; ++index) {
        auto subFolder = subFolders.value()->next();
        if (!subFolder) {
            return failed(FailedStep::SubDirectories, m_surveyedPath, subFolder.error());
        }
        if (subFolder.value() == nullptr) {
            break;
        }
        m_yield();
        // The stop stays pending: the share pass sees it at its first check.
        // A sub-directory that appeared after the rows were counted gets no row, and no part of the sum.
        if (m_runState.stopPending() || index >= m_subRows + kFirstSubFolderRow) {
            break;
        }
        if (sizeRow(index, *subFolder.value()) == Flow::End) {
            return Flow::End;
        }
    }
    return Flow::Continue;
}

SurveyRun::Flow SurveyRun::sizeRow(std::size_t index, fs::Folder& subFolder) {
    const std::string path = subFolder.Path();
    m_sink.currentDirectory(path);
    SurveyRow& row = m_rows.emplace_back();
    row.kind = RowKind::SubDirectory;
    row.name = subFolder.Name();
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
        const bool counted = countTree(path, subFolder, files, directories);
        if (!counted && !m_runState.stopPending()) {
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

util::Result<std::optional<std::uint64_t>> SurveyRun::driveRootSize(fs::Folder& folder) const {
    using RootSize = util::Result<std::optional<std::uint64_t>>;
    auto drive = folder.Drive();
    const auto rootPath =
        drive.andThen([](const auto& found) { return found->RootFolder(); }).andThen([](const auto& root) {
            return util::Result<std::string>(root->Path());
        });
    if (!rootPath) {
        return rootPath.error();
    }
    if (!m_rules.samePath(folder.Path(), rootPath.value())) {
        return RootSize(std::nullopt);
    }
    return drive.value()->TotalSize().andThen([](std::uint64_t total) { return RootSize(total); });
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
