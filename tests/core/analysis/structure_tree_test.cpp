// SPDX-License-Identifier: MIT
// The tree of what an image holds: every node leads to the bytes the decode read it from.
#include "analysis/structure_tree.h"
#include "planted_faults.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zfx {
namespace {

const TreeNode* child(const TreeNode& parent, const std::string& label) {
    const auto it = std::find_if(parent.children.begin(), parent.children.end(),
                                 [&](const TreeNode& n) { return n.label == label; });
    return it == parent.children.end() ? nullptr : &*it;
}

std::vector<std::string> labels(const TreeNode& parent) {
    std::vector<std::string> names;
    for (const TreeNode& n : parent.children)
        names.push_back(n.label);
    return names;
}

struct TreeCase {
    std::string sample;
    std::string header; // "BMP structure" or "BIT structure"
};

void PrintTo(const TreeCase& tested, std::ostream* os) {
    *os << tested.sample;
}

class StructureTreeOfSample : public ::testing::TestWithParam<TreeCase> {};

TEST_P(StructureTreeOfSample, HoldsEveryDecodedPartAtItsBytes) {
    const ImageAnalysis analysis = analyseImage(BiosImage(test::sampleBytes(GetParam().sample)));
    const RomStructure& s = analysis.structure;
    const TreeNode root = structureTree(analysis);

    const std::vector<std::string> groups = labels(root);
    EXPECT_EQ(groups.front(), "Option-ROM images");
    EXPECT_NE(std::find(groups.begin(), groups.end(), GetParam().header), groups.end());
    ASSERT_TRUE(child(root, "Option-ROM images"));
    EXPECT_EQ(child(root, "Option-ROM images")->children.size(), s.chain.images.size());
    EXPECT_EQ(child(root, "Option-ROM images")->children[0].bytes,
              (std::vector<ByteSpan>{{0, s.chain.images[0].length()}}));

    // Each level with its core clock, every memory copy and its voltage, where the decode read them.
    ASSERT_TRUE(s.perf);
    const TreeNode* levels = child(root, "Performance levels");
    ASSERT_TRUE(levels);
    ASSERT_EQ(levels->children.size(), s.perf->levels.size());
    for (std::size_t i = 0; i < s.perf->levels.size(); ++i) {
        const PerfLevel& level = s.perf->levels[i];
        const TreeNode& shown = levels->children[i];
        EXPECT_EQ(shown.value, levelText(summarizeLevel(*s.perf, level)));
        const TreeNode* core = child(shown, "Core clock");
        ASSERT_TRUE(core);
        EXPECT_EQ(core->bytes, (std::vector<ByteSpan>{{level.core.offset, level.core.width}}));
        for (std::size_t m = 0; m < level.memory.size(); ++m) {
            const TreeNode* copy = child(shown, "Memory clock, copy " + std::to_string(m + 1));
            ASSERT_TRUE(copy);
            EXPECT_EQ(copy->bytes, (std::vector<ByteSpan>{{level.memory[m].offset, level.memory[m].width}}));
        }
        EXPECT_EQ(child(shown, "Voltage") != nullptr, level.voltage.has_value());
    }

    // The voltage table's entries: the voltage byte and the VID's byte behind it.
    if (s.voltage) {
        const TreeNode* voltages = child(root, "Voltage table");
        ASSERT_TRUE(voltages);
        ASSERT_EQ(voltages->children.size(), s.voltage->entries.size());
        for (std::size_t i = 0; i < s.voltage->entries.size(); ++i) {
            const StructureVoltage& entry = s.voltage->entries[i];
            EXPECT_EQ(voltages->children[i].bytes, (std::vector<ByteSpan>{{entry.offset, 2}}));
            EXPECT_NE(voltages->children[i].value.find("VID " + std::to_string(entry.vid)),
                      std::string::npos);
        }
    }

    // One verdict for each finding of the structure check, with its word.
    const TreeNode* verdicts = child(root, "Tables against the structure");
    ASSERT_TRUE(verdicts);
    ASSERT_EQ(verdicts->children.size(), analysis.structureCheck.findings.size());
    for (std::size_t i = 0; i < verdicts->children.size(); ++i)
        EXPECT_TRUE(verdicts->children[i].value.starts_with(
            agreementName(analysis.structureCheck.findings[i].severity) + ": "));
}

INSTANTIATE_TEST_SUITE_P(Samples, StructureTreeOfSample,
                         ::testing::Values(TreeCase{"fx5700.rom", "BMP structure"},
                                           TreeCase{"fx5950-ultra.rom", "BMP structure"},
                                           TreeCase{"gf6800-ultra.rom", "BIT structure"}),
                         [](const ::testing::TestParamInfo<TreeCase>& tested) {
                             std::string name = tested.param.sample.substr(0, tested.param.sample.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// A field's node covers every copy a save writes, as the value places give them.
TEST(StructureTree, AFieldsNodeCoversEveryPlaceTheValueLives) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        const ImageAnalysis analysis = analyseImage(BiosImage(test::sampleBytes(name)));
        const TreeNode root = structureTree(analysis);
        for (const FieldPlace& place : valuePlaces(analysis)) {
            if (!place.field) continue;
            const TreeNode* shown = nodeOfField(root, *place.field);
            ASSERT_TRUE(shown) << place.caption;
            ASSERT_EQ(shown->bytes.size(), place.offsets.size());
            for (std::size_t i = 0; i < place.offsets.size(); ++i)
                EXPECT_EQ(shown->bytes[i], (ByteSpan{place.offsets[i], placeWidth(place.kind)}));
        }
    }
}

// Without a BMP or BIT structure the tree still holds the chain and the values, and no
// structure's groups.
TEST(StructureTree, AnImageWithoutStructureHasNoStructureGroups) {
    const TreeNode root = structureTree(analyseImage(BiosImage(test::sampleWithoutStructure("fx5700.rom"))));
    for (const char* absent : {"BMP structure", "BIT structure", "Performance levels", "Voltage table"})
        EXPECT_FALSE(child(root, absent)) << absent;
    ASSERT_TRUE(child(root, "Values the editor reads"));
    EXPECT_TRUE(nodeOfField(root, CardField::Core3D));
}

// A contradicted table names both places: where the editor found it and where the structure has it.
TEST(StructureTree, AContradictionLeadsToBothPlaces) {
    for (const samples::PlantedContradiction& planted : samples::plantedContradictions()) {
        SCOPED_TRACE(planted.fileName);
        const TreeNode root = structureTree(analyseImage(BiosImage(planted.bytes)));
        const TreeNode* verdicts = child(root, "Tables against the structure");
        ASSERT_TRUE(verdicts);
        const TreeNode* verdict = child(*verdicts, planted.subject);
        ASSERT_TRUE(verdict);
        EXPECT_TRUE(verdict->value.starts_with("contradicted: "));
        const TreeNode* found = child(*verdict, "found");
        const TreeNode* structure = child(*verdict, "structure");
        ASSERT_TRUE(found && structure);
        ASSERT_FALSE(found->bytes.empty());
        ASSERT_FALSE(structure->bytes.empty());
        EXPECT_EQ(found->bytes.front().offset, planted.found.front());
        EXPECT_EQ(structure->bytes.front().offset, planted.structure.front());
    }
}

} // namespace
} // namespace zfx
