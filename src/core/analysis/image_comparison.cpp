// SPDX-License-Identifier: MIT
#include "analysis/image_comparison.h"

#include "tables/card_layout.h"
#include "text/number_text.h"

#include <algorithm>
#include <cstring>

namespace zfx {

namespace {

// How many bytes of each side a differing range shows.
constexpr std::int32_t kShownBytes = 8;

// The first bytes of a range, those inside the image, and "..." when the range goes on.
std::string firstBytesText(const BiosImage& image, std::int32_t offset, std::int32_t length) {
    std::int32_t shown = 0;
    while (shown < std::min(length, kShownBytes) && image.contains(offset + shown, offset + shown))
        ++shown;
    if (shown == 0) return {};
    std::string text = hexBytes(image.bytes().data() + offset, static_cast<std::size_t>(shown));
    if (length > kShownBytes) text += " ...";
    return text;
}

std::string familyText(const CardFlags& flags) {
    std::string text;
    for (const std::string& name : flags.names())
        text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

// The place of the other image's layout that holds the same value, if it has one.
const FieldPlace* samePlaceIn(const std::vector<FieldPlace>& layout, const FieldPlace& place) {
    const auto it = std::find_if(layout.begin(), layout.end(),
                                 [&](const FieldPlace& other) { return other.holdsSameValueAs(place); });
    return it == layout.end() ? nullptr : &*it;
}

bool sameBytes(const FieldPlace& place, const BiosImage& a, const BiosImage& b, std::int32_t at) {
    for (std::int32_t i = 0; i < placeWidth(place.kind); ++i)
        if (a.contains(at + i, at + i) != b.contains(at + i, at + i) || a.at(at + i) != b.at(at + i))
            return false;
    return true;
}

std::optional<FieldChange> compareField(const FieldPlace* before, const FieldPlace* after, const BiosImage& a,
                                        const BiosImage& b) {
    const FieldPlace& any = before ? *before : *after;
    FieldChange change{any.caption, "not found", "not found", placeUnit(any.kind),
                       {},          {},          {},          placeWidth(any.kind)};
    if (before && after && before->offsets == after->offsets && before->kind == after->kind) {
        // The same place on both sides: only the copies whose bytes differ.
        FieldPlace differing = *after;
        differing.offsets.clear();
        differing.levels.clear();
        for (std::size_t i = 0; i < after->offsets.size(); ++i) {
            if (sameBytes(*after, a, b, after->offsets[i])) continue;
            differing.offsets.push_back(after->offsets[i]);
            if (!after->levels.empty()) differing.levels.push_back(after->levels[i]);
        }
        if (differing.offsets.empty()) return std::nullopt;
        change.before = valueOf(differing, a);
        change.after = valueOf(differing, b);
        change.offsets = differing.offsets;
        change.levels = differing.levels;
        return change;
    }
    if (before) {
        change.before = valueOf(*before, a);
        change.offsetsBefore = before->offsets;
    }
    if (after) {
        change.after = valueOf(*after, b);
        change.offsets = after->offsets;
        change.levels = after->levels;
    }
    return change;
}

void markPlaces(std::vector<bool>& covered, const std::vector<FieldPlace>& layout) {
    for (const FieldPlace& place : layout)
        for (const std::int32_t at : place.offsets)
            for (std::int64_t byte = at; byte < static_cast<std::int64_t>(at) + placeWidth(place.kind);
                 ++byte)
                if (byte >= 0 && static_cast<std::uint64_t>(byte) < covered.size())
                    covered[static_cast<std::size_t>(byte)] = true;
}

} // namespace

namespace {

std::vector<IdentityDifference> identityDifferences(const ImageAnalysis& first, const ImageAnalysis& second) {
    std::vector<IdentityDifference> differences;
    auto differ = [&](std::string what, std::string x, std::string y, bool loud) {
        if (x != y) differences.push_back({std::move(what), std::move(x), std::move(y), loud});
    };
    auto deviceOf = [](const CardIdentity& id) {
        const std::string ids = pciIdText(id);
        return ids.empty() ? std::string("none") : ids + " (" + id.deviceName + ")";
    };
    auto subsystemOf = [](const CardIdentity& id) {
        const std::string ids = subsystemIdText(id);
        return ids.empty() ? std::string("none") : ids;
    };
    const CardIdentity& before = first.data.identity;
    const CardIdentity& after = second.data.identity;
    differ("device", deviceOf(before), deviceOf(after), true);
    differ("length", std::to_string(first.image.size()) + " bytes",
           std::to_string(second.image.size()) + " bytes", true);
    differ("family", familyText(before.flags), familyText(after.flags), true);
    differ("BIOS version", before.biosVersion, after.biosVersion, false);
    differ("vendor", before.vendorName, after.vendorName, false);
    differ("subsystem", subsystemOf(before), subsystemOf(after), false);
    return differences;
}

std::vector<FieldChange> fieldChanges(const std::vector<FieldPlace>& layoutBefore,
                                      const std::vector<FieldPlace>& layoutAfter, const BiosImage& a,
                                      const BiosImage& b) {
    std::vector<FieldChange> changes;
    for (const FieldPlace& place : layoutBefore)
        if (auto change = compareField(&place, samePlaceIn(layoutAfter, place), a, b))
            changes.push_back(std::move(*change));
    for (const FieldPlace& place : layoutAfter)
        if (!samePlaceIn(layoutBefore, place))
            if (auto change = compareField(nullptr, &place, a, b)) changes.push_back(std::move(*change));
    return changes;
}

// The first offset from `from` on, below `end`, where two images differ; `end` when none does.
// Equal blocks are passed by one memcmp each, the block that differs is searched byte by byte.
std::size_t nextDifference(const std::uint8_t* x, const std::uint8_t* y, std::size_t from, std::size_t end) {
    constexpr std::size_t kBlock = 256;
    while (end - from >= kBlock && std::memcmp(x + from, y + from, kBlock) == 0)
        from += kBlock;
    return static_cast<std::size_t>(std::mismatch(x + from, x + end, y + from).first - x);
}

// The runs of bytes that differ where no value and no checksum byte lies. Equal stretches are
// skipped in one search, and the marks are looked at only where bytes differ.
std::vector<ByteRange> otherRanges(const BiosImage& a, const BiosImage& b, const std::vector<bool>& covered) {
    std::vector<ByteRange> ranges;
    const std::uint8_t* x = a.bytes().data();
    const std::uint8_t* y = b.bytes().data();
    const std::size_t common = std::min(a.bytes().size(), b.bytes().size());
    const std::size_t longest = std::max(a.bytes().size(), b.bytes().size());
    const auto differs = [&](std::size_t at) { return !covered[at] && (at >= common || x[at] != y[at]); };
    for (std::size_t i = 0; i < longest;) {
        if (i < common) i = nextDifference(x, y, i, common);
        if (i >= longest) break;
        if (!differs(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < longest && differs(end))
            ++end;
        const auto offset = static_cast<std::int32_t>(i);
        const auto length = static_cast<std::int32_t>(end - i);
        ranges.push_back(
            {offset, length, firstBytesText(a, offset, length), firstBytesText(b, offset, length)});
        i = end;
    }
    return ranges;
}

// Whether two images are of one card whose performance levels lie in the same places.
bool sameLevelPlaces(const ImageAnalysis& first, const ImageAnalysis& second) {
    if (!first.levels || !second.levels || first.image.size() != second.image.size() ||
        pciIdText(first.data.identity) != pciIdText(second.data.identity) ||
        first.levels->levels.size() != second.levels->levels.size())
        return false;
    for (std::size_t i = 0; i < first.levels->levels.size(); ++i) {
        const EditableLevel& x = first.levels->levels[i];
        const EditableLevel& y = second.levels->levels[i];
        if (x.id != y.id || x.core.offset != y.core.offset || x.memory.size() != y.memory.size() ||
            x.voltageOffset != y.voltageOffset || x.fanOffset != y.fanOffset)
            return false;
        for (std::size_t k = 0; k < x.memory.size(); ++k)
            if (x.memory[k].offset != y.memory[k].offset) return false;
    }
    return true;
}

} // namespace

ImageComparison compareImages(const ImageAnalysis& first, const ImageAnalysis& second,
                              std::optional<std::int32_t> checksumOffset) {
    const BiosImage& a = first.image;
    const BiosImage& b = second.image;
    ImageComparison result;
    result.identical = a.bytes() == b.bytes();
    result.identity = identityDifferences(first, second);
    const std::vector<FieldPlace> layoutBefore = valuePlaces(first);
    const std::vector<FieldPlace> layoutAfter = valuePlaces(second);
    // Two images of one card whose levels lie in the same places (a file and what a save made of it)
    // are read at the first one's places, as the save's own list reads them: a level whose copies
    // agreed keeps them in one place when one of them now differs.
    result.fields = sameLevelPlaces(first, second) ? fieldChanges(layoutBefore, layoutBefore, a, b)
                                                   : fieldChanges(layoutBefore, layoutAfter, a, b);

    std::vector<bool> covered(static_cast<std::size_t>(std::max(a.size(), b.size())), false);
    markPlaces(covered, layoutBefore);
    markPlaces(covered, layoutAfter);
    const std::int32_t checksumA = checksumOffset.value_or(a.size() - 1);
    const std::int32_t checksumB = checksumOffset.value_or(b.size() - 1);
    const bool inA = checksumA >= 0 && checksumA < a.size();
    const bool inB = checksumB >= 0 && checksumB < b.size();
    if (inA) covered[static_cast<std::size_t>(checksumA)] = true;
    if (inB) covered[static_cast<std::size_t>(checksumB)] = true;
    result.otherBytes = otherRanges(a, b, covered);

    if (inA) result.checksum.before = a.at(checksumA);
    if (inB) result.checksum.after = b.at(checksumB);
    result.checksum.offset = std::max(checksumB, 0);
    return result;
}

std::vector<FieldChange> compareValues(const ImageAnalysis& before, const ImageAnalysis& after) {
    const std::vector<FieldPlace> placesBefore = valuePlaces(before);
    return fieldChanges(placesBefore, sameLevelPlaces(before, after) ? placesBefore : valuePlaces(after),
                        before.image, after.image);
}

std::string changeLine(const FieldChange& change) {
    std::string line = change.caption + ": " + change.before + " -> " + change.after + change.unit;
    if (!change.levels.empty() && change.offsets.size() > 2)
        line += " at " + std::to_string(change.offsets.size()) + " places: " + levelsText(change.levels);
    else if (!change.levels.empty())
        line += " at " + offsetsText(change.offsets) + ": " + levelsText(change.levels);
    else if (!change.offsets.empty())
        line += " at " + offsetsText(change.offsets);
    if (!change.offsetsBefore.empty()) line += " (before at " + offsetsText(change.offsetsBefore) + ")";
    return line;
}

std::string checksumLine(const ChecksumChange& checksum) {
    auto text = [](const std::optional<std::uint8_t>& value) { return value ? hexByte(*value) : "none"; };
    return "checksum byte: " + text(checksum.before) + " -> " + text(checksum.after) + " at " +
           hexOffset(checksum.offset);
}

} // namespace zfx
