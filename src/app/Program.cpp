#include "app/Program.h"

#include <cstdio>

#include <QCoreApplication>

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

bool Program::Main() {
    if (!InitSystem()) {
        return false;
    }
    m_state.pathStart = startDirectory(m_arguments, m_programDirectory);
    if (!m_window) {
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
