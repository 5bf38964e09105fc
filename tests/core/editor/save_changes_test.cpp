// SPDX-License-Identifier: MIT
// What a save reports it changed, and the original it keeps beside the file it replaces.
#include "analysis/image_comparison.h"
#include "faulty_file_system.h"
#include "planted_faults.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include <cerrno>
#include <filesystem>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
using test::Editor;

Strings changeLines(const EditorModel& model) {
    Strings lines;
    for (const FieldChange& change : model.lastSave()->changes)
        lines.push_back(changeLine(change));
    return lines;
}

struct EditCase {
    std::string name;
    std::string sample;
    std::function<void(EditorModel&)> edit;
    Strings lines; // the change lines the save reports
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class SaveChanges : public ::testing::TestWithParam<EditCase> {};

// Each edit is listed with its caption, old and new value and offsets, then the checksum byte; a
// comparison of the two files finds exactly the same, and nothing else.
TEST_P(SaveChanges, TheSaveListsWhatChangedAndAComparisonAgrees) {
    const EditCase& c = GetParam();
    Editor e;
    const Bytes original = test::sampleBytes(c.sample);
    e.open(original);
    c.edit(e.model);
    const Bytes saved = e.save();
    ASSERT_FALSE(saved.empty()) << e.host.messages.back().detail;
    EXPECT_EQ(changeLines(e.model), c.lines);
    const std::string& detail = e.host.messages.back().detail;
    EXPECT_EQ(detail.rfind(c.lines.front() + "\n", 0), 0u) << detail;
    EXPECT_NE(detail.find("checksum byte: "), std::string::npos) << detail;

    const ImageComparison compared =
        compareImages(analyseImage(BiosImage(original)), analyseImage(BiosImage(saved)));
    Strings found;
    for (const FieldChange& change : compared.fields)
        found.push_back(changeLine(change));
    EXPECT_EQ(found, c.lines);
    EXPECT_TRUE(compared.otherBytes.empty());
    EXPECT_TRUE(compared.identity.empty());
    EXPECT_EQ(compared.checksum.offset, 0xFFFF);
    EXPECT_EQ(compared.checksum.before, original.back());
    EXPECT_EQ(compared.checksum.after, saved.back());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SaveChanges,
    ::testing::Values(EditCase{"core_clock",
                               "fx5700.rom",
                               [](EditorModel& m) { m.typeText(Control::Core3D, "500"); },
                               {"3D core clock: 475 -> 500 MHz at 2075h"}},
                      // 275.49 MHz in all eight fields of the 5700's 2D memory clock.
                      EditCase{"odd_memory_clock",
                               "fx5700.rom",
                               [](EditorModel& m) { m.typeText(Control::Mem2D, "300"); },
                               {"2D memory clock: 275.49 -> 300 MHz at 8 places: level 20h, 8 copies"}},
                      EditCase{"voltage",
                               "fx5700.rom",
                               [](EditorModel& m) { m.selectEntry(Control::Voltage2D, 1); },
                               {"2D voltage: 1.2 V -> 1.3 V at 203Ah: level 20h"}},
                      EditCase{"timing_in_every_set",
                               "fx5700.rom",
                               [](EditorModel& m) {
                                   m.setChecked(Control::TimingEdit, true);
                                   m.typeText(Control::TimingB, "9");
                               },
                               {"Timing B: 7 -> 9 at 202Eh, 2067h, 20A0h"}},
                      EditCase{
                          "timing_a",
                          "fx5700.rom",
                          [](EditorModel& m) {
                              m.setChecked(Control::TimingEdit, true);
                              m.typeText(Control::TimingA, "6");
                          },
                          {"Timing A: 4 -> 6 at 1833h, 1837h, 183Bh, 183Fh, 1843h, 1847h, 184Bh, 184Fh"}},
                      EditCase{"clock_of_the_6800",
                               "gf6800-gt.rom",
                               [](EditorModel& m) { m.typeText(Control::Core3D, "400"); },
                               {"3D core clock: 350 -> 400 MHz at 2008h"}},
                      EditCase{"two_fields_in_window_order",
                               "fx5950-ultra.rom",
                               [](EditorModel& m) {
                                   m.typeText(Control::Mem2D, "500");
                                   m.selectEntry(Control::Voltage3D, 3);
                               },
                               {"3D voltage: 1.4 V -> 1.5 V at 20ACh: level 80h",
                                "voltage entry 3: 1.4 V, code 2 -> 1.5 V, code 7 at 1009h",
                                "2D memory clock: 475 -> 500 MHz at 8 places: level 20h, 8 copies"}}),
    [](const auto& param) { return param.param.name; });

TEST(SaveChanges, AnUneditedSaveSaysThatOnlyTheChecksumByteWasSetOrThatNothingChanged) {
    Editor e;
    // No 55 AA, so no option ROM whose damage a save would hide: its sum is simply set.
    Bytes unsummed = test::sampleBytes("fx5600.rom");
    unsummed[0] = 0x00;
    unsummed.back() = static_cast<std::uint8_t>(unsummed.back() + 1);
    e.open(unsummed);
    ASSERT_FALSE(e.save().empty());
    EXPECT_EQ(e.host.messages.back().detail.rfind(
                  "No value changed; only the checksum byte was set (checksum byte: ", 0),
              0u)
        << e.host.messages.back().detail;
    // Saved again: the image in the editor is now the file, to the byte.
    ASSERT_FALSE(e.save("again.rom").empty());
    EXPECT_EQ(e.host.messages.back().detail, "The file is identical to the image you opened.");
}

TEST(SaveChanges, AValueSavedAndThenTypedBackIsWrittenBack) {
    Editor e;
    e.open(test::sampleBytes("fx5700.rom"));
    e.model.typeText(Control::Core3D, "500");
    ASSERT_FALSE(e.save().empty());
    // The box now shows what the file holds; typing the opened value again is an edit.
    e.model.typeText(Control::Core3D, "475");
    const Bytes saved = e.save("back.rom");
    EXPECT_EQ(changeLines(e.model), (Strings{"3D core clock: 500 -> 475 MHz at 2075h"}));
    EXPECT_EQ(saved[0x2075] | saved[0x2076] << 8, 47500);
}

TEST(SaveChanges, ARefusedOrFailedSaveLeavesTheImageAndReportsNoChanges) {
    Editor e;
    e.open(test::sampleBytes("fx5700.rom"));
    e.model.typeText(Control::Core3D, "500");
    EXPECT_TRUE(e.save("missing/out.rom").empty());
    EXPECT_FALSE(e.model.lastSave());
    // The failed save changed nothing in the editor: the next one lists the edit again.
    ASSERT_FALSE(e.save().empty());
    EXPECT_EQ(changeLines(e.model), (Strings{"3D core clock: 475 -> 500 MHz at 2075h"}));
}

// --- the original kept beside the file ---

std::string lastDetail(const Editor& e) {
    return e.host.messages.back().detail;
}

TEST(Backup, TheFirstSaveOverTheOpenFileKeepsItsOriginalAndLaterSavesNeverReplaceIt) {
    Editor e;
    const Bytes original = test::sampleBytes("fx5700.rom");
    const auto path = e.openFile(original, "card.rom");
    e.model.typeText(Control::Core3D, "500");
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    const auto backup = e.dir.file("card.orig.rom");
    EXPECT_EQ(test::readBytes(backup), original);
    EXPECT_EQ(e.model.lastSave()->backupPath, backup.string());
    EXPECT_TRUE(e.model.lastSave()->backupCreated);
    EXPECT_NE(lastDetail(e).find("The original is kept as " + backup.string() + "."), std::string::npos);

    e.model.typeText(Control::Core3D, "510");
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_EQ(test::readBytes(backup), original);
    EXPECT_FALSE(e.model.lastSave()->backupCreated);
    EXPECT_NE(lastDetail(e).find("The original was kept before as " + backup.string()), std::string::npos);
}

TEST(Backup, ASaveToAnotherNameKeepsNoCopy) {
    Editor e;
    e.openFile(test::sampleBytes("fx5700.rom"), "card.rom");
    EXPECT_FALSE(e.save("other.rom").empty());
    EXPECT_TRUE(e.model.lastSave()->backupPath.empty());
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("card.orig.rom")));
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("other.orig.rom")));
}

TEST(Backup, ALinkOrAnotherNameOfTheOpenFileIsTheSameFile) {
    for (const bool symbolic : {true, false}) {
        Editor e;
        const Bytes original = test::sampleBytes("fx5200.rom");
        const auto path = e.openFile(original, "card.bin");
        const auto alias = e.dir.file("alias.bin");
        if (symbolic)
            std::filesystem::create_symlink(path, alias);
        else
            std::filesystem::create_hard_link(path, alias);
        e.model.typeText(Control::Core3D, "260");
        ASSERT_TRUE(e.model.saveBios(alias.string(), kRomFilterEntry).ok());
        // The opened file has one original, kept beside it under its own name.
        EXPECT_EQ(test::readBytes(e.dir.file("card.orig.bin")), original) << "symbolic " << symbolic;
        EXPECT_FALSE(std::filesystem::exists(e.dir.file("alias.orig.bin")));
    }
}

// A save over the opened file through a link after a first save keeps the first original: a
// copy named after the link would be a second "original" holding the edited image.
TEST(Backup, ALaterSaveThroughALinkMakesNoSecondOriginal) {
    Editor e;
    const Bytes original = test::sampleBytes("fx5200.rom");
    const auto path = e.openFile(original, "card.rom");
    const auto alias = e.dir.file("alias.rom");
    std::filesystem::create_symlink(path, alias);
    e.model.typeText(Control::Core3D, "260");
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    e.model.typeText(Control::Core3D, "270");
    ASSERT_TRUE(e.model.saveBios(alias.string(), kRomFilterEntry).ok());
    EXPECT_EQ(test::readBytes(e.dir.file("card.orig.rom")), original);
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("alias.orig.rom")));
    EXPECT_NE(e.model.lastSave()->lines().back().find("was kept before"), std::string::npos);
}

// A save over the opened file that fails leaves no copy of the original behind: the file is as
// it was, and a copy beside it would be taken for the original of a save that never happened.
TEST(Backup, AFailedSaveOverTheOpenFileLeavesNoCopy) {
    Editor e;
    const auto path = e.openFile(test::sampleBytes("fx5200.rom"), "card.rom");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    e.model.typeText(Control::Core3D, "260");
    const Outcome saved = e.model.saveBios(path.string(), kRomFilterEntry);
    EXPECT_EQ(saved.cause, OutcomeCause::WriteFailed);
    EXPECT_EQ(saved.detail, path.string() + ": The file is read-only.");
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("card.orig.rom")));
}

// A folder or a device chosen as the target is refused as it stands: no extension is added to
// make a new file of it ("out" -> "out.rom", "/dev/null" -> "/dev/null.rom").
TEST(Save, AFolderOrADeviceChosenAsTheTargetIsRefused) {
    Editor e;
    e.openFile(test::sampleBytes("fx5200.rom"), "card.rom");
    e.model.typeText(Control::Core3D, "260");
    const auto folder = e.dir.file("out");
    std::filesystem::create_directory(folder);
    const std::vector<std::pair<std::string, std::string>> targets{
        {folder.string(), "It is a folder, not a file."},
        {"/dev/null", "It is a device, not a regular file; only a regular file is replaced by a save."}};
    for (const auto& [target, cause] : targets) {
        SCOPED_TRACE(target);
        const Outcome saved = e.model.saveBios(target, kRomFilterEntry);
        EXPECT_EQ(saved.cause, OutcomeCause::WriteFailed);
        EXPECT_EQ(saved.detail, target + ": " + cause);
        EXPECT_FALSE(std::filesystem::exists(target + ".rom"));
        EXPECT_TRUE(e.model.modified());
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// Only a regular file that holds an image counts as the kept original. Anything else under that
// name is left as it is, and the save over the opened file stops there: saying "the original was
// kept before" would be false, and the original would be gone.
struct TakenName {
    const char* name;
    std::function<void(const std::filesystem::path&, const std::filesystem::path&)> make; // backup, folder
    const char* said;
};

class BackupNameTaken : public ::testing::TestWithParam<TakenName> {};

TEST_P(BackupNameTaken, ByNoKeptOriginalRefusesTheSaveAndChangesNothing) {
    Editor e;
    const Bytes original = test::sampleBytes("fx5200.rom");
    const auto path = e.openFile(original, "card.rom");
    const auto backup = e.dir.file("card.orig.rom");
    GetParam().make(backup, e.dir.path());
    e.model.typeText(Control::Core3D, "260");
    const Outcome outcome = e.model.saveBios(path.string(), kRomFilterEntry);
    EXPECT_EQ(outcome.cause, OutcomeCause::WriteFailed);
    EXPECT_NE(outcome.detail.find(GetParam().said), std::string::npos) << outcome.detail;
    EXPECT_NE(outcome.detail.find("Nothing was saved."), std::string::npos) << outcome.detail;
    EXPECT_EQ(test::readBytes(path), original);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(backup)));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BackupNameTaken,
    ::testing::Values(
        TakenName{"user_file",
                  [](const auto& b, const auto&) {
                      test::writeBytes(b, {1, 2, 3});
                  },
                  "it holds no BIOS image"},
        TakenName{"empty_file", [](const auto& b, const auto&) { test::writeBytes(b, {}); }, "an empty file"},
        TakenName{"folder", [](const auto& b, const auto&) { std::filesystem::create_directory(b); },
                  "a folder"},
        TakenName{"fifo", [](const auto& b, const auto&) { ASSERT_EQ(mkfifo(b.c_str(), 0644), 0); },
                  "a named pipe"},
        TakenName{
            "dangling_link",
            [](const auto& b, const auto& dir) { std::filesystem::create_symlink(dir / "gone.rom", b); },
            "a link"},
        TakenName{"link_loop", [](const auto& b, const auto&) { std::filesystem::create_symlink(b, b); },
                  "a link"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Backup, AnEarlierOriginalOfTheBackupsNameIsLeftAsItIs) {
    Editor e;
    const auto path = e.openFile(test::sampleBytes("fx5200.rom"), "card.rom");
    const Bytes earlier = test::sampleBytes("fx5700.rom");
    test::writeBytes(e.dir.file("card.orig.rom"), earlier);
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_EQ(test::readBytes(e.dir.file("card.orig.rom")), earlier);
    EXPECT_FALSE(e.model.lastSave()->backupCreated);
}

TEST(Backup, TurnedOffNoCopyIsKept) {
    Editor e;
    const auto path = e.openFile(test::sampleBytes("fx5200.rom"), "card.rom");
    e.model.setKeepBackups(false);
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("card.orig.rom")));
    EXPECT_TRUE(e.model.lastSave()->backupPath.empty());
}

// The editor on the disk through a file system whose chosen calls fail.
struct FaultyEditor {
    test::FaultyFileSystem system;
    DiskFiles files{system};
    test::ScriptedHost host;
    EditorModel model{host, files};
    test::TempDir dir;
};

TEST(Backup, ABackupThatCannotBeWrittenRefusesTheSaveAndLeavesTheTargetUntouched) {
    FaultyEditor e;
    const Bytes original = test::sampleBytes("fx5700.rom");
    const auto path = e.dir.file("card.rom");
    test::writeBytes(path, original);
    ASSERT_TRUE(e.model.openBios(path.string()).ok());
    e.model.typeText(Control::Core3D, "500");
    // The folder takes no new file: the backup's temporary file is the first to be created.
    e.system.faults.push_back({SysCall::OpenAt, e.system.count(SysCall::OpenAt) + 1, EACCES});
    const Outcome saved = e.model.saveBios(path.string(), kRomFilterEntry);
    EXPECT_EQ(saved.cause, OutcomeCause::WriteFailed);
    EXPECT_EQ(saved.text, "Cant open File!");
    EXPECT_EQ(saved.detail, "The original could not be kept as " + e.dir.file("card.orig.rom").string() +
                                ": Cannot create a file in " + e.dir.path().string() +
                                ": Permission denied Nothing was saved.");
    EXPECT_EQ(test::readBytes(path), original);
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("card.orig.rom")));
    EXPECT_TRUE(e.model.modified()); // the edit is still there to save elsewhere
}

TEST(Backup, AFileSystemWithoutLinksGetsTheCopyByARename) {
    FaultyEditor e;
    const Bytes original = test::sampleBytes("fx5700.rom");
    const auto path = e.dir.file("card.rom");
    test::writeBytes(path, original);
    ASSERT_TRUE(e.model.openBios(path.string()).ok());
    e.system.faults.push_back({SysCall::LinkAt, 1, EPERM});
    ASSERT_TRUE(e.model.saveBios(path.string(), kRomFilterEntry).ok());
    EXPECT_EQ(test::readBytes(e.dir.file("card.orig.rom")), original);
    // No temporary file is left beside them.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(e.dir.path()))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST(Backup, NamesFollowTheFilesOwnExtension) {
    EXPECT_EQ(backupPathFor("/a/card.rom"), "/a/card.orig.rom");
    EXPECT_EQ(backupPathFor("/a/card.BIN"), "/a/card.orig.BIN");
    EXPECT_EQ(backupPathFor("/a/card"), "/a/card.orig.rom");
    EXPECT_EQ(backupPathFor("/a/.rom"), "/a/.rom.orig.rom");
    EXPECT_EQ(backupPathFor("card.v2.rom"), "card.v2.orig.rom");
}

} // namespace
} // namespace zfx

namespace zfx {
namespace {

// --- what the BIOS structure says against a save ---

Bytes plantedImage(const std::string& fileName) {
    for (const auto& planted : samples::plantedContradictions())
        if (planted.fileName == fileName) return planted.bytes;
    return {};
}

TEST(StructureBeforeSave, AContradictionIsAskedAboutOnceBeforeAnythingIsWritten) {
    Editor e;
    // The clocks the editor finds lie behind a second marker, not in the performance table.
    const Bytes original = plantedImage("contradiction-decoy-clock-table.rom");
    e.open(original);
    EXPECT_EQ(e.model.structureCheck().line(),
              "Warning: the clock table found does not match the BIOS structure");
    e.model.typeText(Control::Core2D, "260");
    e.host.saveAnyway = {false};
    EXPECT_TRUE(e.save().empty());
    ASSERT_EQ(e.host.saveQuestions.size(), 1u);
    EXPECT_EQ(e.host.saveQuestions[0].first,
              "The BIOS structure contradicts the tables this save writes into. Save anyway?");
    EXPECT_NE(e.host.saveQuestions[0].second.find("3003h"), std::string::npos)
        << e.host.saveQuestions[0].second;
    EXPECT_FALSE(e.model.lastSave());
    EXPECT_TRUE(e.model.modified());

    // Answered with Save: written; the same contradiction is not asked about again.
    ASSERT_FALSE(e.save().empty());
    EXPECT_EQ(e.host.saveQuestions.size(), 2u);
    EXPECT_EQ(e.model.structureCheck().line(),
              "Warning: the clock table found does not match the BIOS structure");
    ASSERT_FALSE(e.save("again.rom").empty());
    EXPECT_EQ(e.host.saveQuestions.size(), 2u);
}

TEST(StructureBeforeSave, ASaveThatContradictsNothingAsksNothing) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.typeText(Control::Core3D, "500");
    ASSERT_FALSE(e.save().empty());
    EXPECT_TRUE(e.host.saveQuestions.empty());
    EXPECT_EQ(e.model.structureCheck().line(), "Tables confirmed by the BIOS structure");
}

} // namespace
} // namespace zfx
