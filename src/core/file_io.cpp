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

std::string describe(const std::error_code& ec) {
    return ec.message();
}

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
    if (fs::is_directory(status)) {
        result.error = "It is a folder, not a file.";
        return result;
    }
    // A pipe or a device would block or never end; an image is a plain file.
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        result.error = "It is not a plain file.";
        return result;
    }
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file) {
        result.error = std::strerror(errno);
        return result;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxImageBytes) {
        std::fclose(file);
        result.error = "The file is " + std::to_string(size) +
                       " bytes long; a video BIOS image is at most 16 MiB, so this is not one.";
        return result;
    }
    // One byte more than expected tells a file that grew while it was read.
    const std::size_t expected = ec ? kMaxImageBytes : static_cast<std::size_t>(size);
    result.bytes.resize(expected + 1);
    const std::size_t got = std::fread(result.bytes.data(), 1, expected + 1, file);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    result.bytes.resize(got);
    if (failed) {
        result.bytes.clear();
        result.error = std::string("The file could not be read: ") + std::strerror(readErrno);
    } else if (got != expected) {
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

std::optional<std::string> writeFileAtomically(const fs::path& requestedTarget,
                                               std::span<const std::uint8_t> bytes, const SinkOpener& open) {
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

namespace {

class DiskFiles final : public ImageFiles {
  public:
    ReadResult read(const std::string& path) override { return readImageFile(path); }
    std::optional<std::string> write(const std::string& path, std::span<const std::uint8_t> bytes) override {
        return writeFileAtomically(path, bytes);
    }
};

} // namespace

ImageFiles& diskFiles() {
    static DiskFiles disk;
    return disk;
}

} // namespace zfx
