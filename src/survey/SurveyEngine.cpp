// SPDX-License-Identifier: MIT
#include "survey/SurveyEngine.h"

#include "survey/FolderTally.h"
#include "survey/SurveyRun.h"
#include "util/ScopeExit.h"

namespace trelmark::survey {

SurveyEngine::SurveyEngine(ProgramState& state, SurveySink& sink, SurveyOptions options,
                           SurveyControls* controls)
    : m_runState(state), m_state(state), m_sink(sink), m_controls(controls), m_options(options) {}

void SurveyEngine::run(std::string_view path, RunOptions options) {
    if (m_runState.running()) {
        return;
    }
    // "チェック" always walks afresh: a walk still kept would answer the lookups from memory.
    m_kept.reset();
    const auto began = std::chrono::system_clock::now();
    execute(
        [&](SurveyRun& survey) {
            const SurveyEnd end = survey.perform(path, options.countFiles);
            std::unique_ptr<fs::Folder> folder = survey.takeFolder();
            if (end == SurveyEnd::Completed && !m_runState.stopped() && folder != nullptr) {
                m_kept = std::make_unique<KeptWalk>(std::move(folder), survey.driveFacts(), began);
            }
            return end;
        },
        false);
}

SurveyEngine::Revisit SurveyEngine::revisit(std::string_view path, RunOptions options) {
    if (m_runState.running()) {
        return Revisit::Busy;
    }
    std::unique_ptr<fs::Folder> holder;
    fs::Folder* const folder = m_kept != nullptr ? m_kept->find(path, holder) : nullptr;
    if (folder == nullptr) {
        return Revisit::OutsideWalk;
    }
    const bool walkRoot = holder == nullptr;
    execute(
        [&](SurveyRun& survey) {
            return survey.revisit(*folder, m_kept->drive(), walkRoot, options.countFiles);
        },
        true);
    return Revisit::Shown;
}

bool SurveyEngine::walkHolds(std::string_view path) const noexcept {
    return m_kept != nullptr && m_kept->contains(path);
}

std::optional<std::chrono::system_clock::time_point> SurveyEngine::walkTime() const noexcept {
    if (m_kept == nullptr) {
        return std::nullopt;
    }
    return m_kept->when();
}

void SurveyEngine::execute(const std::function<SurveyEnd(SurveyRun&)>& perform, bool throttled) {
    m_runState.begin();
    setControls(true);

    FolderTally tally(m_state, m_runState, [this] { yieldSoon(); });
    // A revisit reads memory only: a yield per sub-directory would cost more than its rows (a front end
    // repaints there), so its yields follow the interval like a walk's.
    SurveyRun survey(
        m_runState, m_sink, tally, m_options,
        [this, throttled] {
            if (throttled) {
                yieldSoon();
            } else {
                yieldNow();
            }
        },
        [this] { yieldSoon(); });
    // The component walks the whole tree at the first question that needs it; these reports are what keeps
    // the front end answering during that walk, how the rows grow while it runs, and how a stop reaches it.
    fs::FileSystem* const system = m_state.fsoSystem.get();
    if (system != nullptr) {
        system->setProgressHandler([this, &survey](const fs::WalkProgress& progress) {
            survey.walkProgress(progress);
            yieldSoon();
            m_sink.walkProgress(progress);
            return m_runState.stopPending() ? fs::WalkAction::Stop : fs::WalkAction::Continue;
        });
    }
    SurveyEnd end = SurveyEnd::Completed;
    {
        const util::ScopeExit releaseHandler([system] {
            if (system != nullptr) {
                system->setProgressHandler({});
            }
        });
        yieldNow();
        if (m_controls != nullptr) {
            m_controls->setBusyPointer(true);
        }
        end = perform(survey);
    }

    // Every way out of a run passes here, with the progress handler already released.
    const bool stopped = m_runState.stopped();
    m_runState.end();
    m_sink.currentDirectory({});
    setControls(false);
    m_sink.surveyEnded(end == SurveyEnd::Completed && stopped ? SurveyEnd::Stopped : end);
}

void SurveyEngine::setControls(bool running) {
    if (m_controls == nullptr) {
        return;
    }
    m_controls->EnableControls(!running);
    m_controls->setExitButtonStops(running);
    if (!running) {
        m_controls->setBusyPointer(false);
    }
}

void SurveyEngine::yieldNow() {
    m_sink.yield();
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
