// SPDX-License-Identifier: MIT
#include "ui/GridExplorer.h"

#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSaveFile>
#include <QTableView>
#include <QUrl>

#include "survey/ReportFormats.h"
#include "survey/SurveyColumns.h"
#include "ui/FileDialog.h"
#include "ui/GridModel.h"
#include "ui/GridSortModel.h"
#include "ui/TextConversion.h"
#include "util/PathHelpers.h"
#include "util/Version.h"

namespace trelmark::ui {

namespace {

// A file URL that names the raw bytes exactly, also where they are not UTF-8.
QByteArray fileUrl(const std::string& raw) {
    return QByteArrayLiteral("file://") + QByteArray::fromStdString(raw).toPercentEncoding("/");
}

}  // namespace

GridExplorer::GridExplorer(QTableView& view, GridModel& grid, Survey survey, QObject* parent)
    : QObject(parent),
      m_view(view),
      m_grid(grid),
      m_sorted(new GridSortModel(grid, this)),
      m_survey(std::move(survey)) {
    m_view.setModel(m_sorted);
    QHeaderView* header = m_view.horizontalHeader();
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
    header->setSectionsClickable(true);
    // A click on a header sorts; it does not select the column, as a clickable header otherwise would.
    disconnect(header, &QHeaderView::sectionPressed, &m_view, nullptr);
    disconnect(header, &QHeaderView::sectionEntered, &m_view, nullptr);
    connect(header, &QHeaderView::sortIndicatorChanged, m_sorted,
            [this](int section, Qt::SortOrder order) { m_sorted->sort(section, order); });
    m_view.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_view, &QWidget::customContextMenuRequested, this, &GridExplorer::showMenu);
    connect(&m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (const int row = surveyRowAt(index.row()); row >= 0) {
            emit openRequested(row);
        }
    });
    m_view.installEventFilter(this);
}

void GridExplorer::restoreSurveyOrder() {
    m_view.horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_sorted->restoreSurveyOrder();
}

int GridExplorer::surveyRowAt(int viewRow) const {
    return viewRow < 0 ? -1 : m_sorted->surveyRow(viewRow);
}

bool GridExplorer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_view || event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        if (const int row = surveyRowAt(m_view.currentIndex().row()); row >= 0) {
            emit openRequested(row);
        }
        return true;
    }
    if ((key->key() == Qt::Key_Backspace && modifiers == Qt::NoModifier) ||
        (key->key() == Qt::Key_Up && modifiers == Qt::AltModifier)) {
        emit upRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

std::string GridExplorer::pathOf(int surveyRow) const {
    const survey::SurveyRow* row = m_grid.figures(surveyRow);
    const std::string directory = m_survey.directory();
    if (row == nullptr || directory.empty()) {
        return {};
    }
    if (row->kind != survey::RowKind::SubDirectory) {
        return directory;
    }
    return util::JoinPath(directory, row->name, false, util::PathStyle::Posix);
}

QString GridExplorer::tableText() const {
    const QHeaderView& header = *m_view.horizontalHeader();
    std::vector<int> columns;
    for (int place = 0; place < m_grid.columnCount(); ++place) {
        columns.push_back(header.logicalIndex(place));
    }
    QStringList lines;
    QStringList cells;
    for (const int column : columns) {
        cells << m_grid.column(column).header.trimmed();
    }
    lines << cells.join(u'\t');
    for (int viewRow = 0; viewRow < m_sorted->rowCount(); ++viewRow) {
        const int row = surveyRowAt(viewRow);
        if (m_grid.figures(row) == nullptr && m_grid.change(row) == nullptr) {
            continue;
        }
        cells.clear();
        for (const int column : columns) {
            cells << m_grid.text(row, column);
        }
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

QMenu* GridExplorer::createMenu(int surveyRow, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("gridMenu"));
    const bool onRow = !pathOf(surveyRow).empty();
    const bool surveyed = !m_survey.directory().empty();
    const auto add = [&](const QString& text, const char* name, bool enabled, auto action) {
        QAction* item = menu->addAction(text, this, action);
        item->setObjectName(QString::fromLatin1(name));
        item->setEnabled(enabled);
        return item;
    };
    add(QStringLiteral("ファイルマネージャーで開く"), "openFolder", onRow,
        [this, surveyRow] { openInFileManager(surveyRow); });
    add(QStringLiteral("パスをコピー"), "copyPath", onRow, [this, surveyRow] { copyPath(surveyRow); });
    menu->addSeparator();
    add(QStringLiteral("表をコピー（タブ区切り）"), "copyTable", surveyed,
        [this] { QApplication::clipboard()->setText(tableText()); });
    add(QStringLiteral("CSV で保存..."), "saveCsv", surveyed, [this] { saveAs(Format::Csv); });
    add(QStringLiteral("JSON で保存..."), "saveJson", surveyed, [this] { saveAs(Format::Json); });
    menu->addSeparator();
    add(QStringLiteral("マップを表示"), "showMap", surveyed, [this] { emit mapRequested(); });
    // The survey files, in a section of their own; their keys work on the whole window (the menu only names
    // them).
    menu->addSeparator();
    add(QStringLiteral("調査を保存..."), "saveSurvey", m_savable && m_savable(), [this] {
        emit saveSurveyRequested();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add(QStringLiteral("調査を開く..."), "openSurvey", true, [this] {
        emit openSurveyRequested();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    add(QStringLiteral("比較する調査を開く..."), "openCompared", true, [this] { emit compareRequested(); });
    add(QStringLiteral("比較をやめる"), "stopCompare", m_grid.comparing(),
        [this] { emit compareStopRequested(); });
    return menu;
}

void GridExplorer::showMenu(const QPoint& position) {
    const QModelIndex index = m_view.indexAt(position);
    QMenu* menu = createMenu(index.isValid() ? surveyRowAt(index.row()) : -1, &m_view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_view.viewport()->mapToGlobal(position));
}

void GridExplorer::openInFileManager(int surveyRow) {
    const std::string path = pathOf(surveyRow);
    if (!path.empty()) {
        // Inside a sandbox Qt hands the URL to the desktop portal.
        QDesktopServices::openUrl(QUrl::fromEncoded(fileUrl(path)));
    }
}

void GridExplorer::copyPath(int surveyRow) {
    const std::string path = pathOf(surveyRow);
    if (path.empty()) {
        return;
    }
    auto* data = new QMimeData;
    // The text as the path field takes it back; the URL with the exact bytes for file managers.
    data->setText(toDisplay(path));
    data->setData(QStringLiteral("text/uri-list"), fileUrl(path) + "\r\n");
    QApplication::clipboard()->setMimeData(data);
}

void GridExplorer::saveAs(Format format) {
    const bool csv = format == Format::Csv;
    const QString fileName =
        chooseFile(m_view.window(), {csv ? QStringLiteral("CSV で保存") : QStringLiteral("JSON で保存"),
                                     QStringLiteral("saveDialog"),
                                     {csv ? QStringLiteral("CSV (*.csv)") : QStringLiteral("JSON (*.json)")},
                                     csv ? QStringLiteral("trelmark.csv") : QStringLiteral("trelmark.json"),
                                     csv ? QStringLiteral("csv") : QStringLiteral("json")});
    if (!fileName.isEmpty()) {
        static_cast<void>(save(fileName, format));
    }
}

bool GridExplorer::save(const QString& fileName, Format format) {
    const survey::ReportData data = m_survey.report();
    const std::string text = format == Format::Csv ? survey::formatCsv(data) : survey::formatJson(data);
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
        file.commit()) {
        return true;
    }
    QMessageBox box(
        QMessageBox::NoIcon, QString::fromUtf8(util::kProgramTitle),
        QStringLiteral("保存できませんでした「") + fileName + QStringLiteral("」\n") + file.errorString(),
        QMessageBox::Ok, m_view.window());
    box.exec();
    return false;
}

}  // namespace trelmark::ui
