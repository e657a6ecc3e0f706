// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "survey/ProgramState.h"
#include "util/FindCursor.h"

class QTranslator;

namespace trelmark::ui {
class frmMain;
}

namespace trelmark::app {

// The program's lifetime: the program-wide state, the one enumeration cursor and the one window.
// `Main` sets up and shows the window, with Qt's own texts (the file dialog's buttons) in Japanese like
// the window's, and returns; the program then lives in Qt's event loop, and ends when
// the window closes (QApplication quits on its last window) or through `QuitApplication`.
// Owns the state and the window; the window is deleted with the program, after the event loop, never
// inside a handler. Thread: the GUI thread, with a QApplication alive. Errors: Main returns false, with a
// message on stderr, when the file-system component cannot be created; no window is shown then.
class Program {
public:
    using FileSystemFactory = std::function<std::unique_ptr<fs::FileSystem>()>;

    Program(std::vector<std::string> arguments, std::string programDirectory,
            FileSystemFactory createFileSystem);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Main();
    // Unloads the window (its unload handler runs) and ends the event loop.
    void QuitApplication();

    [[nodiscard]] survey::ProgramState& state() noexcept { return m_state; }
    [[nodiscard]] const util::FindCursor& findCursor() const noexcept { return m_findCursor; }
    // Null before Main.
    [[nodiscard]] ui::frmMain* window() const noexcept { return m_window.get(); }

private:
    bool InitSystem();
    void loadQtTranslations();

    std::vector<std::string> m_arguments;
    std::string m_programDirectory;
    FileSystemFactory m_createFileSystem;
    survey::ProgramState m_state;
    util::FindCursor m_findCursor;
    std::unique_ptr<QTranslator> m_qtTranslations;
    std::unique_ptr<ui::frmMain> m_window;
};

}  // namespace trelmark::app
