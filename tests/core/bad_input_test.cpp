// SPDX-License-Identifier: MIT
// The rows of docs/bad-input.md: what the user sees, and what happens to the files.
#include "sample_images.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <numeric>
#include <random>

#include <sys/stat.h>

namespace zfx {
namespace {

namespace fs = std::filesystem;
using test::Editor;
using Bytes = std::vector<std::uint8_t>;

unsigned byteSum(const Bytes& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), 0u) % 256u;
}

struct TinyFileCase {
    std::size_t size;
    std::string deviceText;
    bool saves;
};

void PrintTo(const TinyFileCase& c, std::ostream* os) {
    *os << c.size << " bytes";
}

class TinyFile : public ::testing::TestWithParam<TinyFileCase> {};

TEST_P(TinyFile, OpensAsAnUnsupportedDeviceAndSavesOnlyWithALastByte) {
    Editor e;
    Bytes image(GetParam().size);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(0x30 + i % 7);
    e.open(image);
    EXPECT_EQ(e.form().deviceName, "Unsupported!");
    EXPECT_EQ(e.host.messages.front().text, "Device unsupported : " + GetParam().deviceText);
    for (int n = 1; n <= 12; ++n)
        EXPECT_FALSE(e.form().edit(test::editBox(n)).enabled);
    const Bytes saved = e.save();
    EXPECT_EQ(!saved.empty(), GetParam().saves);
    if (GetParam().saves) {
        EXPECT_EQ(saved.size(), image.size());
        EXPECT_EQ(byteSum(saved), 0u);
    } else {
        EXPECT_FALSE(fs::exists(e.dir.file("out.rom")));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyFile,
                         ::testing::Values(TinyFileCase{0, "0000", false}, TinyFileCase{1, "0000", true},
                                           TinyFileCase{7, "3600", true}, TinyFileCase{85, "3630", true}));

TEST(BadInput, EightyFiveBytesReadTheMissingVendorByteAsZero) {
    Editor e;
    Bytes image(85, 0);
    image[84] = 0xB0;
    e.open(image);
    EXPECT_EQ(e.form().vendorName, "I dont known man"); // vendor text "B000"
}

TEST(BadInput, FifoOrDanglingLinkChosenAsImageIsRefused) {
    Editor e;
    const auto fifo = e.dir.file("pipe.rom");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(e.model.openBios(fifo.string()).ok());
    EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
    const auto link = e.dir.file("dangling.rom");
    fs::create_symlink(e.dir.file("gone.rom"), link);
    EXPECT_FALSE(e.model.openBios(link.string()).ok());
    EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
    EXPECT_EQ(e.form().filePath, "--");
}

// Each family's markers in the last bytes of a small image: nothing is read or written past the end.
class MarkersAtTheEnd : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(MarkersAtTheEnd, AreNoTablesAndASaveKeepsTheLength) {
    for (const Bytes& marker : samples::readerMarkers()) {
        for (std::size_t back = marker.size(); back <= marker.size() + 8; ++back) {
            Editor e;
            auto builder = test::cardImage(GetParam(), 600);
            for (std::size_t i = 0; i < marker.size(); ++i)
                builder.bytes(600 - back + i, {marker[i]});
            const Bytes image = builder.image();
            e.open(image);
            if (e.form().check(Control::GeneralMode).enabled) e.model.setChecked(Control::GeneralMode, true);
            if (e.form().check(Control::TimingEdit).enabled) e.model.setChecked(Control::TimingEdit, true);
            const Outcome outcome = e.model.saveBios(e.dir.file("out.rom").string(), kRomFilterEntry);
            const Bytes saved = test::readBytes(e.dir.file("out.rom"));
            if (outcome.ok()) {
                EXPECT_EQ(saved.size(), image.size());
                // The checksum makes the first image sum to 0 where an x86 image is followed by
                // more, else the whole file; a dump that was damaged stays as damaged.
                const auto x86 = shorterX86ImageLength(readOptionRomChain(BiosImage(image)),
                                                       static_cast<std::int32_t>(image.size()));
                const Bytes summed(saved.begin(), x86 ? saved.begin() + *x86 : saved.end());
                const bool damaged = dumpDamage(BiosImage(image)).has_value();
                EXPECT_EQ(dumpDamage(BiosImage(saved)).has_value(), damaged);
                if (!damaged) {
                    EXPECT_EQ(byteSum(summed), 0u);
                }
            } else {
                // No table was found, so a box still holds its placeholder: refused, nothing written.
                EXPECT_EQ(outcome.cause, OutcomeCause::RefusedValue) << outcome.detail;
                EXPECT_TRUE(saved.empty());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, MarkersAtTheEnd, ::testing::ValuesIn(samples::familyDevices()));

TEST(BadInput, RandomBytesOpenAndSaveWithoutHarm) {
    std::mt19937 random(2026);
    for (int round = 0; round < 50; ++round) {
        Bytes image(1 + random() % 5000);
        for (auto& b : image)
            b = static_cast<std::uint8_t>(random());
        Editor e;
        e.open(image);
        const Outcome outcome = e.model.saveBios(e.dir.file("out.rom").string(), kRomFilterEntry);
        const Bytes saved = test::readBytes(e.dir.file("out.rom"));
        if (outcome.ok()) {
            EXPECT_EQ(saved.size(), image.size());
            EXPECT_EQ(byteSum(saved), 0u);
        } else {
            EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
            EXPECT_EQ(outcome.cause, OutcomeCause::RefusedValue) << outcome.detail;
            EXPECT_TRUE(saved.empty());
        }
    }
}

// Every box of every family, emptied or out of range: refused before anything changes.
class EveryBox : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryBox, EmptiedOrOutOfRangeIsRefusedAndTheTargetIsUntouched) {
    Editor probe;
    probe.open(test::sampleBytes(GetParam()));
    if (probe.form().check(Control::TimingEdit).enabled) probe.model.setChecked(Control::TimingEdit, true);
    const bool is6800 = GetParam().rfind("gf6800", 0) == 0;
    for (int box = 1; box <= 12; ++box) {
        if (!probe.form().edit(test::editBox(box)).enabled) continue;
        const std::string tooLarge = box >= 7 ? "256" : (is6800 ? "65536" : "656");
        for (const std::string& text : {std::string(), tooLarge}) {
            Editor e;
            e.open(test::sampleBytes(GetParam()));
            if (e.form().check(Control::TimingEdit).enabled) e.model.setChecked(Control::TimingEdit, true);
            const Bytes before = e.analysis().image.bytes();
            test::writeBytes(e.dir.file("target.rom"), Bytes{7, 7, 7});
            e.model.typeText(test::editBox(box), text);
            EXPECT_FALSE(e.model.saveBios(e.dir.file("target.rom").string(), kRomFilterEntry).ok())
                << "Edit" << box << " " << text;
            EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
            const std::string& detail = e.host.messages.back().detail;
            EXPECT_EQ(detail.rfind(std::string(captionOf(test::editBox(box))) + " ", 0), 0u) << detail;
            EXPECT_EQ(detail.find("Edit"), std::string::npos) << detail;
            EXPECT_EQ(test::readBytes(e.dir.file("target.rom")), (Bytes{7, 7, 7}));
            EXPECT_EQ(e.analysis().image.bytes(), before);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, EveryBox, ::testing::ValuesIn(test::supportedSampleNames()));

// --- properties over samples and seeded mutations ---

// Every byte that an unedited save changed (but the last) belongs to a 16-bit field that now
// holds a clock the window shows: an FX clock rounded to whole MHz, or the one memory clock that
// a family copies into all its slots.
bool onlyShownClocksChanged(const Bytes& loaded, const Bytes& saved, const FormState& form, bool hundredths) {
    std::vector<std::uint32_t> shown;
    for (int box = 1; box <= 6; ++box)
        if (form.edit(test::editBox(box)).enabled)
            shown.push_back(static_cast<std::uint32_t>(std::stoul(form.edit(test::editBox(box)).text)) *
                            (hundredths ? 100u : 1u));
    for (std::size_t i = 0; i + 1 < saved.size(); ++i) {
        if (saved[i] == loaded[i]) continue;
        bool explained = false;
        for (std::size_t low = i == 0 ? 0 : i - 1; low <= i; ++low) {
            if (low + 1 >= saved.size()) continue;
            const std::uint32_t after = saved[low] | static_cast<std::uint32_t>(saved[low + 1] << 8);
            explained = explained || std::find(shown.begin(), shown.end(), after) != shown.end();
        }
        if (!explained) return false;
    }
    return true;
}

class SaveProperty : public ::testing::TestWithParam<std::string> {};

TEST_P(SaveProperty, UneditedSaveOfMutatedSamplesChangesOnlyTheChecksumAndShownClocks) {
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(GetParam())));
    for (int round = 0; round < 40; ++round) {
        Bytes image = test::sampleBytes(GetParam());
        const int flips = round == 0 ? 0 : 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f) {
            // most mutations land in the tables, the rest anywhere
            const std::size_t at = random() % 4 ? 0x1000 + random() % 0x1200 : random() % image.size();
            image[at] = static_cast<std::uint8_t>(random());
        }
        Editor e;
        e.open(image);
        const Bytes saved = e.save();
        if (saved.empty()) {
            EXPECT_FALSE(fs::exists(e.dir.file("out.rom")));
            continue;
        }
        ASSERT_EQ(saved.size(), image.size());
        // A mutation that left the dump's sum off is kept as far off: the damage still shows.
        EXPECT_EQ(byteSum(saved), dumpDamage(BiosImage(image)) ? byteSum(image) : 0u);
        const bool hundredths = GetParam().rfind("gf6800", 0) != 0;
        EXPECT_TRUE(onlyShownClocksChanged(image, saved, e.form(), hundredths))
            << GetParam() << " round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SaveProperty, ::testing::ValuesIn(test::sampleNames()));

} // namespace
} // namespace zfx
