// The grid model on its own: the header format and a grid of 100,000 rows.
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include "ui/GridModel.h"
#include "ui/frmMain.h"

using namespace trelmark::ui;

class GridModelTest : public QObject {
    Q_OBJECT

private slots:
    void formatGivesSixColumnsWithTheirBlanks();
    void formatAlignmentsAndOddPieces();
    void writesOutsideTheGridAreIgnored();
    void hundredThousandRowsStayFluent();
};

void GridModelTest::formatGivesSixColumnsWithTheirBlanks() {
    const QString format = QString::fromLatin1(frmMain::kGridFormat);
    QCOMPARE(format.size(), 85);
    const auto columns = GridModel::parseFormat(format);
    const std::vector<GridModel::Column> expected = {
        {"Directory Name      ", Qt::AlignLeft}, {"Size(bytes)     ", Qt::AlignRight},
        {"Total%   ", Qt::AlignRight},           {"Used%   ", Qt::AlignRight},
        {"Files      ", Qt::AlignRight},         {"Dirs      ", Qt::AlignRight}};
    QCOMPARE(columns.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(columns[i].header, expected[i].header);
        QCOMPARE(columns[i].alignment, expected[i].alignment);
    }
}

void GridModelTest::formatAlignmentsAndOddPieces() {
    const auto columns = GridModel::parseFormat(u"^Mid|plain||>");
    QCOMPARE(columns.size(), std::size_t{4});
    QCOMPARE(columns[0].alignment, Qt::AlignHCenter);
    QCOMPARE(columns[0].header, QStringLiteral("Mid"));
    QCOMPARE(columns[1].alignment, Qt::AlignLeft);
    QCOMPARE(columns[1].header, QStringLiteral("plain"));
    QVERIFY(columns[2].header.isEmpty());
    QCOMPARE(columns[3].alignment, Qt::AlignRight);
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

void GridModelTest::hundredThousandRowsStayFluent() {
    GridModel model;
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(505, 211);
    view.show();
    QElapsedTimer clock;
    clock.start();
    model.setDataRowCount(100000);
    for (int row = 0; row < 100000; ++row) {
        model.setText(row, 0, QStringLiteral("directory %1").arg(row));
        model.setText(row, 1, QStringLiteral("%1").arg(row * 1000));
    }
    view.scrollToBottom();
    QCoreApplication::processEvents();
    view.grab();
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QCOMPARE(model.text(99999, 0), QStringLiteral("directory 99999"));
}

QTEST_MAIN(GridModelTest)
#include "GridModelTest.moc"
