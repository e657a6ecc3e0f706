#include "survey/SurveyRun.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "fs/Drive.h"
#include "fs/FileCollection.h"
#include "fs/FolderCollection.h"
#include "survey/NumberFormat.h"
#include "util/DisplayName.h"
#include "util/Version.h"

namespace trelmark::survey {

namespace {

constexpr std::string_view kAllFiles = "ALL FILES";
constexpr std::string_view kOwnFiles = ".";
constexpr std::string_view kFailurePrefix = "異常なディレクトリがありました「";
constexpr std::string_view kFailureSuffix = "」";
constexpr std::string_view kSystemVolumeInformation = ":\\System Volume Information";

enum Column { ColumnName, ColumnSize, ColumnTotal, ColumnUsed, ColumnFiles, ColumnDirs };
constexpr int kAllFilesRow = 1;
constexpr int kOwnFilesRow = 2;
constexpr int kFirstSubFolderRow = 3;

std::string upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

// Adds a sub-directory's size to the sum of everything measured; a sum that saturates is no longer exact.
void addToSum(fs::Figure& sum, fs::Figure size) {
    const bool exact = fs::addSaturating(sum.value, size.value);
    sum.complete = sum.complete && size.complete && exact;
}

}  // namespace

SurveyRun::SurveyRun(ProgramState& state, SurveyView& view, FolderTally& tally, const SurveyOptions& options,
                     std::function<void()> yield)
    : m_state(state), m_view(view), m_tally(tally), m_options(options), m_yield(std::move(yield)) {}

void SurveyRun::perform(bool countFiles) {
    m_countFiles = countFiles;
    if (writeDriveLabels()) {
        m_surveyedPath = m_view.directoryPath();
        if (!m_tally.GetFolderObject(m_surveyedPath, m_folder)) {
            m_view.lookupFailed(LookupStep::Folder, m_surveyedPath, m_tally.lastError());
        } else {
            m_view.InitGrid();
            m_view.currentDirectory(m_surveyedPath);
            if (writeAllFilesRow() == Flow::Continue && writeOwnFilesRow() == Flow::Continue &&
                subFolderCount() > 0 && sizePass() == Flow::Continue) {
                if (m_ownFilesSized) {
                    m_view.setCell(kOwnFilesRow, ColumnUsed, shareCell(m_ownFilesSize, m_sumSize));
                }
                sharePass();
            }
            if (m_options.problemLimit > 0) {
                m_view.surveyProblems(m_folder->problems(m_options.problemLimit));
            }
        }
    }
    m_folder.reset();
    m_state.flagRunning = false;
}

bool SurveyRun::writeDriveLabels() {
    const std::string path = m_view.directoryPath();
    const std::string spec = m_options.pathStyle == util::PathStyle::Backslash
                                 ? util::GetPathRoot(path, m_options.pathStyle)
                                 : path;
    std::unique_ptr<fs::Drive> drive;
    if (!m_tally.GetDriveObject(spec, drive)) {
        m_view.lookupFailed(LookupStep::Drive, spec, m_tally.lastError());
        return false;
    }
    // A drive whose figures cannot be read is as good as one that cannot be found: nothing is written.
    const auto total = drive->TotalSize();
    const auto available = total ? drive->AvailableSpace() : util::Result<std::uint64_t>(total.error());
    if (!available) {
        m_view.lookupFailed(LookupStep::Drive, spec, available.error());
        return false;
    }
    m_driveTotalSize = fs::Figure{total.value(), true};
    m_view.setDriveTotalSize(countCell(m_driveTotalSize));
    m_view.setDriveAvailableSpace(countCell(fs::Figure{available.value(), true}));
    return true;
}

SurveyRun::Flow SurveyRun::writeAllFilesRow() {
    auto subFolders = m_folder->SubFolders();
    const auto count =
        subFolders ? subFolders.value()->Count() : util::Result<std::uint64_t>(subFolders.error());
    if (!count) {
        static_cast<void>(failed(m_surveyedPath));
        return Flow::End;
    }
    m_rows = static_cast<int>(std::min<std::uint64_t>(count.value(), INT_MAX - kFirstSubFolderRow));
    m_view.setRowCount(m_rows + kFirstSubFolderRow);
    m_view.setCell(kAllFilesRow, ColumnName, textCell(kAllFiles));

    std::uint64_t rootSize = 0;
    bool root = false;
    if (!isDriveRoot(*m_folder, rootSize, root)) {
        return failed(m_surveyedPath);
    }
    fs::Figure size{rootSize, true};
    if (!root) {
        const auto measured = m_folder->Size();
        if (!measured) {
            return failed(m_surveyedPath);
        }
        size = measured.value();
    }
    m_view.setCell(kAllFilesRow, ColumnSize, countCell(size));
    m_view.setCell(kAllFilesRow, ColumnTotal, shareCell(size, m_driveTotalSize));
    if (m_countFiles) {
        std::uint64_t files = 0;
        std::uint64_t directories = 0;
        // A failure here shows no message: the row shows the counts that were reached.
        const bool counted = m_tally.CountFolderTree(m_surveyedPath, files, directories);
        writeCounts(kAllFilesRow, files, directories, counted && size.complete);
    }
    return Flow::Continue;
}

SurveyRun::Flow SurveyRun::writeOwnFilesRow() {
    m_view.setCell(kOwnFilesRow, ColumnName, textCell(kOwnFiles));
    auto files = m_folder->Files();
    if (!files) {
        return failed(m_surveyedPath);
    }
    const auto count = files.value()->Count();
    // The sizes come with the listing: summing them here would read the directory a second time.
    const auto size = count ? files.value()->totalSize() : util::Result<fs::Figure>(count.error());
    if (!size) {
        return failed(m_surveyedPath);
    }
    m_view.setCell(kOwnFilesRow, ColumnSize, countCell(size.value()));
    m_view.setCell(kOwnFilesRow, ColumnTotal, shareCell(size.value(), m_driveTotalSize));
    if (m_countFiles) {
        writeCounts(kOwnFilesRow, count.value(), static_cast<std::uint64_t>(m_rows), size->complete);
    }
    m_ownFilesSize = size.value();
    m_ownFilesSized = true;
    m_sumSize = size.value();
    return Flow::Continue;
}

std::uint64_t SurveyRun::subFolderCount() {
    auto subFolders = m_folder->SubFolders();
    const auto count =
        subFolders ? subFolders.value()->Count() : util::Result<std::uint64_t>(subFolders.error());
    if (!count) {
        static_cast<void>(failed(m_surveyedPath));
        return 0;
    }
    return count.value();
}

SurveyRun::Flow SurveyRun::sizePass() {
    auto subFolders = m_folder->SubFolders();
    if (!subFolders) {
        return failed(m_surveyedPath);
    }
    for (int rowIndex = 1;; ++rowIndex) {
        auto subFolder = subFolders.value()->next();
        if (!subFolder) {
            return failed(m_surveyedPath);
        }
        if (subFolder.value() == nullptr) {
            break;
        }
        m_yield();
        // Both flags stay as they are: the share pass sees the stop at its first check.
        // A sub-directory that appeared after the grid was sized gets no row, and no part of the sum.
        if (m_state.flagCancel || rowIndex > m_rows) {
            break;
        }
        if (sizeRow(rowIndex, *subFolder.value()) == Flow::End) {
            return Flow::End;
        }
    }
    return Flow::Continue;
}

SurveyRun::Flow SurveyRun::sizeRow(int rowIndex, fs::Folder& subFolder) {
    const int row = rowIndex + 2;
    const std::string path = subFolder.Path();
    const std::string name = subFolder.Name();
    m_view.currentDirectory(path);
    m_view.setCell(row, ColumnName, nameCell(name));
    m_rowNames.push_back(name);

    fs::Figure size{0, true};
    if (!isSystemVolumeInformation(path)) {
        const auto measured = subFolder.Size();
        if (!measured) {
            return failed(path);
        }
        size = measured.value();
        addToSum(m_sumSize, size);
    }
    m_view.setCell(row, ColumnSize, countCell(size));
    m_view.setCell(row, ColumnTotal, shareCell(size, m_driveTotalSize));
    if (m_countFiles) {
        std::uint64_t files = 0;
        std::uint64_t directories = 0;
        const bool counted = m_tally.CountFolderTree(path, files, directories);
        if (!counted && !m_state.flagCancel) {
            return failed(path);
        }
        writeCounts(row, files, directories, counted && size.complete);
    }
    return Flow::Continue;
}

void SurveyRun::sharePass() {
    auto subFolders = m_folder->SubFolders();
    if (!subFolders) {
        static_cast<void>(failed(m_surveyedPath));
        return;
    }
    const int sizedRows = static_cast<int>(m_rowNames.size());
    for (int rowIndex = 1;; ++rowIndex) {
        auto subFolder = subFolders.value()->next();
        if (!subFolder) {
            static_cast<void>(failed(m_surveyedPath));
            return;
        }
        if (subFolder.value() == nullptr) {
            return;
        }
        m_yield();
        if (m_state.flagCancel) {
            m_state.flagCancel = false;
            m_state.flagRunning = false;
            return;
        }
        if (rowIndex > sizedRows) {
            return;
        }
        fs::Folder& folder = *subFolder.value();
        // The component promises the same order every time; should it ever differ, a share goes to no row
        // rather than to another directory's.
        if (folder.Name() != m_rowNames[static_cast<std::size_t>(rowIndex - 1)]) {
            continue;
        }
        const std::string path = folder.Path();
        fs::Figure size{0, true};
        if (!isSystemVolumeInformation(path)) {
            const auto measured = folder.Size();
            if (!measured) {
                if (failed(path) == Flow::End) {
                    return;
                }
                continue;
            }
            size = measured.value();
        }
        m_view.setCell(rowIndex + 2, ColumnUsed, shareCell(size, m_sumSize));
    }
}

bool SurveyRun::isDriveRoot(fs::Folder& folder, std::uint64_t& rootSize, bool& root) {
    auto drive = folder.Drive();
    auto rootFolder =
        drive ? drive.value()->RootFolder() : util::Result<std::unique_ptr<fs::Folder>>(drive.error());
    if (!rootFolder) {
        return false;
    }
    std::string path = folder.Path();
    std::string rootPath = rootFolder.value()->Path();
    if (m_options.pathStyle == util::PathStyle::Backslash) {
        path = upperAscii(std::move(path));
        rootPath = upperAscii(std::move(rootPath));
    }
    root = path == rootPath;
    if (root) {
        const auto total = drive.value()->TotalSize();
        if (!total) {
            return false;
        }
        rootSize = total.value();
    }
    return true;
}

bool SurveyRun::isSystemVolumeInformation(std::string_view path) const {
    return m_options.pathStyle == util::PathStyle::Backslash &&
           path.find(kSystemVolumeInformation) != std::string_view::npos;
}

SurveyRun::Flow SurveyRun::failed(std::string_view path) {
    if (m_state.flagCancel) {
        return Flow::Continue;
    }
    std::string text(kFailurePrefix);
    text += util::displayName(path);
    text += kFailureSuffix;
    m_view.showMessage(util::kProgramTitle, text);
    return Flow::End;
}

void SurveyRun::writeCounts(int row, std::uint64_t files, std::uint64_t directories, bool complete) {
    m_view.setCell(row, ColumnFiles, countCell(fs::Figure{files, complete}));
    m_view.setCell(row, ColumnDirs, countCell(fs::Figure{directories, complete}));
}

}  // namespace trelmark::survey
