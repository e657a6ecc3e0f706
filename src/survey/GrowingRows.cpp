// SPDX-License-Identifier: MIT
#include "survey/GrowingRows.h"

#include <climits>

#include "survey/NumberFormat.h"

namespace trelmark::survey {

namespace {

constexpr std::size_t kFirstSubFolderRow = 2;

// The figures that change while a walk runs, in the order of a run's writes.
constexpr Column kGrowing[] = {Column::Size, Column::TotalShare, Column::Files, Column::Dirs};

void add(fs::Figure& sum, fs::Figure part) {
    const bool fits = fs::addSaturating(sum.value, part.value);
    sum.complete = sum.complete && part.complete && fits;
}

bool sameIn(const SurveyRow& a, const SurveyRow& b, Column column) {
    switch (column) {
        case Column::Size:
            return a.bytes == b.bytes && a.measuredBytes == b.measuredBytes;
        case Column::TotalShare:
            return a.totalShare == b.totalShare;
        case Column::Files:
            return a.files == b.files;
        case Column::Dirs:
            return a.dirs == b.dirs;
        default:
            return true;
    }
}

}  // namespace

GrowingRows::GrowingRows(SurveySink& sink, std::vector<SurveyRow>& rows, const Setting& setting)
    : m_sink(sink), m_rows(rows), m_setting(setting) {}

void GrowingRows::update(const fs::RowTally& tally) {
    const auto now = std::chrono::steady_clock::now();
    const bool first = m_rowCount == 0;
    if (!first && now - m_last < m_setting.interval) {
        return;
    }
    m_last = now;
    const std::size_t subRows = std::min<std::size_t>(tally.size(), INT_MAX - kFirstSubFolderRow);
    if (first) {
        m_rowCount = static_cast<int>(subRows + kFirstSubFolderRow);
        m_sink.setRowCount(m_rowCount);
        m_rows.resize(kFirstSubFolderRow + subRows);
        for (std::size_t at = 0; at < subRows; ++at) {
            SurveyRow& row = m_rows[kFirstSubFolderRow + at];
            row = SurveyRow{};
            row.kind = RowKind::SubDirectory;
            row.name = tally.name(static_cast<std::uint32_t>(at));
        }
    }
    // One reading per row, so that ALL FILES is the sum of the rows shown beside it.
    m_readings.resize(subRows);
    fs::RowFigures all = tally.ownFiles();
    for (std::size_t at = 0; at < subRows; ++at) {
        m_readings[at] = tally.figures(static_cast<std::uint32_t>(at));
        add(all.bytes, m_readings[at].bytes);
        add(all.files, m_readings[at].files);
        add(all.dirs, m_readings[at].dirs);
    }
    SurveyRow whole = figuresOf(m_rows[0], all);
    whole.measuredBytes = all.bytes;
    if (m_setting.rootSize) {
        whole.bytes = fs::Figure{*m_setting.rootSize, true};
        whole.totalShare = shareBetween(*whole.bytes, m_setting.driveTotalSize);
    }
    show(0, whole);
    show(1, figuresOf(m_rows[1], tally.ownFiles()));
    for (std::size_t at = 0; at < subRows; ++at) {
        SurveyRow next = figuresOf(m_rows[kFirstSubFolderRow + at], m_readings[at]);
        if (tally.gone(static_cast<std::uint32_t>(at))) {
            // Vanished since the listing: no figures, as the finished survey shows it.
            next.bytes.reset();
            next.totalShare.reset();
            next.files.reset();
            next.dirs.reset();
        }
        show(kFirstSubFolderRow + at, next);
    }
}

SurveyRow GrowingRows::figuresOf(SurveyRow row, const fs::RowFigures& figures) const {
    row.bytes = figures.bytes;
    row.totalShare = shareBetween(figures.bytes, m_setting.driveTotalSize);
    if (m_setting.countFiles) {
        row.files = figures.files;
        row.dirs = figures.dirs;
    }
    return row;
}

void GrowingRows::show(std::size_t index, const SurveyRow& next) {
    SurveyRow& row = m_rows[index];
    const bool named = m_rowCount > 0 && row.bytes.has_value();
    const SurveyRow before = row;
    row = next;
    if (!named) {
        m_sink.rowChanged(static_cast<int>(index), row, Column::Name);
    }
    for (const Column column : kGrowing) {
        const bool shown = column == Column::Size || column == Column::TotalShare || m_setting.countFiles;
        if (shown && (!named || !sameIn(before, row, column))) {
            m_sink.rowChanged(static_cast<int>(index), row, column);
        }
    }
}

}  // namespace trelmark::survey
