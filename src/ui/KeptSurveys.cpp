// SPDX-License-Identifier: MIT
#include "ui/KeptSurveys.h"

#include <deque>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>
#include <QTableView>

#include "fs/FileSystem.h"
#include "store/ReportFacts.h"
#include "store/StoredFileSystem.h"
#include "store/SurveyFileWriter.h"
#include "store/SurveyOpening.h"
#include "survey/AsideCall.h"
#include "survey/MapTree.h"
#include "survey/SurveyEngine.h"
#include "ui/FileDialog.h"
#include "ui/GridExplorer.h"
#include "ui/LateAnswers.h"
#include "ui/NoteLine.h"
#include "ui/PathLookups.h"
#include "ui/TextConversion.h"
#include "ui/frmMain.h"
#include "util/Version.h"

namespace trelmark::ui {

namespace {

// `path` is `root` or lies below it, by its text.
bool within(const std::string& root, const std::string& path) {
    if (path == root) {
        return true;
    }
    return path.starts_with(root) && path.size() > root.size() &&
           (root.ends_with('/') || path[root.size()] == '/');
}

// The survey's directories as the map draws them, read level by level from the file.
std::shared_ptr<const survey::MapTree> mapOf(store::StoredTree& tree) {
    auto root = tree.record(tree.rootId());
    if (!root) {
        return nullptr;
    }
    auto map = std::make_shared<survey::MapTree>(tree.facts().root);
    map->add(survey::MapTree::kNone, {}, root->ownBytes, root->bytes, root->complete());
    std::deque<std::pair<std::uint64_t, std::uint32_t>> waiting{{root->id, survey::MapTree::kRoot}};
    while (!waiting.empty()) {
        const auto [id, index] = waiting.front();
        waiting.pop_front();
        auto children = tree.children(id);
        if (!children) {
            return nullptr;
        }
        for (const store::DirRecord& child : *children) {
            waiting.emplace_back(child.id,
                                 map->add(index, child.name, child.ownBytes, child.bytes, child.complete()));
        }
    }
    return map;
}

}  // namespace

KeptSurveys::KeptSurveys(frmMain& window)
    : QObject(&window), m_window(window), m_answers(new LateAnswers(this)) {
    createShortcuts();
    GridExplorer* explorer = m_window.gridExplorer();
    explorer->setSurveySavable([this] { return canSave(); });
    connect(explorer, &GridExplorer::saveSurveyRequested, this, &KeptSurveys::saveWithDialog);
    connect(explorer, &GridExplorer::openSurveyRequested, this, &KeptSurveys::openWithDialog);
}

KeptSurveys::~KeptSurveys() = default;

void KeptSurveys::createShortcuts() {
    // Keys and no control: the window keeps its layout for whoever does not keep surveys.
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &m_window);
    connect(save, &QShortcut::activated, this, &KeptSurveys::saveWithDialog);
    auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &m_window);
    connect(open, &QShortcut::activated, this, &KeptSurveys::openWithDialog);
}

void KeptSurveys::runStarts(bool afresh) {
    m_running.reset();
    if (afresh) {
        // The walk kept so far must go before the run: while it lives, the component would answer the new
        // walk's lookups from it.
        m_kept.reset();
        m_running = KeptRun{{}, {}, std::chrono::system_clock::now()};
    }
}

void KeptSurveys::walkArrived(const fs::WalkedTree& tree) {
    if (m_running) {
        m_running->tree = tree;
    }
}

void KeptSurveys::runEnded(const survey::ReportData& data) {
    if (m_running && m_running->tree.snapshot && !data.lookupFailure) {
        m_running->data = data;
        m_running->data.tree = m_running->tree;
        m_kept = std::move(m_running);
    }
    m_running.reset();
}

bool KeptSurveys::canSave() const {
    return m_kept && !m_saving && !opened() && !m_window.engine().running();
}

void KeptSurveys::tell(const QString& text) const {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(util::kProgramTitle), text, QMessageBox::Ok,
                    &m_window);
    box.exec();
}

bool KeptSurveys::refuseRunWhileSaving() const {
    if (m_saving) {
        tell(QStringLiteral("調査を保存しています。保存が終わってからチェックしてください。"));
    }
    return m_saving;
}

void KeptSurveys::saveWithDialog() {
    if (!canSave()) {
        saveTo({});
        return;
    }
    const QString fileName =
        chooseFile(&m_window, {QStringLiteral("調査を保存"),
                               QStringLiteral("surveySaveDialog"),
                               {QStringLiteral("調査ファイル (*.db)")},
                               QStringLiteral("trelmark-") +
                                   QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                   QStringLiteral(".db"),
                               QStringLiteral("db")});
    if (!fileName.isEmpty()) {
        saveTo(fileName);
    }
}

void KeptSurveys::saveTo(const QString& fileName) {
    if (m_window.engine().running()) {
        tell(QStringLiteral("調査が終わってから保存してください。"));
        return;
    }
    if (m_saving) {
        tell(QStringLiteral("前の調査を保存しています。終わってから保存してください。"));
        return;
    }
    if (opened()) {
        tell(QStringLiteral("開いた調査はそのファイルにあります。「チェック」で調査すると保存できます。"));
        return;
    }
    if (!m_kept) {
        tell(QStringLiteral("保存する調査がまだありません。「チェック」で調査してから保存してください。"));
        return;
    }
    if (fileName.isEmpty()) {
        return;
    }
    m_saving = true;
    store::SurveyMaking making;
    making.began = m_kept->began;
    making.program = std::string("trelmark ") + util::kFileVersion;
    // The worker owns copies: the snapshot stays alive with it, whatever the window does meanwhile.
    std::function<std::optional<std::string>()> save =
        [target = toRaw(fileName), facts = store::factsOfReport(m_kept->data, making),
         tree = m_kept->data.tree] { return store::saveSurvey(target, facts, tree); };
    m_answers->inBackground<std::optional<std::string>>(
        std::move(save),
        [this, fileName](std::optional<std::string> problem) { finishSave(fileName, problem); });
}

void KeptSurveys::finishSave(const QString& fileName, const std::optional<std::string>& problem) {
    m_saving = false;
    if (problem) {
        tell(QStringLiteral("調査を保存できませんでした「") + fileName + QStringLiteral("」\n") +
             QString::fromStdString(*problem));
    }
    emit saveEnded(fileName, problem ? QString::fromStdString(*problem) : QString());
}

void KeptSurveys::openWithDialog() {
    if (m_window.engine().running()) {
        open({});
        return;
    }
    const QString fileName =
        chooseFile(&m_window, {.title = QStringLiteral("調査を開く"),
                               .objectName = QStringLiteral("surveyOpenDialog"),
                               .filters = {QStringLiteral("調査ファイル・エクスポート (*.db *.json)"),
                                           QStringLiteral("すべてのファイル (*)")},
                               .suggested = {},
                               .suffix = {}});
    if (!fileName.isEmpty()) {
        open(fileName);
    }
}

void KeptSurveys::open(const QString& fileName) {
    if (m_window.engine().running()) {
        tell(QStringLiteral("調査が終わってから開いてください。"));
        return;
    }
    if (fileName.isEmpty()) {
        return;
    }
    const std::string raw = toRaw(QFileInfo(fileName).absoluteFilePath());
    std::function<Opening()> read = [raw] {
        Opening opening;
        opening.tree = store::openSurvey(raw, {}, opening.reason);
        if (opening.tree) {
            // The first level is read now, so that a file damaged there is refused before the grid changes.
            store::StoredTree& tree = *opening.tree;
            if (!tree.record(tree.rootId()) || !tree.children(tree.rootId())) {
                opening.reason =
                    "damaged: " + (tree.damage().empty() ? std::string("unreadable") : tree.damage());
                opening.tree.reset();
            }
        }
        return opening;
    };
    const std::uint64_t request = ++m_openRequest;
    const auto answer =
        m_answers->ask<Opening>(raw, std::move(read), [this, request, fileName](Opening late) {
            if (request == m_openRequest && !m_window.engine().running()) {
                enter(fileName, late);
            }
        });
    if (answer) {
        enter(fileName, *answer);
    }
}

void KeptSurveys::enter(const QString& fileName, const Opening& opening) {
    if (!opening.tree) {
        tell(QStringLiteral("調査を開けません「") + fileName + QStringLiteral("」\n") +
             QString::fromStdString(opening.reason));
        return;
    }
    // What the window shows now comes from the file: the last walk is no longer the survey on show.
    m_kept.reset();
    if (!opened()) {
        m_machine = std::move(m_window.m_state.fsoSystem);
    }
    m_tree = opening.tree;
    m_map.reset();
    m_window.m_state.fsoSystem = std::make_unique<store::StoredFileSystem>(m_tree);
    showAt(m_tree->facts().root);
}

bool KeptSurveys::withoutDrive() const {
    return opened() && !m_tree->facts().driveTotal;
}

survey::ReportData KeptSurveys::asShown(survey::ReportData data) const {
    if (withoutDrive()) {
        data.forgetDrive();
    }
    return data;
}

bool KeptSurveys::show(const std::string& path) {
    if (!opened()) {
        return false;
    }
    if (!m_window.engine().running() && within(m_tree->facts().root, path)) {
        showAt(path);
    }
    return true;
}

void KeptSurveys::showAt(const std::string& path) {
    const bool counted = m_window.countOption();
    m_window.m_report.begin(path, counted);
    m_window.m_engine->run(path, {counted});
    if (!m_tree->damage().empty()) {
        tell(QStringLiteral("調査ファイルが壊れています「") + toDisplay(m_tree->fileName()) +
             QStringLiteral("」\n") + QString::fromStdString(m_tree->damage()));
    }
    const std::uint64_t showing = ++m_showing;
    m_window.noteFromWalk(note());
    // The path controls follow only a directory that exists here; a dead share answers late or never.
    const std::shared_ptr<const PathLookups> lookups = PathLookups::system();
    const auto here = m_answers->ask<std::optional<bool>>(
        path, [lookups, path] { return lookups->isDirectory(path); },
        [this, path, showing](std::optional<bool> directory) {
            if (showing == m_showing && directory.value_or(false)) {
                follow(path, showing);
            }
        });
    if (here && here->value_or(false)) {
        follow(path, showing);
    } else {
        showRoot(true);
    }
    emit shown(QByteArray::fromStdString(path));
}

void KeptSurveys::follow(const std::string& path, std::uint64_t showing) {
    if (showing != m_showing || !opened() || m_window.engine().running()) {
        return;
    }
    m_window.showPathInControls(path);
    showRoot(false);
}

QString KeptSurveys::note() const {
    const QFontMetrics metrics(m_window.m_canvas->font());
    return surveyNote(m_tree->facts(), toDisplay(m_tree->fileName()), metrics,
                      roomBeside(m_window.m_labelFromWalk));
}

int KeptSurveys::roomBeside(const QWidget* line) const {
    const int height = QFontMetrics(m_window.m_canvas->font()).height();
    const int top =
        line != nullptr ? line->geometry().top() : m_window.m_checkFiles->geometry().top() - 1 - height;
    const QRect grid = m_window.m_gridList->geometry();
    return roomOnLine(*m_window.m_canvas, {grid.left(), top, grid.width(), height},
                      {m_window.m_labelFromWalk, m_rootLabel});
}

void KeptSurveys::showRoot(bool shown) {
    if (!shown) {
        if (m_rootLabel != nullptr) {
            m_rootLabel->hide();
        }
        return;
    }
    if (m_rootLabel == nullptr) {
        // Made only now, like the note above it, which it completes: the survey's directory is not here.
        m_rootLabel = new QLabel(m_window.m_canvas);
        m_rootLabel->setObjectName(QStringLiteral("labelSurveyRoot"));
        m_rootLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_rootLabel->hide();
    const QString root = toDisplay(m_tree->facts().root);
    const QFontMetrics metrics(m_rootLabel->font());
    const QRect box = m_window.m_checkFiles->geometry();
    const int height = metrics.height();
    const int top = box.top() + (box.height() - height) / 2;
    m_rootLabel->setGeometry(0, top, 1, height);
    const int room = std::max(roomBeside(m_rootLabel), 0);
    // A path may be elided in its middle; a screen reader reads it whole.
    const QString text = metrics.elidedText(root, Qt::ElideMiddle, room);
    m_rootLabel->setText(text);
    m_rootLabel->setAccessibleName(root);
    const int width = std::min(metrics.horizontalAdvance(text) + 2, room);
    m_rootLabel->setGeometry(m_window.m_gridList->geometry().right() + 1 - width, top, width, height);
    m_rootLabel->show();
}

void KeptSurveys::leave() {
    ++m_openRequest;
    ++m_showing;
    if (!opened()) {
        return;
    }
    showRoot(false);
    m_window.m_state.fsoSystem = std::move(m_machine);
    m_tree.reset();
    m_map.reset();
}

std::shared_ptr<const survey::MapTree> KeptSurveys::map() {
    if (!opened() || m_map) {
        return m_map;
    }
    // Every directory of the file is read: on a worker, while the window paints but takes no input that
    // could use the tree meanwhile (it comes once the map is read).
    const std::shared_ptr<store::StoredTree> tree = m_tree;
    m_window.setBusyPointer(true);
    auto read = survey::callAside([tree] { return mapOf(*tree); },
                                  [] {
                                      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                                      return true;
                                  });
    m_window.setBusyPointer(false);
    if (tree == m_tree && read) {
        m_map = std::move(*read);
    }
    return m_map;
}

QDateTime KeptSurveys::surveyedAt() const {
    return opened() && m_tree->facts().started > 0 ? QDateTime::fromSecsSinceEpoch(m_tree->facts().started)
                                                   : QDateTime();
}

}  // namespace trelmark::ui
