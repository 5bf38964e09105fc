// SPDX-License-Identifier: MIT
#pragma once

#include "tables/card_field.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zfx {

// How a check came out. Passed: as it should be (a table confirmed by the structure). Note:
// worth knowing, not a fault (padding, further images; a value the structure does not cover).
// Problem: a fault a flash of this file would carry onto the card, or a table the structure
// contradicts. A problem is a warning to the user, never a reason to refuse the file.
enum class Severity { Passed, Note, Problem };

// What a finding is about.
enum class Subject {
    // the image as a PCI option ROM
    Signature,
    Size,
    PciData,
    Vendor,
    Device,
    ImageLength,
    LastImage,
    Checksum,
    FileChecksum,
    // the tables the editor found, against the image's own structure
    VoltageTable,
    VoltageChoices,
    LevelVoltages,
    Field, // the clock or timing bytes of one card field
};

// A place a check looked at: what it is, the value there as people read it (empty where the
// place says all), and its offset in the image where it has one.
struct FindingPlace {
    std::string name; // "stored", "needed", "found", "structure", ...
    std::string value;
    std::optional<std::int32_t> offset;
};

// The outcome of one check, as every check gives it.
struct Finding {
    Subject subject = Subject::Signature;
    std::optional<CardField> field; // the card field of Subject::Field
    Severity severity = Severity::Passed;
    std::string text;  // one sentence
    std::string brief; // the short form a status line gives a problem; empty: the text
    std::vector<FindingPlace> places;
};

// The finding's name as reports give it: "size", "last image", "voltage table", "3D core clock".
std::string subjectName(const Finding& finding);
// The offsets of the places of one name, in their order.
std::vector<std::int32_t> offsetsNamed(const Finding& finding, std::string_view name);
// Whether any finding has the severity.
bool anyOf(const std::vector<Finding>& findings, Severity severity);

} // namespace zfx
