// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <numeric>

namespace zfx {
namespace {

namespace fs = std::filesystem;
using test::Editor;
using Bytes = std::vector<std::uint8_t>;

struct NameCase {
    std::string chosen;
    int filterEntry;
    std::string saved;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.chosen << " entry " << c.filterEntry;
}

class FileNameRule : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameRule, AppendsTheFilterExtensionOnlyWhenThePathHasNeither) {
    EXPECT_EQ(EditorModel::savePathFor(GetParam().chosen, GetParam().filterEntry), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(Examples, FileNameRule,
                         ::testing::Values(NameCase{"/x/card", 2, "/x/card.rom"},
                                           NameCase{"/x/card", 1, "/x/card.bin"},
                                           NameCase{"/x/Card", 1, "/x/Card.bin"},
                                           NameCase{"/x/CARD.ROM", 1, "/x/CARD.ROM"},
                                           NameCase{"/x/card.Bin", 2, "/x/card.Bin"},
                                           NameCase{"/x/old.binaries/card", 2, "/x/old.binaries/card"},
                                           NameCase{"/x/card.rom.bak", 1, "/x/card.rom.bak"},
                                           NameCase{"/x/card.ro", 2, "/x/card.ro.rom"},
                                           // a folder is left as it is, for the save to refuse
                                           NameCase{"/x/out/", 2, "/x/out/"},
                                           NameCase{"/x/out/.", 1, "/x/out/."}, NameCase{"", 2, ""}));

unsigned byteSum(const Bytes& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), 0u) % 256u;
}

class SaveSample : public ::testing::TestWithParam<std::string> {};

// An unedited save changes at most the checksum byte, with either option ticked too: the 5700
// sample's 2D memory clock of 275.49 MHz, shown as 275, stays 275.49.
TEST_P(SaveSample, UneditedSaveChangesAtMostTheChecksumByte) {
    for (const bool tick : {false, true}) {
        Editor e;
        Bytes loaded = test::sampleBytes(GetParam());
        loaded[0] = 0x00;      // no option ROM: a save mends its sum (a damaged dump's it keeps)
        loaded.back() ^= 0x5A; // a checksum to mend
        e.open(loaded);
        if (tick) {
            e.model.setChecked(Control::GeneralMode, true);
            e.model.setChecked(Control::TimingEdit, true);
        }
        const Bytes saved = e.save();
        ASSERT_EQ(saved.size(), loaded.size());
        EXPECT_EQ(byteSum(saved), 0u);
        EXPECT_TRUE(std::equal(saved.begin(), saved.end() - 1, loaded.begin())) << "ticked " << tick;
        EXPECT_EQ(e.host.messages.back().text, "File saved.");
        ASSERT_TRUE(e.model.lastSave());
        EXPECT_TRUE(e.model.lastSave()->changes.empty());
        EXPECT_EQ(e.host.messages.back().detail.rfind("No value changed; only the checksum byte was set", 0),
                  0u)
            << e.host.messages.back().detail;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, SaveSample, ::testing::ValuesIn(test::sampleNames()));

TEST(Save, UnsupportedDeviceChangesOnlyTheLastByte) {
    Editor e;
    Bytes loaded(300);
    for (std::size_t i = 0; i < loaded.size(); ++i)
        loaded[i] = static_cast<std::uint8_t>(i * 7);
    e.open(loaded);
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), 300u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end() - 1, loaded.begin()));
    EXPECT_EQ(byteSum(saved), 0u);
}

TEST(Save, ImageWhoseSumIsZeroIsWrittenIdentical) {
    Editor e;
    const Bytes loaded{0x10, 0x20, 0x30, 0xA0};
    e.open(loaded);
    EXPECT_EQ(e.save(), loaded);
}

TEST(Save, LastByteZeroWhenTheOthersSumToZero) {
    Editor e;
    e.open(Bytes{0x00, 0x55});
    EXPECT_EQ(e.save(), (Bytes{0x00, 0x00}));
    EXPECT_EQ(e.analysis().image.bytes().back(), 0x00);
}

TEST(Save, NothingLoadedOrEmptyImageFailsAndWritesNothing) {
    Editor e;
    EXPECT_TRUE(e.save("none.rom").empty());
    EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
    EXPECT_EQ(e.form().filePath, "--"); // a failed save names no file it did not write
    e.open(Bytes{}, "empty.rom");
    EXPECT_TRUE(e.save("empty-out.rom").empty());
    EXPECT_FALSE(fs::exists(e.dir.file("empty-out.rom")));
    EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
}

TEST(Save, FailedSaveLeavesAnExistingTargetUntouchedAndTheWindowAsItWas) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    const std::string opened = e.form().filePath;
    const Bytes backup{1, 2, 3};
    test::writeBytes(e.dir.file("backup.rom"), backup);
    e.model.typeText(Control::Core2D, "");
    EXPECT_FALSE(e.model.saveBios(e.dir.file("backup.rom").string(), kRomFilterEntry).ok());
    EXPECT_EQ(test::readBytes(e.dir.file("backup.rom")), backup);
    EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
    EXPECT_EQ(e.host.messages.back().detail, "2D core clock holds \"\", which is not a whole number of MHz.");
    // The window still names the file that is open, and the edit is still unsaved.
    EXPECT_EQ(e.form().filePath, opened);
    EXPECT_TRUE(e.model.modified());
    EXPECT_EQ(e.model.windowTitle().back(), '*');
}

TEST(Save, FailedSaveToANewNameCreatesNoFile) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Mem3D, "");
    const std::string opened = e.form().filePath;
    EXPECT_FALSE(e.model.saveBios(e.dir.file("new").string(), kBinFilterEntry).ok());
    EXPECT_EQ(e.form().filePath, opened);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(e.dir.path()))
        files.push_back(entry.path().filename());
    EXPECT_EQ(files, std::vector<fs::path>{});
}

TEST(Save, IntoAFolderThatDoesNotExistOrIsAFileFails) {
    Editor e;
    e.openFile(test::sampleBytes("fx5200.rom"));
    for (const fs::path& target :
         {e.dir.path() / "missing" / "out.rom", e.dir.path() / "card.rom" / "out.rom"}) {
        EXPECT_FALSE(e.model.saveBios(target.string(), kRomFilterEntry).ok());
        EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
        EXPECT_FALSE(e.host.messages.back().detail.empty());
    }
    EXPECT_EQ(test::readBytes(e.dir.file("card.rom")), test::sampleBytes("fx5200.rom"));
}

TEST(Save, ReadOnlyTargetIsRefusedAndUnchanged) {
    Editor e;
    e.openFile(test::sampleBytes("fx5200.rom"));
    const auto target = e.dir.file("locked.rom");
    test::writeBytes(target, Bytes{9, 9});
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(e.model.saveBios(target.string(), kRomFilterEntry).ok());
    EXPECT_EQ(e.host.messages.back().detail, target.string() + ": The file is read-only.");
    EXPECT_EQ(test::readBytes(target), (Bytes{9, 9}));
}

TEST(Save, OverwritingKeepsTheTargetsPermissions) {
    Editor e;
    const auto path = e.openFile(test::sampleBytes("fx5200.rom"));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    e.model.typeText(Control::Core3D, "300");
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(test::readBytes(path)[0x2003], 0x30);
}

TEST(Save, ThroughALinkWritesTheFileItPointsTo) {
    Editor e;
    const auto path = e.openFile(test::sampleBytes("fx5200.rom"));
    const auto link = e.dir.file("link.rom");
    fs::create_symlink(path, link);
    e.model.typeText(Control::Core3D, "300");
    ASSERT_TRUE(e.model.saveBios(link.string(), kRomFilterEntry).ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readBytes(path)[0x2003], 0x30);
}

TEST(Save, DialogChoiceAndFilterDecideThePath) {
    Editor e;
    e.open(test::sampleBytes("fx5200.rom"));
    e.host.saveAnswers.push_back(SaveChoice{e.dir.file("mod").string(), kBinFilterEntry});
    e.model.SaveBIOS1Click();
    EXPECT_TRUE(fs::exists(e.dir.file("mod.bin")));
    EXPECT_EQ(e.form().filePath, e.dir.file("mod.bin").string());
    e.host.clear();
    e.host.saveAnswers.push_back(std::nullopt);
    e.model.SaveBIOS1Click();
    EXPECT_TRUE(e.host.messages.empty());
}

TEST(Save, ASecondSaveWritesTheSameBytes) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.typeText(Control::Core3D, "500");
    e.model.selectEntry(Control::Voltage3D, 3);
    EXPECT_EQ(e.save("one.rom"), e.save("two.rom"));
}

TEST(Save, EditedClockAndVoltageAreReadBackAfterReopening) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.typeText(Control::Core3D, "520");
    e.model.selectEntry(Control::Voltage3D, 3);
    ASSERT_FALSE(e.save("mod.rom").empty());
    Editor reopened;
    ASSERT_TRUE(reopened.model.openBios(e.dir.file("mod.rom").string()).ok());
    EXPECT_EQ(reopened.form().edit(Control::Core3D).text, "520");
    EXPECT_EQ(reopened.form().combo(Control::Voltage3D).entries[2], "1.5V");
}

} // namespace
} // namespace zfx
