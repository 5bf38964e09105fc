// SPDX-License-Identifier: MIT
// zorvane-fx-cli verify and diff: the image check and the comparison of two images, for scripts.
#include "cli.h"

#include "card_identity.h"
#include "file_io.h"
#include "image_check.h"
#include "image_comparison.h"
#include "number_text.h"
#include "outcome.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace zfx::cli {

namespace {

std::string verdictTag(CheckVerdict verdict) {
    switch (verdict) {
    case CheckVerdict::Passed:
        return "ok  ";
    case CheckVerdict::Note:
        return "note";
    case CheckVerdict::Failed:
        return "FAIL";
    }
    return {};
}

} // namespace

int runVerify(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err) {
    bool unreadable = false;
    bool failed = false;
    for (const std::string& file : files) {
        const ReadResult read = readImageFile(file);
        if (!read.ok()) {
            unreadable = true;
            err << file << ": " << kCantOpenFile << " " << read.error << "\n";
            if (json) out << nlohmann::ordered_json{{"file", file}, {"error", read.error}}.dump() << "\n";
            continue;
        }
        const BiosImage image(read.bytes);
        const ImageCheck check = checkImage(image, identifyCard(image));
        failed = failed || !check.passed();
        if (json) {
            nlohmann::ordered_json line{{"file", file}};
            line.update(imageCheckJson(check));
            out << line.dump() << "\n";
            continue;
        }
        out << file << ": " << check.line() << "\n";
        for (const CheckItem& item : check.items)
            out << "  " << verdictTag(item.verdict) << " " << item.name << ": " << item.text << "\n";
    }
    if (unreadable) return kExitUsage;
    return failed ? kExitFailed : kExitOk;
}

int runDiff(const std::string& beforePath, const std::string& afterPath, bool json, std::ostream& out,
            std::ostream& err) {
    const ReadResult before = readImageFile(beforePath);
    const ReadResult after = readImageFile(afterPath);
    bool unreadable = false;
    for (const auto& [path, read] : {std::pair{&beforePath, &before}, std::pair{&afterPath, &after}})
        if (!read->ok()) {
            err << *path << ": " << kCantOpenFile << " " << read->error << "\n";
            unreadable = true;
        }
    if (unreadable) return kExitUsage;

    const ImageComparison compared = compareImages(BiosImage(before.bytes), BiosImage(after.bytes));
    if (json) {
        nlohmann::ordered_json identity = nlohmann::ordered_json::array();
        for (const IdentityDifference& d : compared.identity)
            identity.push_back({{"what", d.what}, {"old", d.before}, {"new", d.after}, {"loud", d.loud}});
        nlohmann::ordered_json other = nlohmann::ordered_json::array();
        for (const ByteRange& range : compared.otherBytes)
            other.push_back({{"offset", range.offset},
                             {"length", range.length},
                             {"old", range.before},
                             {"new", range.after}});
        out << nlohmann::ordered_json{{"old", beforePath},
                                      {"new", afterPath},
                                      {"identical", compared.identical},
                                      {"identity", identity},
                                      {"changes", changesJson(compared.fields)},
                                      {"otherBytes", other},
                                      {"checksum", checksumJson(compared.checksum)}}
                   .dump()
            << "\n";
        return compared.identical ? kExitOk : kExitFailed;
    }
    if (compared.identical) {
        out << "The images are identical.\n";
        return kExitOk;
    }
    // What makes every comparison below doubtful comes first, in capitals.
    for (const IdentityDifference& d : compared.identity)
        if (d.loud) out << "DIFFERENT " << d.what << ": " << d.before << " -> " << d.after << "\n";
    for (const IdentityDifference& d : compared.identity)
        if (!d.loud) out << d.what << ": " << d.before << " -> " << d.after << "\n";
    for (const FieldChange& change : compared.fields)
        out << changeLine(change) << "\n";
    for (const ByteRange& range : compared.otherBytes)
        out << range.length << (range.length == 1 ? " byte at " : " bytes at ") << hexOffset(range.offset)
            << ": " << (range.before.empty() ? "none" : range.before) << " -> "
            << (range.after.empty() ? "none" : range.after) << "\n";
    if (compared.checksum.changed()) out << checksumLine(compared.checksum) << "\n";
    return kExitFailed;
}

} // namespace zfx::cli
