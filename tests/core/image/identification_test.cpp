// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zfx {
namespace {

using test::cardImage;
using test::Editor;

struct DeviceCase {
    std::uint16_t device;
    std::string deviceText;
    std::string name;
    std::vector<std::string> flags;
    bool generalMode;
    bool timingEdit;
};

void PrintTo(const DeviceCase& c, std::ostream* os) {
    *os << c.deviceText << " " << c.name;
}

class Identification : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(Identification, NamesTheDeviceSetsItsFlagsAndEnablesItsBoxes) {
    const DeviceCase& c = GetParam();
    Editor editor;
    editor.open(cardImage(c.device).checksum().image());
    EXPECT_EQ(editor.card().identity.deviceText, c.deviceText);
    EXPECT_EQ(editor.form().deviceName, c.name);
    EXPECT_EQ(editor.card().identity.flags.names(), c.flags);
    EXPECT_EQ(editor.form().check(Control::GeneralMode).enabled, c.generalMode);
    EXPECT_EQ(editor.form().check(Control::TimingEdit).enabled, c.timingEdit);
    EXPECT_FALSE(editor.form().check(Control::GeneralMode).ticked);
    EXPECT_FALSE(editor.form().check(Control::TimingEdit).ticked);
}

INSTANTIATE_TEST_SUITE_P(
    AllDevices, Identification,
    ::testing::Values(DeviceCase{0x0040, "4000", "Nvidia 6800 Ultra", {"is6800"}, false, false},
                      DeviceCase{0x0045, "4500", "Nvidia 6800 GT", {"is6800", "is6800GT"}, false, false},
                      DeviceCase{0x0041, "4100", "Nvidia 6800", {"is6800", "is6800Plain"}, false, false},
                      DeviceCase{0x0042, "4200", "Nvidia 6800LE", {"is6800", "is6800Plain"}, false, false},
                      DeviceCase{0x0333, "3303", "Nvidia FX5950 Ultra", {"is5900"}, true, true},
                      DeviceCase{0x0330, "3003", "Nvidia FX5900 Ultra", {"is5900"}, true, true},
                      DeviceCase{0x0331, "3103", "Nvidia FX5900", {"is5900"}, true, true},
                      DeviceCase{0x0332, "3203", "Nvidia FX5900 XT", {"is5900", "is5900XT"}, true, true},
                      DeviceCase{0x0301, "0103", "Nvidia FX5800 Ultra", {"is5800"}, true, true},
                      DeviceCase{0x0302, "0203", "Nvidia FX5800", {"is5800"}, true, true},
                      DeviceCase{0x0341, "4103", "Nvidia FX5700 Ultra", {"is5700"}, true, true},
                      DeviceCase{0x0342, "4203", "Nvidia FX5700", {"is5700"}, true, true},
                      DeviceCase{0x0343, "4303", "Nvidia FX5700 LE", {"is5700LE"}, false, true},
                      DeviceCase{0x0326, "2603", "Nvidia FX5500", {"is5500"}, false, true},
                      DeviceCase{0x0311, "1103", "Nvidia FX5600 Ultra", {"is5600Ultra"}, true, false},
                      DeviceCase{0x0312, "1203", "Nvidia FX5600", {"is5600"}, false, true},
                      DeviceCase{0x0314, "1403", "Nvidia FX5600 XT", {"is5600"}, false, true},
                      DeviceCase{0x0321, "2103", "Nvidia FX5200 Ultra", {"is5200"}, false, true},
                      DeviceCase{0x0322, "2203", "Nvidia FX5200", {"is5200"}, false, true},
                      DeviceCase{0x0309, "0903", "Nvidia Quadro FX1000", {"isQuadroFX1000_2000"}, true, true},
                      DeviceCase{0x0308, "0803", "Nvidia Quadro FX2000", {"isQuadroFX1000_2000"}, true, true},
                      DeviceCase{0x0338, "3803", "Nvidia Quadro FX3000", {"isQuadroFX3000"}, false, true},
                      DeviceCase{0x0300, "0003", "Unsupported!", {}, false, false},
                      DeviceCase{0x0320, "2003", "Unsupported!", {}, false, false}));

TEST(Identification, ReportsAnUnsupportedDeviceWithItsText) {
    Editor editor;
    editor.open(cardImage(0x0320).checksum().image());
    ASSERT_FALSE(editor.host.messages.empty());
    EXPECT_EQ(editor.host.messages.front().text, "Device unsupported : 2003");
}

struct VendorCase {
    std::uint8_t low, high;
    std::string name;
};

void PrintTo(const VendorCase& c, std::ostream* os) {
    *os << c.name;
}

class VendorName : public ::testing::TestWithParam<VendorCase> {};

TEST_P(VendorName, ComesFromTheSubsystemVendorAt0x54) {
    Editor editor;
    editor.open(cardImage(0x0330).bytes(0x54, {GetParam().low, GetParam().high}).image());
    EXPECT_EQ(editor.form().vendorName, GetParam().name);
    EXPECT_EQ(editor.card().identity.vendorName, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(AllVendors, VendorName,
                         ::testing::Values(VendorCase{0x00, 0x00, "<unknown>"},
                                           VendorCase{0xB0, 0x10, "Gainward"},
                                           VendorCase{0x7D, 0x10, "Leadtek"}, VendorCase{0x82, 0x16, "XFX"},
                                           VendorCase{0xDE, 0x10, "Nvidia"}, VendorCase{0x62, 0x14, "MSI"},
                                           VendorCase{0x54, 0x15, "Prolink"}, VendorCase{0x43, 0x10, "Asus"},
                                           VendorCase{0x58, 0x14, "Gigabyte"},
                                           VendorCase{0x0F, 0x27, "Chaintech"},
                                           VendorCase{0x7B, 0x14, "Abit"}, VendorCase{0x02, 0x11, "Creative"},
                                           VendorCase{0x34, 0x12, "I dont known man"},
                                           VendorCase{0x10, 0xB0, "I dont known man"}));

TEST(Identification, ShowsTheVersionUpToTheFirstNul) {
    Editor editor;
    auto image =
        cardImage(0x0330).text(0x300, "Version 4.35.20").bytes(0x30F, {0x00}).text(0x310, "XY").image();
    editor.open(image);
    EXPECT_EQ(editor.form().biosVersion, "4.35.20");
}

TEST(Identification, ShowsFifteenVersionCharactersAfterTheWordAndOneByte) {
    Editor editor;
    editor.open(cardImage(0x0330).text(0x300, "Version:4.35.20.21.00.AB.CD").image());
    EXPECT_EQ(editor.form().biosVersion, "4.35.20.21.00.A");
}

TEST(Identification, ShowsVersionBytesAsLatin1) {
    Editor editor;
    editor.open(cardImage(0x0330).text(0x300, "Version v\xE9").image());
    EXPECT_EQ(editor.form().biosVersion, "v\xC3\xA9");
}

TEST(Identification, WithoutTheWordVersionShowsTheCharactersFromIndex8) {
    Editor editor;
    editor.open(cardImage(0x0330).text(8, "ABC").bytes(11, {0}).image());
    EXPECT_EQ(editor.form().biosVersion, "ABC");
}

TEST(Identification, UsesThePciDataStructureNearestTheEnd) {
    Editor editor;
    auto builder = cardImage(0x0330);
    builder.pciData(0x8000, 0x0332);
    editor.open(builder.image());
    EXPECT_EQ(editor.form().deviceName, "Nvidia FX5900 XT");
    EXPECT_EQ(editor.card().offsets.pciData, 0x8000);
}

TEST(Identification, ShowsTheChosenPath) {
    Editor editor;
    const auto path = editor.open(cardImage(0x0330).image(), "my card.rom");
    EXPECT_EQ(editor.form().filePath, path.string());
}

struct TinyCase {
    std::vector<std::uint8_t> bytes;
    std::string deviceText;
};

void PrintTo(const TinyCase& c, std::ostream* os) {
    *os << c.bytes.size() << " bytes";
}

class TinyImage : public ::testing::TestWithParam<TinyCase> {};

TEST_P(TinyImage, IsIdentifiedWithMissingBytesReadAsZero) {
    Editor editor;
    editor.open(GetParam().bytes);
    EXPECT_EQ(editor.card().identity.deviceText, GetParam().deviceText);
    EXPECT_EQ(editor.form().deviceName, "Unsupported!");
    EXPECT_EQ(editor.form().vendorName, "<unknown>");
    EXPECT_EQ(editor.form().biosVersion, "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyImage,
                         ::testing::Values(TinyCase{{}, "0000"}, TinyCase{{0x55}, "0000"},
                                           TinyCase{{1, 2, 3, 4, 5, 6, 0x32}, "3200"},
                                           TinyCase{std::vector<std::uint8_t>(85, 0), "0000"}));

TEST(Identification, PciDataStructureInTheLastBytesReadsTheMissingDeviceBytesAsZero) {
    Editor editor;
    std::vector<std::uint8_t> bytes(100, 0);
    const std::uint8_t tail[] = {0x50, 0x43, 0x49, 0x52, 0xDE, 0x10, 0x32};
    std::copy(std::begin(tail), std::end(tail), bytes.end() - 7);
    editor.open(bytes);
    EXPECT_EQ(editor.card().identity.deviceText, "3200");
}

TEST(Load, FailedLoadChangesNothing) {
    Editor editor;
    const auto first = editor.open(test::sampleBytes("fx5950-ultra.rom"));
    const FormState before = editor.form();
    const auto imageBefore = editor.analysis().image.bytes();
    editor.host.clear();
    EXPECT_FALSE(editor.model.openBios((editor.dir.path() / "missing.rom").string()).ok());
    ASSERT_EQ(editor.host.messages.size(), 1u);
    EXPECT_EQ(editor.host.messages[0].text, "Cant open File!");
    EXPECT_FALSE(editor.host.messages[0].detail.empty());
    EXPECT_EQ(editor.form().filePath, first.string());
    EXPECT_EQ(editor.form().deviceName, before.deviceName);
    EXPECT_EQ(editor.form().edit(Control::Core2D).text, before.edit(Control::Core2D).text);
    EXPECT_EQ(editor.form().combo(Control::Voltage2D).entries, before.combo(Control::Voltage2D).entries);
    EXPECT_EQ(editor.analysis().image.bytes(), imageBefore);
}

TEST(Load, FolderAndOversizedFileAreRefusedWithTheirCause) {
    Editor editor;
    EXPECT_FALSE(editor.model.openBios(editor.dir.path().string()).ok());
    EXPECT_EQ(editor.host.messages.back().detail, "It is a folder, not a file.");
    const auto big = editor.dir.file("big.rom");
    test::writeBytes(big, std::vector<std::uint8_t>(16 * 1024 * 1024 + 1, 0));
    EXPECT_FALSE(editor.model.openBios(big.string()).ok());
    EXPECT_NE(editor.host.messages.back().detail.find("16 MiB"), std::string::npos);
    EXPECT_EQ(editor.form().filePath, "--");
    EXPECT_TRUE(editor.analysis().image.empty());
}

TEST(Load, CancelledDialogChangesNothing) {
    Editor editor;
    editor.open(test::sampleBytes("fx5800.rom"));
    editor.host.clear();
    editor.host.openAnswers.push_back(std::nullopt);
    editor.model.OpenBIOS1Click();
    EXPECT_TRUE(editor.host.messages.empty());
    EXPECT_EQ(editor.form().deviceName, "Nvidia FX5800 Ultra");
}

TEST(Load, DialogPathIsOpened) {
    Editor editor;
    const auto path = editor.dir.file("a.rom");
    test::writeBytes(path, test::sampleBytes("fx5200.rom"));
    editor.host.openAnswers.push_back(path.string());
    editor.model.OpenBIOS1Click();
    EXPECT_EQ(editor.form().deviceName, "Nvidia FX5200");
    EXPECT_EQ(editor.form().filePath, path.string());
}

TEST(StartUp, EveryControlStartsDisabledWithItsPlaceholder) {
    test::ScriptedHost host;
    EditorModel model(host);
    const FormState& f = model.form();
    EXPECT_EQ(f.caption, "Zorvane FX 1.4");
    for (int n = 1; n <= 12; ++n) {
        EXPECT_FALSE(f.edit(test::editBox(n)).enabled) << "Edit" << n;
        EXPECT_EQ(f.edit(test::editBox(n)).text, n <= 6 ? "--" : "-") << "Edit" << n;
    }
    for (int n = 1; n <= 3; ++n)
        EXPECT_FALSE(f.combo(test::voltageList(n)).enabled);
    EXPECT_FALSE(f.check(Control::GeneralMode).enabled);
    EXPECT_FALSE(f.check(Control::TimingEdit).enabled);
    EXPECT_EQ(f.filePath, "--");
    EXPECT_EQ(f.memoryRate3D, "--");
}

} // namespace
} // namespace zfx
