// SPDX-License-Identifier: MIT
#pragma once

#include "checks/image_check.h"
#include "image/bios_image.h"
#include "structure/rom_structure.h"
#include "structure/structure_check.h"
#include "tables/card_data.h"

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
    std::optional<std::string> dumpDamage; // what is wrong with the dump itself, see dumpDamage()
};

ImageAnalysis analyseImage(BiosImage image);

} // namespace zfx
