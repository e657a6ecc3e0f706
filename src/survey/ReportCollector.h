// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "survey/ReportData.h"
#include "survey/SurveySink.h"

namespace trelmark::survey {

// The one assembly of a survey's ReportData, for every front end that prints or saves one: it stands between
// the engine and the front end's own sink, records each call into the data and passes it on unchanged.
// Two surveys are kept: the run under way (or last made), and the one whose rows are on show, which a run
// replaces only once it clears the rows (a run that finds nothing to survey leaves the earlier rows on show).
//
// Borrows the sink it passes calls to. Thread: the engine's. Errors: none; it only records.
class ReportCollector final : public SurveySink {
public:
    // Whether the data keeps the walk behind the rows (ReportData::tree). A kept walk keeps its snapshot
    // alive, and the component answers later lookups inside it from memory: a front end that surveys again
    // and again must not keep it.
    enum class Walk { Keep, Drop };

    ReportCollector(SurveySink& next, Walk walk) noexcept : m_next(next), m_walk(walk) {}

    // A run about `target` (raw bytes) is about to begin; `counted` says whether it counts files.
    void begin(std::string target, bool counted);
    // The run under way, or the last one.
    [[nodiscard]] const ReportData& current() const noexcept { return m_current; }
    // The survey whose rows are on show.
    [[nodiscard]] const ReportData& shown() const noexcept { return m_rowsCleared ? m_current : m_shown; }

    void driveFigures(fs::Figure total, fs::Figure available) override;
    void clearRows() override;
    void setRowCount(int rows) override;
    void rowChanged(int index, const SurveyRow& row, Column column) override;
    void yield() override { m_next.yield(); }
    void failed(const SurveyFailure& failure) override;
    void lookupFailed(LookupStep step, std::string_view path, std::error_code error) override;
    void walkProgress(const fs::WalkProgress& progress) override { m_next.walkProgress(progress); }
    void currentDirectory(std::string_view path) override { m_next.currentDirectory(path); }
    void surveyProblems(const std::vector<fs::Problem>& problems) override;
    void surveyTree(const fs::WalkedTree& tree) override;
    void surveyEnded(SurveyEnd end) override;

private:
    SurveySink& m_next;
    Walk m_walk;
    ReportData m_current;
    ReportData m_shown;
    bool m_rowsCleared = false;
};

}  // namespace trelmark::survey
