#include "survey/SurveyEngine.h"

#include <utility>

#include "survey/FolderTally.h"
#include "survey/SurveyRun.h"
#include "util/ScopeExit.h"

namespace trelmark::survey {

namespace {

constexpr std::string_view kExitCaption = "終了";
constexpr std::string_view kStopCaption = "中止";

}  // namespace

SurveyEngine::SurveyEngine(ProgramState& state, SurveyView& view, std::function<void()> quitApplication,
                           SurveyOptions options)
    : m_state(state), m_view(view), m_quitApplication(std::move(quitApplication)), m_options(options) {}

void SurveyEngine::cmdMain_Click(int index) {
    if (index == 0) {
        // While a run is on the stack below us, quitting would pull the view and the state out from under it;
        // so inside a run the button only stops, even after a closing window has cleared flagRunning.
        if (m_state.flagRunning || m_running) {
            m_state.flagCancel = true;
            return;
        }
        if (m_quitApplication) {
            m_quitApplication();
        }
        return;
    }
    if (index == 1 && !m_running) {
        run();
    }
}

void SurveyEngine::run() {
    m_running = true;
    m_state.flagRunning = true;
    const bool countFiles = m_view.countOption();
    m_state.flagCancel = false;
    m_view.EnableControls(false);
    m_view.setExitCaption(kStopCaption);

    // The component walks the whole tree at the first question that needs it; these reports are what keeps
    // the front end answering during that walk, and how a stop reaches it.
    fs::FileSystem* const system = m_state.fsoSystem.get();
    if (system != nullptr) {
        system->setProgressHandler([this](const fs::WalkProgress& progress) {
            yieldSoon();
            m_view.walkProgress(progress);
            return m_state.flagCancel ? fs::WalkAction::Stop : fs::WalkAction::Continue;
        });
    }
    const util::ScopeExit cleanUp([&] {
        if (system != nullptr) {
            system->setProgressHandler({});
        }
        m_running = false;
    });

    yieldNow();
    m_view.setBusyPointer(true);
    {
        FolderTally tally(m_state, [this] { yieldSoon(); });
        SurveyRun run(m_state, m_view, tally, m_options, [this] { yieldNow(); });
        run.perform(countFiles);
    }

    // Every way out of a run passes here, with the run's objects already released.
    m_state.flagRunning = false;
    m_view.currentDirectory({});
    m_view.EnableControls(true);
    m_view.setExitCaption(kExitCaption);
    m_view.setBusyPointer(false);
}

void SurveyEngine::yieldNow() {
    m_view.yield();
    m_lastYield = std::chrono::steady_clock::now();
}

void SurveyEngine::yieldSoon() {
    // A tally yields before every sub-folder and a walk reports every few milliseconds; a front end's event
    // loop costs microseconds per call, which would add up to more than the walk itself.
    if (m_options.yieldInterval.count() == 0 ||
        std::chrono::steady_clock::now() - m_lastYield >= m_options.yieldInterval) {
        yieldNow();
    }
}

}  // namespace trelmark::survey
