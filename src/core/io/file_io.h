// SPDX-License-Identifier: MIT
#pragma once

#include "io/file_system.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zfx {

// A video BIOS is some tens of kilobytes; anything larger than this is not one.
inline constexpr std::uintmax_t kMaxImageBytes = std::uintmax_t{16} * 1024 * 1024;

struct ReadResult {
    std::vector<std::uint8_t> bytes;
    std::string error;     // empty on success; otherwise the cause, for the user
    bool tooLarge = false; // refused for its size, which fileSize gives
    std::uintmax_t fileSize = 0;
    bool ok() const { return error.empty(); }
};

// Reads a whole image file. The file is opened first and the opened file checked, so a name that
// turns into a pipe in between cannot make the read wait: only a regular file of at most
// kMaxImageBytes (or the given cap) is read.
[[nodiscard]] ReadResult readImageFile(const std::filesystem::path& path,
                                       FileSystem& system = systemFileSystem(),
                                       std::uintmax_t maxBytes = kMaxImageBytes);

struct WriteResult {
    std::string error;              // empty when the target now holds the whole new file
    std::vector<std::string> notes; // what the user should also know, after success or failure
    bool ok() const { return error.empty(); }
};

// Writes bytes to target through a temporary file in the same folder that is flushed to the
// disk, given the target's owner and mode, and renamed over it; the folder is flushed after the
// rename. On failure the target is as it was, no temporary file is left, and the error names the
// target and the cause of the call that failed. A link is followed (also a dangling one) and stays
// a link; a target that is not a regular file, or read-only, is refused. Temporary files that an
// earlier, interrupted save left in the folder are removed. With expected, the target is compared
// with it just before the rename: a target that holds anything else now (another program wrote it
// while the save ran) is not replaced.
[[nodiscard]] WriteResult writeFileAtomically(const std::filesystem::path& target,
                                              std::span<const std::uint8_t> bytes,
                                              FileSystem& system = systemFileSystem(),
                                              const std::vector<std::uint8_t>* expected = nullptr);

// The file a path names at the end of its links: the path itself where it is no link.
std::filesystem::path realPathOf(const std::filesystem::path& path, FileSystem& system = systemFileSystem());

// Why a chosen name cannot be saved to: it names a folder, a device, a pipe or a socket (also
// through links); absent for a regular file and for a name that does not exist yet.
std::optional<std::string> refusalAsSaveTarget(const std::filesystem::path& path,
                                               FileSystem& system = systemFileSystem());

// Removes a kept copy again; false when it could not be removed.
bool removeKeptCopy(const std::filesystem::path& copy, FileSystem& system = systemFileSystem());

// Whether a name in a folder is one of this program's temporary files.
bool isTemporaryFileName(const std::string& name);

// Where the original of a file is kept before a save replaces it: "card.rom" -> "card.orig.rom",
// "card.bin" -> "card.orig.bin", a name without extension gets ".orig.rom".
std::filesystem::path backupPathFor(const std::filesystem::path& path);

// Whether two paths name the same file, also through links or other names; false when one is missing.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b,
              FileSystem& system = systemFileSystem());

struct KeepResult {
    bool created = false; // the copy was made now
    bool existed = false; // something of that name was there already and stays as it was
    std::string error;    // empty unless the copy could not be made
    bool ok() const { return error.empty(); }
};

// Keeps the bytes source holds now as copy, which only ever gets a complete file and never
// replaces one: when anything of that name exists, nothing is written.
[[nodiscard]] KeepResult keepCopy(const std::filesystem::path& source, const std::filesystem::path& copy,
                                  FileSystem& system = systemFileSystem());

// Where the editor reads images from and saves them to: the disk, or memory in tests and fuzzing.
class ImageFiles {
  public:
    virtual ~ImageFiles() = default;
    // maxBytes: a larger file is refused before it is read (tooLarge).
    [[nodiscard]] virtual ReadResult read(const std::string& path,
                                          std::uintmax_t maxBytes = kMaxImageBytes) = 0;
    // expected: what the file should hold until it is replaced, where the caller knows it.
    [[nodiscard]] virtual WriteResult write(const std::string& path, std::span<const std::uint8_t> bytes,
                                            const std::vector<std::uint8_t>* expected = nullptr) = 0;
    virtual bool sameFile(const std::string& a, const std::string& b) = 0;
    [[nodiscard]] virtual KeepResult keepCopy(const std::string& path, const std::string& copyPath) = 0;
    // Removes a copy keepCopy made, when the save it was kept for failed; false when it stays.
    virtual bool removeKeptCopy(const std::string& copyPath) = 0;
    // The file a path names at the end of its links.
    virtual std::string realPath(const std::string& path) = 0;
    // Why a chosen name cannot be saved to (a folder, a device, a pipe); absent when it can.
    virtual std::optional<std::string> refusalAsSaveTarget(const std::string& path) = 0;
};

// The disk, through a file system's calls.
class DiskFiles final : public ImageFiles {
  public:
    explicit DiskFiles(FileSystem& system);
    ReadResult read(const std::string& path, std::uintmax_t maxBytes = kMaxImageBytes) override;
    WriteResult write(const std::string& path, std::span<const std::uint8_t> bytes,
                      const std::vector<std::uint8_t>* expected = nullptr) override;
    bool sameFile(const std::string& a, const std::string& b) override;
    KeepResult keepCopy(const std::string& path, const std::string& copyPath) override;
    bool removeKeptCopy(const std::string& copyPath) override;
    std::string realPath(const std::string& path) override;
    std::optional<std::string> refusalAsSaveTarget(const std::string& path) override;

  private:
    FileSystem& m_system;
};

// The disk, through the real calls.
ImageFiles& diskFiles();

} // namespace zfx
