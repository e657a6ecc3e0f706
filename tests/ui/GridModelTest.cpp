// SPDX-License-Identifier: MIT
// The grid model on its own: the survey's headings and a grid of 100,000 rows.
#include <set>

#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTableView>
#include <QTest>

#include "ui/GridModel.h"

using namespace trelmark;
using namespace trelmark::ui;

namespace {

survey::SurveyRow subDirectory(std::string name, std::uint64_t bytes) {
    survey::SurveyRow row;
    row.kind = survey::RowKind::SubDirectory;
    row.name = std::move(name);
    row.bytes = fs::Figure{bytes, true};
    return row;
}

}  // namespace

class GridModelTest : public QObject {
    Q_OBJECT

private slots:
    void headingsComeFromTheSurveyWithTheirBlanks();
    void writesOutsideTheGridAreIgnored();
    void cellsShowTheRowAsTheSurveyFormatsIt();
    void cellsTakeTheColoursTheyAreGiven();
    void changesAreSignedMarkedAndDroppedWithTheirRows();
    void hundredThousandRowsStayFluent();
};

void GridModelTest::headingsComeFromTheSurveyWithTheirBlanks() {
    GridModel model;
    model.showHeadings();
    const std::vector<GridModel::Column> expected = {
        {"Directory Name      ", Qt::AlignLeft}, {"Size(bytes)     ", Qt::AlignRight},
        {"Total%   ", Qt::AlignRight},           {"Used%   ", Qt::AlignRight},
        {"Files      ", Qt::AlignRight},         {"Dirs      ", Qt::AlignRight}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(model.column(static_cast<int>(i)).header, expected[i].header);
        QCOMPARE(model.column(static_cast<int>(i)).alignment, expected[i].alignment);
    }
}

void GridModelTest::writesOutsideTheGridAreIgnored() {
    GridModel model;
    model.setDataRowCount(2);
    model.setFigure(1, subDirectory("x", 5), survey::Column::Size);
    model.setFigure(2, subDirectory("beyond", 1), survey::Column::Name);
    model.setFigure(-1, subDirectory("before", 1), survey::Column::Name);
    QCOMPARE(model.text(1, 1), QStringLiteral("5"));
    QVERIFY(model.text(1, 6).isEmpty());
    QVERIFY(model.text(0, 0).isEmpty());
    QCOMPARE(model.rowCount(), 2);
    model.clear();
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(model.text(1, 0).isEmpty());
    QVERIFY(model.figures(1) == nullptr);
}

// Each cell is the survey's own text of the row's figure, formatted when asked for, empty where the survey
// has not reached it yet; the row behind the cells is the one last handed over.
void GridModelTest::cellsShowTheRowAsTheSurveyFormatsIt() {
    GridModel model;
    model.setDataRowCount(1);
    survey::SurveyRow row = subDirectory("名前", 1'000'000'000'000'000);
    model.setFigure(0, row, survey::Column::Size);
    QCOMPARE(model.text(0, 0), QStringLiteral("名前"));
    QCOMPARE(model.text(0, 1), QStringLiteral("1,000,000,000,000,000"));
    QVERIFY(model.text(0, 2).isEmpty());
    row.files = fs::Figure{12, false};
    model.setFigure(0, row, survey::Column::Files);
    QCOMPARE(model.text(0, 4), QStringLiteral("12+"));
    QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("12+"));
    QCOMPARE(model.figures(0)->files->value, 12u);
}

// The cells take the colours they are given (the window's palette), whatever it is; nothing is white by
// default once colours are set.
void GridModelTest::cellsTakeTheColoursTheyAreGiven() {
    GridModel model;
    model.setDataRowCount(1);
    model.setFigure(0, subDirectory("a", 1), survey::Column::Name);
    model.setCellColours(QColor(30, 30, 30), QColor(230, 230, 230));
    const QModelIndex cell = model.index(0, 0);
    QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(30, 30, 30));
    QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(230, 230, 230));
}

// The change column: signed counts, the lower-bound mark where a side was not measured whole, the marks of
// new and removed rows; the removed rows are rows of their own after the survey's, gone with the changes.
void GridModelTest::changesAreSignedMarkedAndDroppedWithTheirRows() {
    using Status = store::ComparedRow::Status;
    const auto compared = [](std::string name, Status status, std::optional<std::int64_t> bytes, bool exact) {
        store::ComparedRow row;
        row.row = subDirectory(std::move(name), 1);
        row.status = status;
        row.bytes = bytes;
        row.exact = exact;
        return row;
    };
    GridModel model;
    model.setDataRowCount(4);
    for (int row = 0; row < 4; ++row) {
        model.setFigure(row, subDirectory("d" + std::to_string(row), 1), survey::Column::Name);
    }
    std::vector<store::ComparedRow> changes = {
        compared("d0", Status::Kept, 1234, true), compared("d1", Status::Kept, -5'000'000, false),
        compared("d2", Status::Kept, 0, true), compared("d3", Status::New, 70, true),
        compared("old", Status::Removed, -1'000, true)};
    model.setChanges(changes);  // outside compare mode: nothing
    QCOMPARE(model.columnCount(), 6);
    QCOMPARE(model.rowCount(), 4);

    model.setComparing(true);
    QCOMPARE(model.columnCount(), 7);
    QCOMPARE(model.headerData(GridModel::kChangeColumn, Qt::Horizontal, Qt::DisplayRole).toString().trimmed(),
             QStringLiteral("増減"));
    model.setChanges({changes.begin(), changes.begin() + 2});  // not one per row: ignored
    QVERIFY(model.text(0, GridModel::kChangeColumn).isEmpty());
    model.setChanges(changes);
    QCOMPARE(model.rowCount(), 5);
    const QStringList expected = {"+1,234", "-5,000,000+", "0", "新規 +70", "削除 -1,000"};
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(model.text(row, GridModel::kChangeColumn), expected[row]);
    }
    QCOMPARE(model.text(4, 0), QStringLiteral("old"));
    QVERIFY(model.text(4, 1).isEmpty());
    QVERIFY(model.figures(4) == nullptr);

    // New rows from the survey make the changes stale; so does leaving compare mode.
    model.setDataRowCount(5);
    QCOMPARE(model.rowCount(), 5);
    QVERIFY(model.change(0) == nullptr);
    QVERIFY(model.text(0, GridModel::kChangeColumn).isEmpty());
    model.setDataRowCount(4);
    model.setChanges(changes);
    model.setComparing(false);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.columnCount(), 6);
    QVERIFY(model.change(0) == nullptr);
}

namespace {

// Notes which rows the view asks for.
class RowWatch final : public QIdentityProxyModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        rowsAsked.insert(index.row());
        return QIdentityProxyModel::data(index, role);
    }
    mutable std::set<int> rowsAsked;
};

}  // namespace

// Fluent without a clock: with fixed row heights the view asks only for the rows it shows, however many
// there are, so 100,000 rows cost no more to draw than ten.
void GridModelTest::hundredThousandRowsStayFluent() {
    GridModel model;
    RowWatch watch;
    watch.setSourceModel(&model);
    QTableView view;
    view.setModel(&watch);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(505, 211);
    view.show();
    model.setDataRowCount(100000);
    for (int row = 0; row < 100000; ++row) {
        model.setFigure(row, subDirectory("directory " + std::to_string(row), row * 1000ull),
                        survey::Column::Size);
    }
    view.scrollToBottom();
    QCoreApplication::processEvents();
    watch.rowsAsked.clear();
    view.grab();
    QVERIFY(!watch.rowsAsked.empty());
    QVERIFY2(watch.rowsAsked.size() < 100, qPrintable(QString::number(watch.rowsAsked.size())));
    QVERIFY(*watch.rowsAsked.begin() > 99000);
    QCOMPARE(model.text(99999, 0), QStringLiteral("directory 99999"));
}

QTEST_MAIN(GridModelTest)
#include "GridModelTest.moc"
