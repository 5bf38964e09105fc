// SPDX-License-Identifier: MIT
#include "analysis/image_analysis.h"

#include "text/number_text.h"

#include <algorithm>

namespace zfx {

namespace {

// A clock field's place moved onto the copies its levels keep: the copies a save writes replace
// every copy of those levels the patterns name.
void placeInLevels(FieldPlace& place, const LevelPlaces& places) {
    std::vector<std::pair<std::int32_t, std::uint8_t>> copies;
    std::vector<std::int32_t> levelBytes;
    for (const LevelCopies& level : places.clocks) {
        if (level.field != *place.field) continue;
        for (const std::int32_t at : level.written)
            copies.emplace_back(at, level.levelId);
        levelBytes.insert(levelBytes.end(), level.patternSlots.begin(), level.patternSlots.end());
        levelBytes.insert(levelBytes.end(), level.written.begin(), level.written.end());
        for (const PerfClock& left : level.left)
            levelBytes.push_back(left.offset);
    }
    if (copies.empty() && levelBytes.empty()) return;
    bool outsideLevels = false;
    for (const std::int32_t at : place.offsets)
        if (std::find(levelBytes.begin(), levelBytes.end(), at) == levelBytes.end()) {
            copies.emplace_back(at, 0);
            outsideLevels = true;
        }
    std::sort(copies.begin(), copies.end());
    place.offsets.clear();
    place.levels.clear();
    for (const auto& [at, level] : copies) {
        place.offsets.push_back(at);
        place.levels.push_back(level);
    }
    if (outsideLevels) place.levels.clear();
}

// A mode whose levels carry their voltage lives in those levels' voltage bytes; its table entry
// follows it as a voltage entry.
void placeModeInLevels(std::vector<FieldPlace>& layout, std::size_t at, const VoltageTable& table,
                       const std::vector<LevelVoltage>& levels, std::size_t mode) {
    FieldPlace entry = layout[at];
    FieldPlace& own = layout[at];
    own.kind = PlaceKind::LevelVoltage;
    own.offsets.clear();
    for (const LevelVoltage& level : levels) {
        own.offsets.push_back(level.offset);
        own.levels.push_back(level.levelId);
    }
    entry.field.reset();
    entry.voltageEntry = static_cast<int>(table.modes[mode]->storedIndex);
    entry.caption = "voltage entry " + std::to_string(table.modes[mode]->storedIndex + 1);
    layout.insert(layout.begin() + static_cast<std::ptrdiff_t>(at) + 1, std::move(entry));
}

// The values of the performance levels that no other place holds: a level's own clock, its memory
// copies, voltage and fan, where no mode's box or list reads or writes them.
void addLevelPlaces(std::vector<FieldPlace>& layout, const EditableLevels& levels) {
    std::vector<std::int32_t> taken;
    for (const FieldPlace& place : layout)
        taken.insert(taken.end(), place.offsets.begin(), place.offsets.end());
    const auto free = [&](std::int32_t at) {
        return std::find(taken.begin(), taken.end(), at) == taken.end();
    };
    for (const EditableLevel& level : levels.levels) {
        const std::string name = "level " + hexByte(level.id) + " ";
        const PlaceKind clock = level.core.width == 4 ? PlaceKind::LevelClock : PlaceKind::WholeMhzClock;
        const auto add = [&](const std::string& caption, LevelField field, PlaceKind kind,
                             std::vector<std::int32_t> at) {
            std::erase_if(at, [&](std::int32_t offset) { return !free(offset); });
            if (at.empty()) return;
            FieldPlace place{name + caption, std::nullopt, kind, at,
                             std::vector<std::uint8_t>(at.size(), level.id)};
            place.levelCell = LevelCell{level.id, field};
            layout.push_back(std::move(place));
        };
        add("core clock", LevelField::Core, clock, {level.core.offset});
        std::vector<std::int32_t> copies;
        for (const PerfClock& copy : level.memory)
            copies.push_back(copy.offset);
        add("memory clock", LevelField::Memory, clock, copies);
        if (level.voltage)
            add("voltage", LevelField::Voltage, PlaceKind::LevelVoltage, {level.voltageOffset});
        if (level.fan) add("fan", LevelField::Fan, PlaceKind::Percent, {level.fanOffset});
    }
}

} // namespace

ImageAnalysis analyseImage(BiosImage image) {
    ImageAnalysis analysis;
    analysis.image = std::move(image);
    analysis.data = readCardData(analysis.image);
    analysis.structure = decodeRomStructure(analysis.image);
    analysis.check = checkImage(analysis.image, analysis.data.identity, analysis.structure.chain);
    analysis.structureCheck = checkStructure(analysis.structure, analysis.data);
    analysis.places = levelPlaces(analysis.structure, analysis.data, analysis.structureCheck);
    analysis.levels = editableLevels(analysis.structure);
    if (analysis.levels)
        analysis.links =
            levelLinks(*analysis.levels, analysis.data, analysis.structureCheck, analysis.places);
    analysis.dumpDamage = dumpDamage(analysis.image);
    return analysis;
}

std::vector<FieldPlace> valuePlaces(const ImageAnalysis& analysis) {
    std::vector<FieldPlace> layout = cardLayout(analysis.data);
    const LevelPlaces& places = analysis.places;
    for (FieldPlace& place : layout)
        if (place.field && fieldInfo(*place.field).group == FieldGroup::Clock) placeInLevels(place, places);
    for (std::size_t m = 0; analysis.data.voltages.table && m < kVoltageModes.size(); ++m) {
        if (places.modeLevels[m].empty()) continue;
        const auto at = std::find_if(layout.begin(), layout.end(),
                                     [&](const FieldPlace& p) { return p.field == kVoltageModes[m]; });
        if (at == layout.end() || !analysis.data.voltages.table->modes[m]) continue;
        placeModeInLevels(layout, static_cast<std::size_t>(at - layout.begin()),
                          *analysis.data.voltages.table, places.modeLevels[m], m);
    }
    if (analysis.levels) addLevelPlaces(layout, *analysis.levels);
    return layout;
}

} // namespace zfx
