// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "fs/Figure.h"
#include "fs/RowTally.h"
#include "survey/SurveyRow.h"
#include "survey/SurveySink.h"

namespace trelmark::survey {

// The rows of a run while its walk goes on: ALL FILES, "." and one per sub-directory, made from the walk's
// running totals per row as soon as the surveyed directory is listed. Their figures grow, marked as lower
// bounds until a row's subtree is done; the sink gets them at once, then only the rows that changed, at
// most once per interval, so that a front end's event loop never waits on them.
//
// Writes into the run's rows (which the run keeps writing once the walk has ended) and borrows the sink.
// Thread: the run's, inside the walk's progress handler. Errors: none.
class GrowingRows {
public:
    struct Setting {
        bool countFiles = false;
        fs::Figure driveTotalSize;
        // The drive's total size when the surveyed directory is a drive's root (what ALL FILES shows there).
        std::optional<std::uint64_t> rootSize;
        std::chrono::milliseconds interval{250};
    };
    GrowingRows(SurveySink& sink, std::vector<SurveyRow>& rows, const Setting& setting);

    // Takes in what the walk reports; the first report with rows makes them.
    void update(const fs::RowTally& tally);
    // The rows the sink was sized for, ALL FILES and "." included; 0 before the first rows.
    [[nodiscard]] int rowCount() const noexcept { return m_rowCount; }

private:
    void show(std::size_t index, const SurveyRow& next);
    [[nodiscard]] SurveyRow figuresOf(SurveyRow row, const fs::RowFigures& figures) const;

    SurveySink& m_sink;
    std::vector<SurveyRow>& m_rows;
    Setting m_setting;
    std::vector<fs::RowFigures> m_readings;
    int m_rowCount = 0;
    std::chrono::steady_clock::time_point m_last;
};

}  // namespace trelmark::survey
