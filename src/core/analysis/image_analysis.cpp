// SPDX-License-Identifier: MIT
#include "analysis/image_analysis.h"

namespace zfx {

ImageAnalysis analyseImage(BiosImage image) {
    ImageAnalysis analysis;
    analysis.image = std::move(image);
    analysis.data = readCardData(analysis.image);
    analysis.structure = decodeRomStructure(analysis.image);
    analysis.check = checkImage(analysis.image, analysis.data.identity, analysis.structure.chain);
    analysis.structureCheck = checkStructure(analysis.structure, analysis.data);
    analysis.dumpDamage = dumpDamage(analysis.image);
    return analysis;
}

} // namespace zfx
