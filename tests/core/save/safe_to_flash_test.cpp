// SPDX-License-Identifier: MIT
// A damaged dump is never saved without consent, the checksum goes where the card checks it, and
// a failed save leaves the window as it was.
#include "planted_faults.h"
#include "test_support.h"
#include "text/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Editor;

const samples::PlantedFault& fault(const std::string& fileName) {
    static const std::vector<samples::PlantedFault> faults = samples::plantedFaults();
    const auto it =
        std::find_if(faults.begin(), faults.end(), [&](const auto& f) { return f.fileName == fileName; });
    if (it == faults.end()) throw std::runtime_error("no planted fault " + fileName);
    return *it;
}

std::uint8_t sumOf(Bytes::const_iterator first, Bytes::const_iterator last) {
    return static_cast<std::uint8_t>(std::accumulate(first, last, 0u) & 0xFFu);
}

// --- damaged dumps ---

struct DamageCase {
    const char* file;
    bool damaged; // a save would hide the fault: asked about
};

class DamagedDump : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedDump, IsSavedOnlyWithConsentAndSaidLoudlyOnOpen) {
    const DamageCase& c = GetParam();
    const samples::PlantedFault& planted = fault(std::string("fault-") + c.file + ".rom");
    Editor e;
    e.open(planted.bytes);
    // The open says that the image check failed right after it names the device, before the
    // tables' messages.
    if (!e.model.imageCheck().passed()) {
        const std::vector<Message>& messages = e.host.messages;
        const auto said = std::find_if(messages.begin(), messages.end(), [](const Message& m) {
            return m.text.rfind("Device unsupported : ", 0) != 0;
        });
        ASSERT_NE(said, messages.end());
        EXPECT_EQ(said->text.rfind("This file failed the image check: ", 0), 0u) << said->text;
        EXPECT_NE(said->detail.find("Read the BIOS from the card again"), std::string::npos);
    }
    EXPECT_EQ(e.analysis().dumpDamage.has_value(), c.damaged);
    e.model.typeText(Control::Core3D, "300");
    const std::string title = e.model.windowTitle();

    e.host.saveAnyway = {false};
    const Bytes refused = e.save();
    if (!c.damaged) {
        EXPECT_FALSE(refused.empty()); // nothing to ask: saved
        EXPECT_TRUE(e.host.saveQuestions.empty());
        return;
    }
    EXPECT_TRUE(refused.empty());
    ASSERT_EQ(e.host.saveQuestions.size(), 1u);
    EXPECT_EQ(e.host.saveQuestions[0].first, kSaveDamagedDump);
    EXPECT_NE(e.host.saveQuestions[0].second.find("BIOS from the card again"), std::string::npos)
        << e.host.saveQuestions[0].second;
    EXPECT_EQ(e.model.windowTitle(), title);
    EXPECT_TRUE(e.model.modified());

    // With consent it is saved, and the damage still shows: the image's sum stays as far off as it
    // was, so the check of the saved image fails as the check of the dump did.
    const Bytes saved = e.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(e.host.saveQuestions.size(), 2u);
    EXPECT_FALSE(e.model.imageCheck().passed()) << e.model.imageCheck().line();
    EXPECT_FALSE(analyseImage(BiosImage(saved)).check.passed());
    const std::size_t imageEnd = planted.bytes[2] * 512u;
    if (imageEnd <= saved.size()) { // a dump cut short shows its damage by its size
        const auto end = static_cast<std::ptrdiff_t>(imageEnd);
        EXPECT_EQ(sumOf(saved.begin(), saved.begin() + end),
                  sumOf(planted.bytes.begin(), planted.bytes.begin() + end));
    }
    // Asked again at the next save: the file is as damaged as before.
    ASSERT_FALSE(e.save("again.rom").empty());
    EXPECT_EQ(e.host.saveQuestions.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(PlantedFaults, DamagedDump,
                         ::testing::Values(DamageCase{"checksum", true}, DamageCase{"truncated", true},
                                           DamageCase{"padded", false}, DamageCase{"two-images", false},
                                           DamageCase{"other-vendor", false}),
                         [](const auto& param) {
                             std::string name = param.param.file;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(DamagedDump, AFileThatIsNoOptionRomIsSavedAsBefore) {
    Editor e;
    e.open(fault("fault-no-signature.rom").bytes);
    EXPECT_FALSE(e.analysis().dumpDamage);
    const Bytes saved = e.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_TRUE(e.host.saveQuestions.empty());
    EXPECT_EQ(sumOf(saved.begin(), saved.end()), 0u); // the whole file, as always
}

TEST(DamagedDump, ACutShortDumpIsSaidToBeCutShort) {
    const std::optional<std::string> damage = dumpDamage(BiosImage(fault("fault-truncated.rom").bytes));
    ASSERT_TRUE(damage);
    EXPECT_EQ(damage->rfind("The dump was cut short", 0), 0u) << *damage;
    Bytes sound = test::sampleBytes("fx5700.rom");
    EXPECT_FALSE(dumpDamage(BiosImage(sound)));
    sound.resize(64000); // 64,000 bytes of a 64 KiB image
    EXPECT_TRUE(dumpDamage(BiosImage(sound)));
}

// --- where the checksum goes ---

struct ChecksumCase {
    const char* file;
    std::int32_t imageLength; // of the first image; the file goes on after it
};

class ChecksumPlace : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ChecksumPlace, TheFirstImageSumsToZeroAndNoByteAfterItChanges) {
    const ChecksumCase& c = GetParam();
    const Bytes original = fault(std::string("fault-") + c.file + ".rom").bytes;
    ASSERT_GT(original.size(), static_cast<std::size_t>(c.imageLength));
    Editor e;
    e.open(original);
    e.model.typeText(Control::Core3D, "301");
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_TRUE(std::equal(saved.begin() + c.imageLength, saved.end(), original.begin() + c.imageLength));
    EXPECT_EQ(sumOf(saved.begin(), saved.begin() + c.imageLength), 0u);
    ASSERT_TRUE(e.model.lastSave());
    EXPECT_EQ(e.model.lastSave()->checksum.offset, c.imageLength - 1);
    const std::vector<std::string> lines = e.model.lastSave()->changeLines();
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& l) {
                               return l.rfind("checksum byte: ", 0) == 0 &&
                                      l.find(" at " + hexOffset(c.imageLength - 1)) != std::string::npos;
                           }),
              lines.end());
    EXPECT_TRUE(e.model.imageCheck().passed()) << e.model.imageCheck().line();
}

INSTANTIATE_TEST_SUITE_P(PlantedFaults, ChecksumPlace,
                         ::testing::Values(ChecksumCase{"padded", 0x10000},
                                           ChecksumCase{"two-images", 0x10000}),
                         [](const auto& param) {
                             std::string name = param.param.file;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(ChecksumPlace, AFileThatIsOneImageKeepsItsLastByte) {
    Editor e;
    e.open(test::sampleBytes("fx5700.rom"));
    e.model.typeText(Control::Core3D, "301");
    const Bytes saved = e.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(e.model.lastSave()->checksum.offset, static_cast<std::int32_t>(saved.size()) - 1);
    EXPECT_EQ(sumOf(saved.begin(), saved.end()), 0u);
}

TEST(ChecksumPlace, AWriteAfterTheFirstImageKeepsTheWholeFileRule) {
    // A clock table found past the first image: the checksum cannot stay inside the image.
    const ImageAnalysis opened = analyseImage(BiosImage(fault("fault-padded.rom").bytes));
    ASSERT_TRUE(shorterX86ImageLength(opened.structure.chain, opened.image.size()));
    SaveEdits edits;
    CardData shown = opened.data;
    ASSERT_TRUE(shown.clocks.table);
    for (ClockSlot& slot : shown.clocks.table->writes)
        slot.offset += 0x10000; // as if the table lay in the padding
    edits.texts[CardField::Core3D] = "301";
    const SavePlanResult result = planSave(opened, shown, edits);
    ASSERT_TRUE(result.plan);
    EXPECT_EQ(result.plan->checksumOffset, opened.image.size() - 1);
    const Bytes& saved = result.plan->after.image.bytes();
    EXPECT_EQ(sumOf(saved.begin(), saved.end()), 0u);
}

} // namespace
} // namespace zfx

namespace zfx {
namespace {

// --- a file changed under the editor ---

TEST(ChangedOnDisk, ASaveOverAFileAnotherProgramWroteAsksAndCancelKeepsItsContent) {
    Editor e;
    const Bytes original = test::sampleBytes("fx5700.rom");
    const auto path = e.openFile(original, "card.rom");
    e.model.typeText(Control::Core3D, "301");
    Bytes theirs = original;
    theirs[0x100] ^= 0xFF; // another program's edit after the open
    test::writeBytes(path, theirs);

    e.host.saveAnyway = {false};
    EXPECT_EQ(e.model.saveBios(path.string(), kRomFilterEntry).cause, OutcomeCause::Cancelled);
    ASSERT_EQ(e.host.saveQuestions.size(), 1u);
    EXPECT_EQ(e.host.saveQuestions[0].first, kSaveOverChangedFile);
    EXPECT_EQ(test::readBytes(path), theirs);
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("card.orig.rom")));
    EXPECT_TRUE(e.model.modified());

    // With consent it is replaced, and what the other program wrote is the kept original.
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_EQ(test::readBytes(e.dir.file("card.orig.rom")), theirs);
    // The file now holds what was saved: the next save asks nothing.
    e.model.typeText(Control::Core3D, "302");
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_EQ(e.host.saveQuestions.size(), 2u);
}

TEST(ChangedOnDisk, AFileSwappedForAnotherAsksTooAndAnUnchangedOneDoesNot) {
    Editor e;
    const auto path = e.openFile(test::sampleBytes("fx5700.rom"), "card.rom");
    e.model.typeText(Control::Core3D, "301");
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_TRUE(e.host.saveQuestions.empty());

    // Swapped: a new file of another content renamed over the name.
    const auto other = e.dir.file("other.rom");
    test::writeBytes(other, test::sampleBytes("fx5200.rom"));
    std::filesystem::rename(other, path);
    e.model.typeText(Control::Core3D, "302");
    e.host.saveAnyway = {false};
    EXPECT_EQ(e.model.saveBios(path.string(), kRomFilterEntry).cause, OutcomeCause::Cancelled);
    EXPECT_EQ(test::readBytes(path), test::sampleBytes("fx5200.rom"));
}

} // namespace
} // namespace zfx
