// SPDX-License-Identifier: MIT
#pragma once

#include "checks/image_check.h"
#include "image/bios_image.h"
#include "structure/level_places.h"
#include "structure/performance_levels.h"
#include "structure/rom_structure.h"
#include "structure/structure_check.h"
#include "tables/card_data.h"
#include "tables/card_layout.h"

namespace zfx {

// Everything the program knows about one image, worked out once when the image is loaded (and
// once for the image a save produces): who the card is and its three tables as the readers find
// them, the image's own structure (its option-ROM chain, its BMP or BIT structure and the tables
// they point to), the image check and the check of the tables against the structure. The window,
// the CLI's commands and the save all read it; none decodes the image again.
struct ImageAnalysis {
    BiosImage image;
    CardData data;
    RomStructure structure;
    ImageCheck check;
    StructureCheck structureCheck;
    LevelPlaces places;                    // where the performance levels keep the confirmed fields' values
    std::optional<EditableLevels> levels;  // the levels a user may change, where the table decodes soundly
    std::vector<LevelLink> links;          // the levels' values that a mode box or list shows as well
    std::optional<std::string> dumpDamage; // what is wrong with the dump itself, see dumpDamage()
};

ImageAnalysis analyseImage(BiosImage image);

// Every value the editor reads and every place a save writes it, in the window's order: the card
// layout, with each confirmed field in every copy its performance levels keep, and a mode whose
// levels carry their voltage at those levels' voltage bytes (its table entry then counts among
// the voltage entries).
std::vector<FieldPlace> valuePlaces(const ImageAnalysis& analysis);

} // namespace zfx
