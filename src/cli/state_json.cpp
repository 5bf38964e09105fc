// SPDX-License-Identifier: MIT
#include "analysis/image_comparison.h"
#include "checks/image_check.h"
#include "cli.h"
#include "editor/editor_model.h"
#include "editor/editor_state.h"
#include "recording_host.h"

#include <nlohmann/json.hpp>

namespace zfx::cli {

nlohmann::ordered_json stateJson(const EditorModel& model, const RecordingHost& host) {
    return editorStateJson(model, host.messages, host.warnings);
}

nlohmann::ordered_json changesJson(const std::vector<FieldChange>& changes) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const FieldChange& change : changes) {
        nlohmann::ordered_json item{{"field", change.caption},
                                    {"old", change.before},
                                    {"new", change.after},
                                    {"offsets", change.offsets}};
        if (!change.offsetsBefore.empty()) item["offsetsBefore"] = change.offsetsBefore;
        if (!change.levels.empty()) item["levels"] = change.levels;
        list.push_back(std::move(item));
    }
    return list;
}

nlohmann::ordered_json checksumJson(const ChecksumChange& checksum) {
    auto value = [](const std::optional<std::uint8_t>& byte) {
        return byte ? nlohmann::ordered_json(*byte) : nlohmann::ordered_json(nullptr);
    };
    return {{"old", value(checksum.before)}, {"new", value(checksum.after)}, {"offset", checksum.offset}};
}

nlohmann::ordered_json imageCheckJson(const ImageCheck& check, const OptionRomChain& chain) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const Finding& item : check.findings) {
        nlohmann::ordered_json values = nlohmann::ordered_json::array();
        for (const FindingPlace& value : item.places)
            values.push_back({{"name", value.name},
                              {"value", value.value},
                              {"offset", value.offset ? nlohmann::ordered_json(*value.offset)
                                                      : nlohmann::ordered_json(nullptr)}});
        items.push_back({{"name", subjectName(item)},
                         {"verdict", verdictName(item.severity)},
                         {"text", item.text},
                         {"values", values}});
    }
    nlohmann::ordered_json images = nlohmann::ordered_json::array();
    for (const OptionRomImage& rom : chain.images)
        images.push_back({{"start", rom.start},
                          {"length", rom.length()},
                          {"vendor", rom.vendor},
                          {"device", rom.device},
                          {"codeType", rom.codeType},
                          {"last", rom.last}});
    return {{"passed", check.passed()}, {"line", check.line()}, {"checks", items}, {"images", images}};
}

} // namespace zfx::cli
