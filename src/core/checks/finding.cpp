// SPDX-License-Identifier: MIT
#include "checks/finding.h"

#include <algorithm>

namespace zfx {

std::string subjectName(const Finding& finding) {
    switch (finding.subject) {
    case Subject::Signature:
        return "signature";
    case Subject::Size:
        return "size";
    case Subject::PciData:
        return "pci data";
    case Subject::Vendor:
        return "vendor";
    case Subject::Device:
        return "device";
    case Subject::ImageLength:
        return "image length";
    case Subject::LastImage:
        return "last image";
    case Subject::Checksum:
        return "checksum";
    case Subject::FileChecksum:
        return "file checksum";
    case Subject::VoltageTable:
        return "voltage table";
    case Subject::VoltageChoices:
        return "voltage choices";
    case Subject::LevelVoltages:
        return "level voltages";
    case Subject::Field:
        return finding.field ? std::string(fieldInfo(*finding.field).caption) : "field";
    }
    return {};
}

std::vector<std::int32_t> offsetsNamed(const Finding& finding, std::string_view name) {
    std::vector<std::int32_t> offsets;
    for (const FindingPlace& place : finding.places)
        if (place.name == name && place.offset) offsets.push_back(*place.offset);
    return offsets;
}

bool anyOf(const std::vector<Finding>& findings, Severity severity) {
    return std::any_of(findings.begin(), findings.end(),
                       [severity](const Finding& f) { return f.severity == severity; });
}

} // namespace zfx
