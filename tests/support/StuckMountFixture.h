// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "support/SlowMount.h"
#include "support/TempTree.h"

namespace trelmark::test {

// The set-up of every test beside FUSE servers that never answer: the tree a test walks, the source tree the
// servers serve (filled by the test), and a skip that says why where FUSE is missing. A derived SetUp calls
// this one first and returns when IsSkipped().
class StuckMountFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string reason = SlowMount::unavailable(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
    }

    TempTree tree;
    TempTree source;
};

}  // namespace trelmark::test
