// SPDX-License-Identifier: MIT
// What zorvane-fx-cli prints for arbitrary images under arbitrary file names: info, verify,
// structure and diff, as text and as JSON, run in-process. Every JSON line must parse and be plain
// printable ASCII, and a JSON "file" that the name spells in UTF-8 must be that name; every text
// line, on both streams, must be UTF-8 with no control character but the line break.
//
// The input: a command byte, the length of the file name, the name (any bytes), a patch count and
// then the first image. The second image, for diff and for info on two files, is the first with
// the patches applied: each is three bytes at the end of the input, a 16-bit offset and a byte to
// add there, so the two images differ in a few values as an edited image would.
#include "cli.h"

#include <nlohmann/json.hpp>

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

// Text for a terminal: UTF-8 throughout, and no control character (C0, DEL, C1) but the line
// break. A byte that is no UTF-8 would be a C1 control on a terminal that reads 8-bit controls.
void checkText(const std::string& text, const char* stream) {
    for (std::size_t i = 0; i < text.size();) {
        const auto [point, length] = decodeUtf8(text, i);
        if (length == 0) fail(stream, text);
        if ((point < 0x20 && point != '\n') || (point >= 0x7F && point <= 0x9F)) fail(stream, text);
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

// Whether a name needs escaping in text: it holds a control character or a byte that is no UTF-8.
bool needsEscaping(const std::string& name) {
    for (std::size_t i = 0; i < name.size();) {
        const auto [point, length] = decodeUtf8(name, i);
        if (length == 0 || point < 0x20 || (point >= 0x7F && point <= 0x9F)) return true;
        i += length;
    }
    return false;
}

// One command on the files, as text or as JSON; returns the JSON lines. When the name needs
// escaping, no path given shows as it is, also where its raw bytes would pass the check of the text
// (a line break in a name forges a line). The whole path is looked for, as a name of one line break
// is in every output.
std::vector<nlohmann::json> runChecked(const std::vector<std::string>& args,
                                       const std::vector<std::string>& paths, bool hidden, bool json) {
    const Output r = runCli(args);
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

// One input taken apart: the command byte, the file name and the two images.
struct Input {
    std::uint8_t command = 0;
    std::string name;
    std::vector<std::uint8_t> first;
    std::vector<std::uint8_t> second;
};

Input takeApart(const std::uint8_t* data, std::size_t size) {
    Input input;
    input.command = data[0];
    const std::size_t nameLength = std::min<std::size_t>(data[1], size - 2);
    input.name = fileNameFrom({reinterpret_cast<const char*>(data + 2), nameLength});
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const Input input = takeApart(data, size);

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
    const std::vector<nlohmann::json> lines = runChecked(args, files, needsEscaping(input.name), json);
    if (json) checkJsonFiles(static_cast<Command>(input.command & 0x03u), lines, files, unreadable);

    if (!unreadable) {
        std::error_code error;
        std::filesystem::remove(a, error);
        std::filesystem::remove(b, error);
    }
    return 0;
}
