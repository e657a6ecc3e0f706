// SPDX-License-Identifier: MIT
#include "app/Program.h"

#include <cstdio>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/StartDirectory.h"
#include "fs/FileSystem.h"
#include "ui/frmMain.h"

namespace trelmark::app {

Program::Program(std::vector<std::string> arguments, std::string programDirectory,
                 FileSystemFactory createFileSystem)
    : m_arguments(std::move(arguments)),
      m_programDirectory(std::move(programDirectory)),
      m_createFileSystem(std::move(createFileSystem)) {}

Program::~Program() = default;

bool Program::InitSystem() {
    m_state.fsoSystem = m_createFileSystem ? m_createFileSystem() : nullptr;
    if (!m_state.fsoSystem) {
        std::fprintf(stderr,
                     "trelmark: the file-system component could not be created; nothing can be measured\n");
        return false;
    }
    static_cast<void>(m_findCursor.FindFileName("/"));
    return true;
}

// Whatever the locale: the window speaks Japanese, so the dialogs it opens should too. Without the
// translations installed, Qt's texts stay English and nothing else changes.
void Program::loadQtTranslations() {
    if (m_qtTranslations) {
        return;
    }
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        m_qtTranslations = std::move(translator);
    }
}

bool Program::Main() {
    if (!InitSystem()) {
        return false;
    }
    m_state.pathStart = startDirectory(m_arguments, m_programDirectory);
    if (!m_window) {
        loadQtTranslations();
        m_window = std::make_unique<ui::frmMain>(m_state, m_programDirectory, [this] { QuitApplication(); });
    }
    m_window->show();
    return true;
}

void Program::QuitApplication() {
    if (m_window) {
        m_window->close();
    }
    QCoreApplication::exit(0);
}

}  // namespace trelmark::app
