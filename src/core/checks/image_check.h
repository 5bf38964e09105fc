// SPDX-License-Identifier: MIT
#pragma once

#include "checks/finding.h"
#include "image/bios_image.h"
#include "image/card_identity.h"
#include "image/option_rom.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zfx {

// A finding's severity as the image check words it: "passed", "note", "failed".
std::string verdictName(Severity severity);

// The image checked as a PCI option ROM, against the card the identification found: one finding
// per check (signature, size, PCI data, vendor, device, image length, last image, the checksum of
// each x86 image, the whole file's sum).
struct ImageCheck {
    std::vector<Finding> findings;
    std::size_t imageCount = 0;   // the images of the chain
    std::int32_t firstLength = 0; // the first image's length
    bool passed() const;          // no check found a problem
    // The first problem in short, empty when there is none.
    std::string summary() const;
    // One short line for the status bar, and every check for its tool tip.
    std::string line() const;
    std::string details() const;
};

ImageCheck checkImage(const BiosImage& image, const CardIdentity& identity, const OptionRomChain& chain);

// A fault of the dump itself, which a save would hide by setting a new checksum: a file that starts
// with 55 AA but is shorter than its first image says (the length byte at 2 times 512), or whose
// first image's bytes do not sum to 0. The sentence names it and what it usually means; absent for
// a sound dump and for a file that is no option ROM.
std::optional<std::string> dumpDamage(const BiosImage& image);

} // namespace zfx
