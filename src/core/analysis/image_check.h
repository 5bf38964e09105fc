// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "image/card_identity.h"
#include "image/option_rom.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// passed: as it should be; note: worth knowing, not a fault (padding, further images); failed:
// a fault that a flash of this file would carry onto the card. A failure is a warning to the
// user, never a reason to refuse the file.
enum class CheckVerdict { Passed, Note, Failed };

std::string verdictName(CheckVerdict verdict); // "passed", "note", "failed"

// One value a check compared, and where it stands in the image.
struct CheckedValue {
    std::string name;  // "stored", "needed", "file size", ...
    std::string value; // as people read it: "3Ah", "65536 bytes", "10DE"
    std::optional<std::int32_t> offset;
};

struct CheckItem {
    std::string name; // "signature", "size", "pci data", "vendor", "device", "image length",
                      // "last image", "checksum", "file checksum"
    CheckVerdict verdict = CheckVerdict::Passed;
    std::string text; // one sentence
    std::vector<CheckedValue> values;
};

// The image checked as a PCI option ROM, against the card the identification found.
struct ImageCheck {
    std::vector<CheckItem> items;
    OptionRomChain chain;
    std::string summary; // the first failure in short, empty when none failed
    bool passed() const; // no check failed
    // One short line for the status bar, and every check for its tool tip.
    std::string line() const;
    std::string details() const;
};

ImageCheck checkImage(const BiosImage& image, const CardIdentity& identity);

} // namespace zfx
