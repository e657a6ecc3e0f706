// SPDX-License-Identifier: MIT
// The grid model on its own: the survey's headings and a grid of 100,000 rows.
#include <set>

#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTableView>
#include <QTest>

#include "ui/GridModel.h"

using namespace trelmark::ui;

class GridModelTest : public QObject {
    Q_OBJECT

private slots:
    void headingsComeFromTheSurveyWithTheirBlanks();
    void writesOutsideTheGridAreIgnored();
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
    model.setText(1, 5, "x");
    model.setText(2, 0, "beyond");
    model.setText(0, 6, "beyond");
    model.setText(-1, 0, "before");
    QCOMPARE(model.text(1, 5), QStringLiteral("x"));
    QCOMPARE(model.rowCount(), 2);
    model.clear();
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(model.text(1, 5).isEmpty());
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
        model.setText(row, 0, QStringLiteral("directory %1").arg(row));
        model.setText(row, 1, QStringLiteral("%1").arg(row * 1000));
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
