// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zfx {
namespace {

using test::Editor;

bool isShown(const EditableLevel& level, int copy) {
    return std::find(level.shownCopies.begin(), level.shownCopies.end(), copy) != level.shownCopies.end();
}

// At the open a copy differs exactly where it is not one of the copies that hold the level's shown
// clock; only memory copies can differ.
TEST(LevelCopies, InTheFileTheCopiesOfOtherConfigurationsDiffer) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        Editor e;
        e.open(test::sampleBytes(name));
        if (!e.model.levels()) continue;
        for (const EditableLevel& level : e.model.levels()->levels)
            for (const LevelCell& cell : cellsOf(level)) {
                SCOPED_TRACE(levelCellName(cell));
                const bool expected = cell.field == LevelField::MemoryCopy && !isShown(level, cell.copy);
                EXPECT_EQ(e.model.levelCopyDiffers(cell), expected);
            }
    }
}

// As the user edits: the shown copies follow the level's memory clock and never differ; a copy given
// another value on its own does, the same value spelled otherwise does not; a copy the image lacks
// never does.
TEST(LevelCopies, ACopyGivenOnItsOwnDiffersByItsValue) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    ASSERT_TRUE(e.model.levels());
    const EditableLevel& level = e.model.levels()->levels.front();
    ASSERT_GT(level.memory.size(), 1u);
    const LevelCell memory{level.id, LevelField::Memory};
    const LevelCell first{level.id, LevelField::MemoryCopy, level.shownCopies.front()};
    EXPECT_EQ(e.model.setLevelText(memory, "401.5"), std::nullopt);
    for (const int k : level.shownCopies)
        EXPECT_FALSE(e.model.levelCopyDiffers({level.id, LevelField::MemoryCopy, k})) << k;
    const struct {
        const char* text;
        bool differs;
    } cases[] = {{"401.50", false}, {"402", true}, {"40x", true}, {"401.5", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(e.model.setLevelText(first, c.text), std::nullopt);
        EXPECT_EQ(e.model.levelCopyDiffers(first), c.differs);
    }
    const LevelCell missing{level.id, LevelField::MemoryCopy, static_cast<int>(level.memory.size())};
    EXPECT_FALSE(e.model.levelCopyDiffers(missing));
}

} // namespace
} // namespace zfx
