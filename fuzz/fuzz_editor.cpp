// SPDX-License-Identifier: MIT
// The whole editor on one input: the first bytes choose the user's actions, the rest is the image.
// Loads it from memory, ticks, selects, types and saves into memory, then checks what the save
// left against the card data read from the same bytes.
#include "analysis/image_analysis.h"
#include "analysis/image_comparison.h"
#include "editor/editor_model.h"
#include "tables/card_data.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace {

// Files in memory: the target holds "old" before every save.
class MemoryFiles final : public zfx::ImageFiles {
  public:
    zfx::ReadResult read(const std::string& path, std::uintmax_t maxBytes) override {
        const auto it = files.find(path);
        if (it == files.end()) return {{}, "No such file or directory"};
        if (it->second.size() > maxBytes) return {{}, "too large", true, it->second.size()};
        return {it->second, {}};
    }
    zfx::WriteResult write(const std::string& path, std::span<const std::uint8_t> bytes,
                           const std::vector<std::uint8_t>* expected) override {
        const auto it = files.find(path);
        if (expected && it != files.end() && it->second != *expected)
            return {"changed while it was saved", {}};
        files[path].assign(bytes.begin(), bytes.end());
        return {};
    }
    bool removeKeptCopy(const std::string& copyPath) override { return files.erase(copyPath) == 1; }
    std::string realPath(const std::string& path) override { return path; }
    std::optional<std::string> refusalAsSaveTarget(const std::string&) override { return std::nullopt; }
    bool sameFile(const std::string& a, const std::string& b) override { return a == b; }
    zfx::KeepResult keepCopy(const std::string& path, const std::string& copyPath) override {
        if (files.count(copyPath)) return {false, true, {}};
        files[copyPath] = files.at(path);
        return {true, false, {}};
    }
    std::map<std::string, std::vector<std::uint8_t>> files;
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_editor: %s\n", what);
    std::abort();
}

// Marks every offset a save may change: each byte a write-back stores for any value, every copy
// and level voltage byte the performance levels keep for a confirmed field, and the last byte.
std::vector<bool> writableOffsets(const zfx::CardData& data, const zfx::LevelPlaces& places,
                                  std::size_t imageSize) {
    std::vector<bool> offsets(imageSize, false);
    if (imageSize > 0) offsets[imageSize - 1] = true;
    zfx::FieldTexts zeros;
    for (int f = 0; f <= static_cast<int>(zfx::CardField::TimingF); ++f)
        zeros[static_cast<zfx::CardField>(f)] = "0";
    auto add = [&](const zfx::TableWrite& write) {
        for (const zfx::ByteWrite& w : write.writes) {
            if (w.offset < 0 || static_cast<std::size_t>(w.offset) >= imageSize)
                fail("a write-back names a byte outside the image");
            offsets[static_cast<std::size_t>(w.offset)] = true;
        }
    };
    if (data.voltages.table)
        add(zfx::writeVoltages(*data.voltages.table, data.voltages.table->offered, {0, 0, 0}));
    add(zfx::writeClocks(data.clocks, zeros));
    if (data.timings.timings) add(zfx::writeMemoryTimings(*data.timings.timings, zeros));
    zfx::TableWrite levels;
    for (const zfx::LevelCopies& copies : places.clocks)
        for (const std::int32_t at : copies.written) {
            levels.writes.push_back({at, 0, copies.field});
            levels.writes.push_back({at + 1, 0, copies.field});
        }
    for (std::size_t m = 0; m < places.modeLevels.size(); ++m)
        for (const zfx::LevelVoltage& level : places.modeLevels[m])
            levels.writes.push_back({level.offset, 0, zfx::kVoltageModes[m]});
    add(levels);
    return offsets;
}

// The two loops over every byte of an image stay functions of their own, which the coverage
// ignore list leaves untraced: their only comparisons are their bounds, and traced they were a
// tenth of the target's time.

// The sum of the first count bytes.
[[gnu::noinline]] unsigned byteSum(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return std::accumulate(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), 0u);
}

// The offsets where two images of the same length differ: a save changes a few dozen of 64 KiB.
[[gnu::noinline]] std::vector<std::size_t> changedOffsets(const std::vector<std::uint8_t>& before,
                                                          const std::vector<std::uint8_t>& after) {
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed.push_back(i);
    return changed;
}

constexpr std::size_t kActionBytes = 8;
using Actions = std::array<std::uint8_t, kActionBytes>;
const std::string kInput = "in.rom";
const std::string kTarget = "out.rom";

// The window shows what the card data say.
void checkShownValues(const zfx::EditorModel& model, const zfx::CardData& card) {
    if (card.clocks.table)
        for (const zfx::ShownClock& clock : card.clocks.table->shown)
            if (model.form().edit(zfx::controlFor(clock.field)).text != std::to_string(clock.mhz))
                fail("a clock box differs from the clock table");
    if (card.voltages.table &&
        model.form().combo(zfx::Control::Voltage2D).entries.size() != card.voltages.table->offered.size())
        fail("the 2D voltage list differs from the voltage table");
}

// What the user types into a box, chosen by the seed: nothing, a byte, a clock, a larger number or
// one past 32 bits.
std::string typedText(unsigned seed) {
    switch (seed % 5) {
    case 0:
        return "";
    case 1:
        return std::to_string(seed % 256);
    case 2:
        return std::to_string(seed % 70000);
    case 3:
        return std::to_string(seed);
    default:
        return "99999999999";
    }
}

// The user's actions as the action bytes choose them: the two ticks, an entry of each voltage list
// (or none) and text typed into the boxes that bytes 4 and 5 pick.
void act(zfx::EditorModel& model, const Actions& actions) {
    if (actions[0] & 1) model.setChecked(zfx::Control::GeneralMode, true);
    if (actions[0] & 2) model.setChecked(zfx::Control::TimingEdit, true);
    for (std::size_t m = 0; m < zfx::kVoltageLists.size(); ++m) {
        const zfx::Control list = zfx::kVoltageLists[m];
        const int count = static_cast<int>(model.form().combo(list).entries.size());
        model.selectEntry(list, actions[1 + m] % (count + 1) - 1);
    }
    const unsigned boxMask = static_cast<unsigned>(actions[4]) | (static_cast<unsigned>(actions[5]) << 8u);
    for (std::size_t i = 0; i < zfx::kEditBoxes.size(); ++i) {
        if (!(boxMask & (1u << i))) continue;
        const unsigned seed = actions[6] * 131u + actions[7] * 7u + static_cast<unsigned>(i + 1) * 977u;
        model.typeText(zfx::kEditBoxes[i], typedText(seed));
        model.keyReleased(zfx::kEditBoxes[i]);
    }
}

// A save that worked wrote an image of the same length with a correct checksum, changed no byte
// that no card field holds, and listed every value that a comparison of the images finds changed.
//
// The analyses of both images are the editor's own: the one made at the open, checked above to be
// of the bytes given, and the one made for the save, checked here to be of the bytes written. An
// analysis depends on the bytes alone, so a second one of the same bytes would only cost time.
void checkSave(const zfx::EditorModel& model, const zfx::CardData& card, const zfx::ImageAnalysis& opened,
               const std::vector<std::uint8_t>& written) {
    const std::vector<std::uint8_t>& image = opened.image.bytes();
    if (written.size() != image.size()) fail("saved length differs from the loaded length");
    if (!model.lastSave()) fail("a save that succeeded has no report");
    if (model.analysis().image.bytes() != written) fail("the editor holds other bytes than it saved");
    // The checksum byte is the file's last, or the last of a first x86 image the file goes on after;
    // the bytes up to it sum to 0, and none after it changed.
    const std::int32_t checksum = model.lastSave()->checksum.offset;
    const auto x86 =
        zfx::shorterX86ImageLength(opened.structure.chain, static_cast<std::int32_t>(image.size()));
    if (checksum != static_cast<std::int32_t>(image.size()) - 1 && (!x86 || checksum != *x86 - 1))
        fail("the checksum byte is neither the file's last nor its first image's");
    const auto throughChecksum = static_cast<std::size_t>(checksum) + 1;
    const unsigned sum = byteSum(written, throughChecksum);
    const unsigned before = byteSum(image, throughChecksum);
    // A damaged dump's image keeps the sum it had, so the damage still shows; else the sum is 0.
    const bool keptOff = opened.dumpDamage.has_value() && image.size() > 2 &&
                         static_cast<std::size_t>(checksum) + 1 == static_cast<std::size_t>(image[2]) * 512;
    if (sum % 256 != (keptOff ? before % 256 : 0))
        fail("saved bytes do not sum as they must through the checksum byte");
    auto writable = writableOffsets(card, opened.places, image.size());
    writable[static_cast<std::size_t>(checksum)] = true;
    for (const std::size_t at : changedOffsets(image, written))
        if (!writable[at]) fail("a save changed a byte that no card field holds");
    const zfx::ImageComparison compared = zfx::compareImages(opened, model.analysis(), checksum);
    if (!compared.otherBytes.empty()) fail("a save changed bytes outside the values the editor reads");
    if (model.lastSave()->changes.size() != compared.fields.size())
        fail("the save's list of changes differs from the comparison of the images");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Actions actions{};
    const std::size_t taken = size < kActionBytes ? size : kActionBytes;
    for (std::size_t i = 0; i < taken; ++i)
        actions[i] = data[i];
    const std::vector<std::uint8_t> image(data + taken, data + size);
    const std::vector<std::uint8_t> previous{'o', 'l', 'd'};

    MemoryFiles files;
    files.files[kInput] = image;
    files.files[kTarget] = previous;
    zfx::SilentHost host;
    zfx::EditorModel model(host, files);
    if (!model.openBios(kInput).ok()) fail("an image in memory could not be opened");
    // Kept before the save replaces it with the analysis of the saved image.
    const zfx::ImageAnalysis opened = model.analysis();
    if (opened.image.bytes() != image) fail("the editor holds other bytes than it read");
    const zfx::CardData card = zfx::readCardData(zfx::BiosImage(image));
    checkShownValues(model, card);

    act(model, actions);
    const zfx::Outcome saved =
        model.saveBios(kTarget, (actions[0] & 4) ? zfx::kBinFilterEntry : zfx::kRomFilterEntry);
    const std::vector<std::uint8_t>& written = files.files[kTarget];
    if (saved.ok())
        checkSave(model, card, opened, written);
    else if (written != previous)
        fail("a failed save changed the target");
    if (files.files.size() != 2) fail("a save wrote another file");
    return 0;
}
