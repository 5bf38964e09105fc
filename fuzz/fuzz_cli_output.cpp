// SPDX-License-Identifier: MIT
// What zorvane-fx-cli prints for arbitrary images under arbitrary file names: info, verify,
// structure and diff, as text and as JSON, and set and apply with arbitrary text in a typed value,
// an option's name, a settings file or the name of the folder a backup is kept in, run in-process.
// Every JSON line must parse and be plain printable ASCII, and a JSON "file" that the name spells
// in UTF-8 must be that name; every text line, on both streams, must be UTF-8 with no control
// character but the line break and no bidi control; and a line break in the name or the text must
// not break a line of the output.
//
// The input: a command byte, the length of the file name, the name (any bytes; for set and apply
// also the text), a patch count and then the first image. The second image, for diff and for info
// on two files, is the first with the patches applied: each is three bytes at the end of the input,
// a 16-bit offset and a byte to add there, so the two images differ in a few values as an edited
// image would.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what, const std::string& output) {
    std::fprintf(stderr, "fuzz_cli_output: %s\n--- output ---\n%s\n--- end ---\n", what, output.c_str());
    std::abort();
}

void removeWorkFolder();

// The folder the images are written to, made once per process: tmpfs when there is one.
const std::filesystem::path& workFolder() {
    static const std::filesystem::path folder = [] {
        std::error_code error;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
        // libFuzzer ends a timed run without the exit handlers, so a folder can outlive its
        // process: those of processes that are gone are removed here.
        const std::string prefix = "zfx-fuzz-cli-";
        for (const auto& entry : std::filesystem::directory_iterator(base, error)) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with(prefix)) continue;
            const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
            if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                std::filesystem::remove_all(entry.path(), error);
        }
        std::filesystem::path made = base / (prefix + std::to_string(::getpid()));
        std::filesystem::create_directories(made / "a");
        std::filesystem::create_directories(made / "b");
        std::atexit(removeWorkFolder);
        return made;
    }();
    return folder;
}

void removeWorkFolder() {
    std::error_code error;
    std::filesystem::remove_all(workFolder(), error);
}

// A file name may hold any byte but NUL and '/': those two become bytes that a name can hold and
// that the output must escape as well.
std::string fileNameFrom(std::string_view bytes) {
    std::string name(bytes);
    for (char& c : name) {
        if (c == '\0') c = '\x1B';
        if (c == '/') c = '\x7F';
    }
    return name;
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) fail("an image could not be written to the work folder", path.string());
}

// The code point of the UTF-8 sequence at text[i] and its length; length 0 when it is no UTF-8
// (a stray continuation byte, a cut sequence, an overlong form, a surrogate, or past U+10FFFF).
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) return {c, 1};
    std::size_t length = 0;
    char32_t point = 0;
    char32_t least = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        point = c & 0x1Fu;
        least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        point = c & 0x0Fu;
        least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        point = c & 0x07u;
        least = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + length > text.size()) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0u) != 0x80u) return {0, 0};
        point = (point << 6u) | (next & 0x3Fu);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return {0, 0};
    return {point, length};
}

// The bidi controls, after which a terminal shows the text reordered.
bool isBidiControl(char32_t point) {
    return point == 0x061C || point == 0x200E || point == 0x200F || (point >= 0x202A && point <= 0x202E) ||
           (point >= 0x2066 && point <= 0x2069);
}

// Text for a terminal: UTF-8 throughout, and no control character (C0, DEL, C1) but the line
// break, and no bidi control. A byte that is no UTF-8 would be a C1 control on a terminal that
// reads 8-bit controls.
void checkText(const std::string& text, const char* stream) {
    for (std::size_t i = 0; i < text.size();) {
        const auto [point, length] = decodeUtf8(text, i);
        if (length == 0) fail(stream, text);
        if ((point < 0x20 && point != '\n') || (point >= 0x7F && point <= 0x9F) || isBidiControl(point))
            fail(stream, text);
        i += length;
    }
    if (!text.empty() && text.back() != '\n') fail("text output does not end with a line break", text);
}

// JSON output: one value per line, each plain printable ASCII (every other character escaped).
// A "file" member names the file as given when the name is UTF-8; otherwise with U+FFFD for what
// is not. Returns the parsed lines.
std::vector<nlohmann::json> checkJson(const std::string& output) {
    std::vector<nlohmann::json> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = output.find('\n', start);
        if (end == std::string::npos) fail("JSON output does not end with a line break", output);
        const std::string line = output.substr(start, end - start);
        for (const char c : line)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                fail("a JSON line holds a byte that is not printable ASCII", output);
        nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        if (parsed.is_discarded()) fail("a JSON line does not parse", output);
        lines.push_back(std::move(parsed));
        start = end + 1;
    }
    return lines;
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = decodeUtf8(text, i).second;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// The file as JSON gives it back: the name itself, when it is UTF-8.
void checkFileMember(const nlohmann::json& line, const char* key, const std::string& path,
                     const std::string& output) {
    if (!line.is_object() || !line.contains(key) || !line[key].is_string())
        fail("a JSON line does not name its file", output);
    if (isUtf8(path) && line[key].get<std::string>() != path) fail("a JSON line names another file", output);
}

struct Output {
    int code;
    std::string out;
    std::string err;
};

Output runCli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = zfx::cli::run(args, out, err);
    if (code != zfx::cli::kExitOk && code != zfx::cli::kExitFailed && code != zfx::cli::kExitUsage)
        fail("an exit code that the CLI does not document", std::to_string(code));
    return {code, out.str(), err.str()};
}

// Whether a name needs escaping in text: it holds a control character, a bidi control or a byte
// that is no UTF-8.
bool needsEscaping(const std::string& name) {
    for (std::size_t i = 0; i < name.size();) {
        const auto [point, length] = decodeUtf8(name, i);
        if (length == 0 || point < 0x20 || (point >= 0x7F && point <= 0x9F) || isBidiControl(point))
            return true;
        i += length;
    }
    return false;
}

// One command on the files, as text or as JSON; returns its output and the JSON lines. When the
// name needs escaping, no path given shows as it is, also where its raw bytes would pass the check
// of the text (a line break in a name forges a line). The whole path is looked for, as a name of
// one line break is in every output.
std::vector<nlohmann::json> runChecked(const std::vector<std::string>& args,
                                       const std::vector<std::string>& paths, bool hidden, bool json,
                                       Output& r) {
    r = runCli(args);
    checkText(r.err, "error output holds a control character or a byte that is no UTF-8");
    for (const std::string& path : paths)
        if (hidden && r.err.find(path) != std::string::npos)
            fail("error output shows a name unescaped", r.err);
    if (!json) {
        checkText(r.out, "text output holds a control character or a byte that is no UTF-8");
        for (const std::string& path : paths)
            if (hidden && r.out.find(path) != std::string::npos)
                fail("text output shows a name unescaped", r.out);
        return {};
    }
    return checkJson(r.out);
}

// One input taken apart: the command byte, the file name, the text that set and apply are given,
// and the two images.
struct Input {
    std::uint8_t command = 0;
    std::string name;
    std::string text;
    std::vector<std::uint8_t> first;
    std::vector<std::uint8_t> second;
};

Input takeApart(const std::uint8_t* data, std::size_t size) {
    Input input;
    input.command = data[0];
    const std::size_t nameLength = std::min<std::size_t>(data[1], size - 2);
    input.text.assign(reinterpret_cast<const char*>(data + 2), nameLength);
    input.name = fileNameFrom(input.text);
    // An argument holds no NUL either.
    std::replace(input.text.begin(), input.text.end(), '\0', '\x1B');
    std::size_t at = 2 + nameLength;
    const std::size_t patchCount = at < size ? data[at++] % 16u : 0;
    const std::size_t patchBytes = std::min(patchCount * 3, size - at);
    input.first.assign(data + at, data + size - patchBytes);
    input.second = input.first;
    for (std::size_t p = size - patchBytes; p + 3 <= size && !input.second.empty(); p += 3) {
        const std::size_t offset =
            (data[p] | (static_cast<std::size_t>(data[p + 1]) << 8u)) % input.second.size();
        input.second[offset] = static_cast<std::uint8_t>(input.second[offset] + data[p + 2]);
    }
    return input;
}

enum class Command { Info, Verify, Structure, Diff };

// The arguments for the command byte; files gets the files in the order the command reads them.
std::vector<std::string> argumentsFor(std::uint8_t command, const std::string& a, const std::string& b,
                                      std::vector<std::string>& files) {
    std::vector<std::string> args;
    files = {a};
    switch (static_cast<Command>(command & 0x03u)) {
    case Command::Info: // with the ticks after the load, on one file or on both
        args = {"info"};
        if (command & 0x08u) args.emplace_back("--general-mode");
        if (command & 0x10u) args.emplace_back("--timings");
        if (command & 0x20u) files.push_back(b);
        break;
    case Command::Verify:
        args = {"verify"};
        if (command & 0x20u) files.push_back(b);
        break;
    case Command::Structure:
        args = {"structure"};
        break;
    case Command::Diff:
        args = {"diff"};
        files.push_back(b);
        break;
    }
    if (command & 0x04u) args.emplace_back("--json");
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

// The JSON lines name their files: info and verify one line per file (info without a name for a
// file it cannot read, as its editor opened nothing), structure and diff at most one line, which
// diff prints only when it read both files.
void checkJsonFiles(Command command, const std::vector<nlohmann::json>& lines,
                    const std::vector<std::string>& files, bool unreadable) {
    const std::string shown = lines.empty() ? std::string() : lines.front().dump();
    switch (command) {
    case Command::Diff:
        if (lines.size() > 1) fail("diff printed more than one JSON line", shown);
        if (lines.size() == 1) {
            checkFileMember(lines[0], "old", files[0], shown);
            checkFileMember(lines[0], "new", files[1], shown);
        }
        break;
    case Command::Structure:
        if (lines.size() > 1) fail("structure printed more than one JSON line", shown);
        if (lines.size() == 1) checkFileMember(lines[0], "file", files[0], shown);
        break;
    case Command::Info:
    case Command::Verify:
        if (lines.size() != files.size()) fail("not one JSON line per file", shown);
        for (std::size_t i = 0; i < files.size(); ++i)
            if (command == Command::Verify || !unreadable) checkFileMember(lines[i], "file", files[i], shown);
        break;
    }
}

// set and apply, for the command byte's low two bits when bit 6 is set: each is given the text
// where a user gives one, in a typed value, an option's name, a settings file or the name of the
// folder that the image and its kept original are in.
enum class Edit { TypedValue, OptionName, Settings, BackupFolder };

bool isEdit(std::uint8_t command) {
    return (command & 0x40u) != 0;
}

// The files of set and apply: the image, where it is saved, and the settings file for apply.
struct EditFiles {
    std::filesystem::path folder; // the image's own folder, named by the text, for a backup kept in it
    std::string image;
    std::string output;
    std::string settings;
};

EditFiles editFiles(std::uint8_t command, const std::string& name) {
    // A name of any length leaves room for what is put beside it.
    const std::string shortName = name.substr(0, 200);
    EditFiles files;
    files.folder = workFolder() / "a" / ("d" + shortName);
    const bool inFolder = static_cast<Edit>(command & 0x03u) == Edit::BackupFolder;
    files.image =
        inFolder ? (files.folder / "card.rom").string() : (workFolder() / "a").string() + "/" + name;
    files.output = inFolder ? files.image : (workFolder() / "b").string() + "/" + name;
    files.settings = (workFolder() / "a").string() + "/" + shortName + ".json";
    return files;
}

// A settings file with the text where bits 3 and 4 put it: a clock's key, a clock's value, a
// voltage, or the device it was made for.
std::string settingsWith(std::uint8_t command, const std::string& text) {
    nlohmann::json file{{"format", "zorvane-fx-settings"}, {"version", 1}};
    switch ((command >> 3u) & 0x03u) {
    case 0:
        file["clocks"][text] = 300;
        break;
    case 1:
        file["clocks"]["core3d"] = text;
        break;
    case 2:
        file["voltages"]["3d"] = text;
        break;
    default:
        file["device"] = text;
        break;
    }
    return file.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The arguments of set or apply; bits 3 and 4 pick the option that takes the text, bit 2 asks
// for JSON and bit 5 forces the save.
std::vector<std::string> editArguments(std::uint8_t command, const std::string& text, const EditFiles& f) {
    constexpr std::array<const char*, 4> kValueOptions{"--core-3d", "--voltage-3d", "--timing-a", "--mem-2d"};
    const std::size_t pick = (command >> 3u) & 0x03u;
    std::vector<std::string> args;
    switch (static_cast<Edit>(command & 0x03u)) {
    case Edit::TypedValue:
        args = {"set", f.image, "-o", f.output, kValueOptions.at(pick), text};
        break;
    case Edit::OptionName:
        args = {"set", f.image, "-o", f.output};
        if (pick & 1u)
            args.push_back("--" + text + "=300");
        else
            args.insert(args.end(), {"--core-3d" + text, "300"});
        break;
    case Edit::Settings:
        args = {"apply", f.settings, f.image, "-o", f.output};
        break;
    case Edit::BackupFolder:
        args = {"set", f.image, "-o", f.output, "--core-3d", "300"};
        break;
    }
    if (command & 0x04u) args.emplace_back("--json");
    if (command & 0x20u) args.emplace_back("--force");
    return args;
}

void clearFolder(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        std::filesystem::remove_all(entry.path(), error);
}

// set or apply on the input, with its files written and removed again.
Output runEdit(const Input& input) {
    const EditFiles files = editFiles(input.command, input.name);
    const bool inFolder = static_cast<Edit>(input.command & 0x03u) == Edit::BackupFolder;
    // "", "." and ".." name folders, not an image beside the others: the command reports a file it
    // cannot read, under that name.
    const bool folder = !inFolder && (input.name.empty() || input.name == "." || input.name == "..");
    const bool unreadable = (input.command & 0x80u) != 0 || folder;
    std::error_code error;
    if (inFolder) {
        std::filesystem::create_directories(files.folder, error);
        // Bit 3: an original kept by an earlier save is there already.
        if (!error && (input.command & 0x08u)) writeFile(files.folder / "card.orig.rom", input.first);
    }
    if (!unreadable && !error) writeFile(files.image, input.first);
    const std::string settings = settingsWith(input.command, input.text);
    writeFile(files.settings, std::vector<std::uint8_t>(settings.begin(), settings.end()));
    Output r;
    runChecked(editArguments(input.command, input.text, files), {files.image, files.output, files.settings},
               needsEscaping(input.name), (input.command & 0x04u) != 0, r);
    clearFolder(workFolder() / "a");
    clearFolder(workFolder() / "b");
    return r;
}

// info, verify, structure or diff on the input, with its files written and removed again.
Output runCheck(const Input& input) {
    // "", "." and ".." name folders. Either way the command reports a file it cannot read, under
    // that name.
    const std::string a = (workFolder() / "a").string() + "/" + input.name;
    const std::string b = (workFolder() / "b").string() + "/" + input.name;
    const bool folder = input.name.empty() || input.name == "." || input.name == "..";
    const bool unreadable = (input.command & 0x80u) != 0 || folder;
    if (!unreadable) {
        writeFile(a, input.first);
        writeFile(b, input.second);
    }

    const bool json = (input.command & 0x04u) != 0;
    std::vector<std::string> files;
    const std::vector<std::string> args = argumentsFor(input.command, a, b, files);
    Output r;
    const std::vector<nlohmann::json> lines = runChecked(args, files, needsEscaping(input.name), json, r);
    if (json) checkJsonFiles(static_cast<Command>(input.command & 0x03u), lines, files, unreadable);

    if (!unreadable) {
        std::error_code error;
        std::filesystem::remove(a, error);
        std::filesystem::remove(b, error);
    }
    return r;
}

std::size_t lineBreaks(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const Input input = takeApart(data, size);
    const Output r = isEdit(input.command) ? runEdit(input) : runCheck(input);
    // A line break of the name or the text must show escaped. With a vertical tab in its place,
    // which breaks no line and is escaped as well, the output has as many lines.
    if (input.text.find('\n') != std::string::npos) {
        Input twin = input;
        std::replace(twin.name.begin(), twin.name.end(), '\n', '\v');
        std::replace(twin.text.begin(), twin.text.end(), '\n', '\v');
        const Output t = isEdit(twin.command) ? runEdit(twin) : runCheck(twin);
        if (lineBreaks(r.out) != lineBreaks(t.out) || lineBreaks(r.err) != lineBreaks(t.err))
            fail("a line break of the name or the text broke a line of the output",
                 r.out + r.err + "\n--- with a vertical tab ---\n" + t.out + t.err);
    }
    return 0;
}
