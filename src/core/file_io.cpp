// SPDX-License-Identifier: MIT
#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace zfx {

namespace {

std::string describe(const std::error_code& ec) { return ec.message(); }

class FileSink final : public ByteSink {
public:
    explicit FileSink(std::FILE* file) : m_file(file) {}
    ~FileSink() override {
        if (m_file) std::fclose(m_file);
    }
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool write(std::span<const std::uint8_t> bytes) override {
        return std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size();
    }
    bool finish() override {
        bool ok = std::fflush(m_file) == 0;
#if defined(__unix__) || defined(__APPLE__)
        ok = ok && ::fsync(::fileno(m_file)) == 0;
#endif
        ok = std::fclose(m_file) == 0 && ok;
        m_file = nullptr;
        return ok;
    }

private:
    std::FILE* m_file;
};

fs::path temporaryNameBeside(const fs::path& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    const auto tag = std::to_string(generator() % 1000000000ULL);
    return target.parent_path() / ("." + target.filename().string() + ".zfx-" + tag + ".tmp");
}

} // namespace

ReadResult readImageFile(const fs::path& path) {
    ReadResult result;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) {
        result.error = describe(ec);
        return result;
    }
    if (fs::is_directory(status)) {
        result.error = "It is a folder, not a file.";
        return result;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        result.error = describe(ec);
        return result;
    }
    if (size > kMaxImageBytes) {
        result.error = "The file is " + std::to_string(size) +
                       " bytes long; a video BIOS image is at most 16 MiB, so this is not one.";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = std::strerror(errno);
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(result.bytes.data()), static_cast<std::streamsize>(size))) {
        result.bytes.clear();
        result.error = "The file could not be read completely.";
        return result;
    }
    // The file must not have grown while it was read; a changing file is not a dump to trust.
    if (in.peek() != std::ifstream::traits_type::eof()) {
        result.bytes.clear();
        result.error = "The file changed while it was read.";
    }
    return result;
}

std::unique_ptr<ByteSink> openFileSink(const fs::path& path) {
    // "x": fail rather than reuse a file that is already there.
    std::FILE* file = std::fopen(path.string().c_str(), "wbx");
    if (!file) return nullptr;
    return std::make_unique<FileSink>(file);
}

std::optional<std::string> writeFileAtomically(const fs::path& requestedTarget, std::span<const std::uint8_t> bytes,
                                               const SinkOpener& open) {
    std::error_code ec;
    fs::path target = requestedTarget;
    // Saving over a link writes the file it points to, and leaves the link in place.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        target = fs::weakly_canonical(target, ec);
        if (ec) return describe(ec);
    }
    const fs::file_status existing = fs::status(target, ec);
    const bool targetExists = fs::exists(existing);
    if (targetExists) {
        if (fs::is_directory(existing)) return std::string("It is a folder, not a file.");
        if ((existing.permissions() & fs::perms::owner_write) == fs::perms::none)
            return std::string("The file is read-only.");
    }
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) return "The folder " + folder.string() + " does not exist.";

    const fs::path temporary = temporaryNameBeside(target);
    std::unique_ptr<ByteSink> sink = open(temporary);
    if (!sink) return "Cannot create a file in " + folder.string() + ": " + std::strerror(errno);
    const bool written = sink->write(bytes);
    const int writeErrno = errno;
    const bool finished = sink->finish();
    sink.reset();
    if (!written || !finished) {
        fs::remove(temporary, ec);
        return std::string("Writing failed: ") + std::strerror(writeErrno ? writeErrno : EIO);
    }
    if (targetExists) fs::permissions(temporary, existing.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return describe(ec);
    }
    return std::nullopt;
}

} // namespace zfx
