// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zfx {

// A video BIOS is some tens of kilobytes; anything larger than this is not one.
inline constexpr std::uintmax_t kMaxImageBytes = 16u * 1024u * 1024u;

struct ReadResult {
    std::vector<std::uint8_t> bytes;
    std::string error; // empty on success; otherwise the cause, for the user
    bool ok() const { return error.empty(); }
};

// Reads a whole image file; refuses folders and files over kMaxImageBytes.
[[nodiscard]] ReadResult readImageFile(const std::filesystem::path& path);

// Where the atomic writer puts the bytes; a test can supply one that fails.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Flushes to the disk and closes; false when any of it failed.
    virtual bool finish() = 0;
};
using SinkOpener = std::function<std::unique_ptr<ByteSink>(const std::filesystem::path&)>;

// Opens a new file exclusively for writing (nullptr when it cannot be created).
std::unique_ptr<ByteSink> openFileSink(const std::filesystem::path& path);

// Writes bytes to target through a temporary file in the same folder that is renamed over the
// target only when it was written completely. On failure the target is as it was, no file is
// left behind, and the result is the cause. An existing target keeps its permissions; a
// read-only one is refused.
[[nodiscard]] std::optional<std::string> writeFileAtomically(const std::filesystem::path& target,
                                                             std::span<const std::uint8_t> bytes,
                                                             const SinkOpener& open = openFileSink);

// Where the editor reads images from and saves them to: the disk, or memory in tests and fuzzing.
class ImageFiles {
  public:
    virtual ~ImageFiles() = default;
    [[nodiscard]] virtual ReadResult read(const std::string& path) = 0;
    // The cause of a failed write; nullopt when the whole file was written.
    [[nodiscard]] virtual std::optional<std::string> write(const std::string& path,
                                                           std::span<const std::uint8_t> bytes) = 0;
};

// The disk, through readImageFile and writeFileAtomically.
ImageFiles& diskFiles();

} // namespace zfx
