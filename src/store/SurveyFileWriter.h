// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "fs/WalkedTree.h"
#include "store/SurveyFacts.h"

namespace trelmark::store {

// Keeps a survey in a file: its facts and a record per directory of the walk below `tree.node`, in one
// transaction into a new file beside `target`, flushed to the disk, then renamed over `target`. Whatever
// fails, `target` is left as it was and the new file is removed. Any thread; reads the finished snapshot.
// Returns nothing on success, else why the save failed (the system's reason where it gave one).
[[nodiscard]] std::optional<std::string> saveSurvey(const std::string& target, const SurveyFacts& facts,
                                                    const fs::WalkedTree& tree);

}  // namespace trelmark::store
