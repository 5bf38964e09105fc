// SPDX-License-Identifier: MIT
#include "io/file_io.h"

#include "image/option_rom.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace zfx {

namespace {

std::string causeOf(int error) {
    return std::strerror(error);
}

// Closes the descriptor on every way out.
class Descriptor {
  public:
    Descriptor(FileSystem& system, int fd) : m_system(system), m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_system(other.m_system), m_fd(std::exchange(other.m_fd, -1)) {}
    ~Descriptor() {
        if (m_fd >= 0) (void)m_system.close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

  private:
    FileSystem& m_system;
    int m_fd;
};

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISLNK(mode)) return "a link";
    return "a special file";
}

// ".zfx-" and twelve letters or digits and ".tmp": 21 bytes whatever the target is called, so a
// target of the longest legal name still has room for its temporary file beside it.
constexpr std::string_view kTemporaryPrefix = ".zfx-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryTagLength = 12;
constexpr std::string_view kTagAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string newTemporaryName() {
    static std::mt19937_64 generator{std::random_device{}()};
    std::string name(kTemporaryPrefix);
    for (std::size_t i = 0; i < kTemporaryTagLength; ++i)
        name += kTagAlphabet[generator() % kTagAlphabet.size()];
    name += kTemporarySuffix;
    return name;
}

struct Resolved {
    fs::path path;
    std::string error;
};

// Follows links to the name that holds the file. The end of a dangling link is the file to create.
Resolved followLinks(const fs::path& requested, FileSystem& system) {
    fs::path path = requested;
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat status {};
        const SysResult looked = system.lstat(path.string(), status);
        if (looked.failed()) {
            // Nothing there yet; a missing folder is said when the folder is opened.
            if (looked.error == ENOENT || looked.error == ENOTDIR) return {path, {}};
            return {path, causeOf(looked.error)};
        }
        if (!S_ISLNK(status.st_mode)) return {path, {}};
        std::string target;
        const SysResult read = system.readLink(path.string(), target);
        if (read.failed()) return {path, causeOf(read.error)};
        const fs::path next(target);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return {path, causeOf(ELOOP)};
}

// Removes the temporary files that interrupted saves left in the folder. A running save holds a
// lock on its own, so only those whose save has ended are taken. Returns what could not be removed.
std::vector<std::string> removeLeftoverTemporaries(int folder, const fs::path& folderPath,
                                                   FileSystem& system) {
    std::vector<std::string> notes;
    std::vector<std::string> names;
    if (const SysResult listed = system.listFolder(folder, names); listed.failed()) {
        notes.push_back("Leftover temporary files in " + folderPath.string() +
                        " could not be looked for: " + causeOf(listed.error) + ".");
        return notes;
    }
    for (const std::string& name : names) {
        if (!isTemporaryFileName(name)) continue;
        const auto cannotRemove = [&](int error) {
            notes.push_back("The leftover temporary file " + (folderPath / name).string() +
                            " could not be removed: " + causeOf(error) + ".");
        };
        const SysResult opened =
            system.openAt(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
        if (opened.failed()) {
            if (opened.error != ENOENT) cannotRemove(opened.error);
            continue;
        }
        const Descriptor file(system, static_cast<int>(opened.value));
        struct stat status {};
        if (system.fstat(file.get(), status).failed() || !S_ISREG(status.st_mode)) continue;
        if (system.lockNoWait(file.get()).failed()) continue; // a save is still writing it
        const SysResult removed = system.unlinkAt(folder, name);
        if (removed.failed() && removed.error != ENOENT) cannotRemove(removed.error);
    }
    return notes;
}

struct Temporary {
    std::string name;
    int fd = -1;
    std::string error;
};

// The mode a file of a new name is created with: the kernel takes the process's umask from it, as
// for any new file. The umask is never read here; reading it means setting it, for every thread.
constexpr mode_t kNewFileMode = 0666;
// A file that replaces another is its owner's only until it has the other's owner and mode.
constexpr mode_t kOwnerOnlyMode = S_IRUSR | S_IWUSR;

// A new temporary file in the folder, locked, created with mode (less the umask).
Temporary createTemporary(int folder, const fs::path& folderPath, mode_t mode, FileSystem& system) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = newTemporaryName();
        const SysResult created =
            system.openAt(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (created.failed()) {
            if (created.error == EEXIST) continue;
            return {{}, -1, "Cannot create a file in " + folderPath.string() + ": " + causeOf(created.error)};
        }
        const int fd = static_cast<int>(created.value);
        // A file system without locks leaves the file unlocked: the cleanup of other saves cannot
        // lock it either, so it leaves it alone.
        const SysResult locked = system.lockNoWait(fd);
        struct stat own {};
        const bool takenByCleanup = (locked.failed() && locked.error == EWOULDBLOCK) ||
                                    (!system.fstat(fd, own).failed() && own.st_nlink == 0);
        if (!takenByCleanup) return {std::move(name), fd, {}};
        // The name is this save's own; whoever removes it first, the other finds it gone.
        (void)system.unlinkAt(folder, name);
        (void)system.close(fd);
    }
    return {{}, -1, "Cannot create a file in " + folderPath.string() + ": " + causeOf(EEXIST)};
}

// Writes every byte; the errno of the write that failed, or 0.
int writeAll(int fd, std::span<const std::uint8_t> bytes, FileSystem& system) {
    for (std::size_t done = 0; done < bytes.size();) {
        const SysResult wrote = system.write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote.failed() && wrote.error == EINTR) continue;
        if (wrote.failed()) return wrote.error;
        if (wrote.value == 0) return EIO;
        done += static_cast<std::size_t>(wrote.value);
    }
    return 0;
}

// Removes a temporary file of this save; what the user should know when it stays.
std::optional<std::string> removeTemporary(int folder, const fs::path& folderPath, const std::string& name,
                                           FileSystem& system) {
    const SysResult removed = system.unlinkAt(folder, name);
    if (!removed.failed()) return std::nullopt;
    return "The temporary file " + (folderPath / name).string() +
           " could not be removed: " + causeOf(removed.error) + ".";
}

// Writes the bytes to a new file, gives it the owner and mode of the file it replaces, if any, and
// flushes it to the disk; the cause of the step that failed, or nothing.
std::string completeTemporary(int fd, std::span<const std::uint8_t> bytes, const struct stat* replaced,
                              std::vector<std::string>& notes, FileSystem& system) {
    if (const int error = writeAll(fd, bytes, system); error != 0) return "Writing failed: " + causeOf(error);
    if (replaced) {
        auto mode = static_cast<mode_t>(replaced->st_mode & 07777);
        struct stat own {};
        if (const SysResult s = system.fstat(fd, own); s.failed())
            return "The new file cannot be examined: " + causeOf(s.error);
        // The owner is changed first: a change of owner clears the set-ID bits.
        if ((own.st_uid != replaced->st_uid || own.st_gid != replaced->st_gid) &&
            system.fchown(fd, replaced->st_uid, replaced->st_gid).failed()) {
            const bool setId = (mode & (S_ISUID | S_ISGID)) != 0;
            mode &= static_cast<mode_t>(~(S_ISUID | S_ISGID));
            notes.push_back(
                std::string("Its owner and group could not be kept: the file now belongs to you") +
                (setId ? ", without its set-user and set-group ID bits." : "."));
        }
        // Set on the descriptor, so the umask takes nothing from the old mode.
        if (const SysResult s = system.fchmod(fd, mode); s.failed())
            return "Its permissions could not be set: " + causeOf(s.error);
    }
    if (const SysResult s = system.fsync(fd); s.failed()) return "Writing failed: " + causeOf(s.error);
    return {};
}

// A complete file under a temporary name, waiting for its own name.
struct Staged {
    std::string name;
    Descriptor file;                // held open, and so locked, until the file has its own name
    std::string error;              // empty unless it could not be made; it is then removed again
    std::vector<std::string> notes; // for the user, also on success
};

// The part a save and a backup share: a new temporary file in the folder with the bytes, the owner
// and mode of the file it replaces (or, for a new name, the mode of new files), flushed to the disk.
Staged writeTemporary(int folder, const fs::path& folderPath, std::span<const std::uint8_t> bytes,
                      const struct stat* replaced, FileSystem& system) {
    // A new name gets its final mode at once; a replacement is the owner's only until the old
    // file's owner and mode are set on it.
    const Temporary created =
        createTemporary(folder, folderPath, replaced ? kOwnerOnlyMode : kNewFileMode, system);
    Staged staged{created.name, Descriptor(system, created.fd), created.error, {}};
    if (!staged.error.empty()) return staged;
    staged.error = completeTemporary(staged.file.get(), bytes, replaced, staged.notes, system);
    if (!staged.error.empty())
        if (std::optional<std::string> note = removeTemporary(folder, folderPath, staged.name, system))
            staged.notes.push_back(std::move(*note));
    return staged;
}

} // namespace

bool isTemporaryFileName(const std::string& name) {
    const std::string_view view(name);
    if (view.size() != kTemporaryPrefix.size() + kTemporaryTagLength + kTemporarySuffix.size()) return false;
    if (!view.starts_with(kTemporaryPrefix) || !view.ends_with(kTemporarySuffix)) return false;
    const std::string_view tag = view.substr(kTemporaryPrefix.size(), kTemporaryTagLength);
    return tag.find_first_not_of(kTagAlphabet) == std::string_view::npos;
}

ReadResult readImageFile(const fs::path& path, FileSystem& system, std::uintmax_t maxBytes) {
    ReadResult result;
    // Not blocking: a pipe opens at once and is then refused.
    const SysResult opened = system.open(path.string(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened.failed()) {
        result.error = causeOf(opened.error);
        return result;
    }
    const Descriptor file(system, static_cast<int>(opened.value));
    struct stat status {};
    if (const SysResult looked = system.fstat(file.get(), status); looked.failed()) {
        result.error = "The file could not be read: " + causeOf(looked.error);
        return result;
    }
    if (S_ISDIR(status.st_mode)) {
        result.error = "It is a folder, not a file.";
        return result;
    }
    // A pipe or a device would block or never end; an image is a plain file.
    if (!S_ISREG(status.st_mode)) {
        result.error = "It is not a plain file.";
        return result;
    }
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (size > maxBytes) {
        result.tooLarge = true;
        result.fileSize = size;
        result.error = "The file is " + std::to_string(size) +
                       " bytes long; a video BIOS image is at most 16 MiB, so this is not one.";
        return result;
    }
    // One byte more than expected tells a file that grew while it was read.
    const auto expected = static_cast<std::size_t>(size);
    result.bytes.resize(expected + 1);
    std::size_t got = 0;
    while (got < result.bytes.size()) {
        const SysResult read = system.read(file.get(), result.bytes.data() + got, result.bytes.size() - got);
        if (read.failed()) {
            if (read.error == EINTR) continue;
            result.bytes.clear();
            result.error = "The file could not be read: " + causeOf(read.error);
            return result;
        }
        if (read.value == 0) break;
        got += static_cast<std::size_t>(read.value);
    }
    result.bytes.resize(got);
    if (got != expected) {
        result.bytes.clear();
        result.error = "The file changed while it was read.";
    }
    return result;
}

namespace {

// Why the file of that name in the folder no longer holds what it should: another program wrote
// it, or it cannot be read to tell. Nothing when it holds it, or is gone (nothing of it is lost).
std::optional<std::string> changedSince(int folder, const std::string& name,
                                        const std::vector<std::uint8_t>& expected, FileSystem& system) {
    const SysResult opened = system.openAt(folder, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
    if (opened.failed() && opened.error == ENOENT) return std::nullopt;
    if (opened.failed()) return "It could not be read again before it was replaced: " + causeOf(opened.error);
    const Descriptor file(system, static_cast<int>(opened.value));
    std::vector<std::uint8_t> now(expected.size() + 1);
    std::size_t got = 0;
    while (got < now.size()) {
        const SysResult read = system.read(file.get(), now.data() + got, now.size() - got);
        if (read.failed() && read.error == EINTR) continue;
        if (read.failed()) return "It could not be read again before it was replaced: " + causeOf(read.error);
        if (read.value == 0) break;
        got += static_cast<std::size_t>(read.value);
    }
    now.resize(got);
    if (now == expected) return std::nullopt;
    return std::string("It changed while it was saved: another program wrote it. It holds what that program "
                       "wrote; save again to replace it.");
}

// The refusal to rename the staged file over a target that no longer holds what it should, with the
// staged file removed again; nothing when there is nothing to compare or the target holds it.
std::optional<std::string> refusalOverChanges(int folder, const fs::path& folderPath, const std::string& name,
                                              const std::string& staged,
                                              const std::vector<std::uint8_t>* expected, FileSystem& system,
                                              std::vector<std::string>& notes) {
    if (!expected) return std::nullopt;
    std::optional<std::string> changed = changedSince(folder, name, *expected, system);
    if (!changed) return std::nullopt;
    if (std::optional<std::string> note = removeTemporary(folder, folderPath, staged, system))
        notes.push_back(std::move(*note));
    return changed;
}

// Why a save must not replace what stands under the target's name; nothing when it may.
std::optional<std::string> refusalToReplace(const struct stat& existing) {
    if (S_ISDIR(existing.st_mode)) return "It is a folder, not a file.";
    if (!S_ISREG(existing.st_mode))
        return std::string("It is ") + kindOf(existing.st_mode) +
               ", not a regular file; only a regular file is replaced by a save.";
    if ((existing.st_mode & S_IWUSR) == 0) return "The file is read-only.";
    return std::nullopt;
}

} // namespace

WriteResult writeFileAtomically(const fs::path& requested, std::span<const std::uint8_t> bytes,
                                FileSystem& system, const std::vector<std::uint8_t>* expected) {
    WriteResult result;
    const auto fail = [&](const std::string& cause) {
        result.error = requested.string() + ": " + cause;
        return result;
    };
    if (requested.empty()) return fail("No file name was given.");
    const Resolved resolved = followLinks(requested, system);
    if (!resolved.error.empty()) return fail(resolved.error);
    const fs::path& path = resolved.path;
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") return fail("It names a folder, not a file.");
    const fs::path folderPath = path.parent_path().empty() ? fs::path(".") : path.parent_path();

    const SysResult openedFolder = system.open(folderPath.string(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (openedFolder.failed()) {
        if (openedFolder.error == ENOENT || openedFolder.error == ENOTDIR)
            return fail("The folder " + folderPath.string() + " does not exist.");
        return fail("The folder " + folderPath.string() +
                    " cannot be opened: " + causeOf(openedFolder.error));
    }
    const Descriptor folder(system, static_cast<int>(openedFolder.value));

    struct stat existing {};
    const SysResult looked = system.statAt(folder.get(), name, existing);
    if (looked.failed() && looked.error != ENOENT) return fail(causeOf(looked.error));
    const bool targetExists = !looked.failed();
    if (targetExists)
        if (std::optional<std::string> refusal = refusalToReplace(existing)) return fail(*refusal);

    result.notes = removeLeftoverTemporaries(folder.get(), folderPath, system);

    const Staged staged =
        writeTemporary(folder.get(), folderPath, bytes, targetExists ? &existing : nullptr, system);
    result.notes.insert(result.notes.end(), staged.notes.begin(), staged.notes.end());
    if (!staged.error.empty()) return fail(staged.error);
    // What another program wrote while the save ran is not replaced.
    if (std::optional<std::string> changed =
            refusalOverChanges(folder.get(), folderPath, name, staged.name, expected, system, result.notes))
        return fail(*changed);
    // The lock is held until the rename, so no cleanup takes the file before it is in place.
    if (const SysResult s = system.renameAt(folder.get(), staged.name, name); s.failed()) {
        if (std::optional<std::string> note = removeTemporary(folder.get(), folderPath, staged.name, system))
            result.notes.push_back(std::move(*note));
        return fail(causeOf(s.error));
    }
    if (targetExists && existing.st_nlink > 1)
        result.notes.push_back("Other names of this file keep its old content.");
    // A folder that cannot be flushed at all (some file systems) is no fault; any other failure
    // means the new name may be lost in a crash, so the save is not reported as done.
    if (const SysResult s = system.fsync(folder.get()); s.failed() && s.error != EINVAL && s.error != ENOTSUP)
        return fail("The file was replaced, but the folder could not be flushed to the disk (" +
                    causeOf(s.error) + "): the change may be lost in a crash. Save again.");
    return result;
}

fs::path realPathOf(const fs::path& path, FileSystem& system) {
    const Resolved resolved = followLinks(path, system);
    return resolved.error.empty() ? resolved.path : path;
}

std::optional<std::string> refusalAsSaveTarget(const fs::path& path, FileSystem& system) {
    // A name that ends in a slash is refused by the write itself: it names a folder.
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    struct stat existing {};
    if (system.stat(path.string(), existing).failed()) return std::nullopt; // nothing there yet
    if (S_ISREG(existing.st_mode)) return std::nullopt;
    return refusalToReplace(existing);
}

bool removeKeptCopy(const fs::path& copy, FileSystem& system) {
    const fs::path folderPath = copy.parent_path().empty() ? fs::path(".") : copy.parent_path();
    const SysResult openedFolder = system.open(folderPath.string(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (openedFolder.failed()) return false;
    const Descriptor folder(system, static_cast<int>(openedFolder.value));
    return !system.unlinkAt(folder.get(), copy.filename().string()).failed();
}

fs::path backupPathFor(const fs::path& path) {
    const fs::path extension = path.extension();
    const std::string stem = path.stem().string();
    if (extension.empty() || stem.empty()) return fs::path(path.string() + ".orig.rom");
    return path.parent_path() / (stem + ".orig" + extension.string());
}

bool sameFile(const fs::path& a, const fs::path& b, FileSystem& system) {
    struct stat first {};
    struct stat second {};
    if (system.stat(a.string(), first).failed() || system.stat(b.string(), second).failed()) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

namespace {

bool startsAsOptionRom(const std::vector<std::uint8_t>& bytes) {
    return readOptionRomHeader(bytes).has_value();
}

// Why what stands under the backup's name is no kept original, or nothing when it is one.
std::optional<std::string> notAKeptOriginal(const fs::path& copy, const struct stat& existing,
                                            const ReadResult& original, FileSystem& system) {
    if (S_ISDIR(existing.st_mode)) return std::string("it is a folder, not a kept original");
    if (!S_ISREG(existing.st_mode))
        return std::string("it is ") + kindOf(existing.st_mode) + ", not a kept original";
    if (existing.st_size == 0) return std::string("it is an empty file, not a kept original");
    const ReadResult kept = readImageFile(copy, system);
    if (!kept.ok()) return "it cannot be read (" + kept.error + ")";
    if (original.ok() && startsAsOptionRom(original.bytes) && !startsAsOptionRom(kept.bytes))
        return std::string("it holds no BIOS image, so it is not a kept original");
    return std::nullopt;
}

} // namespace

KeepResult keepCopy(const fs::path& source, const fs::path& copy, FileSystem& system) {
    KeepResult result;
    const auto fail = [&](const std::string& cause) {
        result.error = "The original could not be kept as " + copy.string() + ": " + cause;
        return result;
    };
    const ReadResult original = readImageFile(source, system);
    // A file of that name is an earlier backup only if it is one: a regular file that holds an
    // image as the original does. Anything else (a folder, a pipe, a link, an empty file) is never
    // taken for the original, and is never replaced either: the save over the opened file stops.
    struct stat existing {};
    if (const SysResult looked = system.lstat(copy.string(), existing); !looked.failed()) {
        if (std::optional<std::string> why = notAKeptOriginal(copy, existing, original, system))
            return fail(*why + "; move it away, or save under another name.");
        result.existed = true;
        return result;
    } else if (looked.error != ENOENT) {
        return fail(causeOf(looked.error));
    }
    if (!original.ok()) return fail(original.error);

    const std::string name = copy.filename().string();
    const fs::path folderPath = copy.parent_path().empty() ? fs::path(".") : copy.parent_path();
    const SysResult openedFolder = system.open(folderPath.string(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (openedFolder.failed()) return fail("The folder cannot be opened: " + causeOf(openedFolder.error));
    const Descriptor folder(system, static_cast<int>(openedFolder.value));
    // A backup says only whether it was made; a temporary file it could not remove is removed by
    // the next save in that folder.
    const Staged staged = writeTemporary(folder.get(), folderPath, original.bytes, nullptr, system);
    if (!staged.error.empty()) return fail(staged.error);
    const auto discard = [&](const std::string& cause) {
        (void)system.unlinkAt(folder.get(), staged.name);
        return fail(cause);
    };
    // The complete copy gets its name only now, and never over an existing file.
    const SysResult linked = system.linkAt(folder.get(), staged.name, name);
    if (linked.failed() && linked.error == EEXIST) {
        (void)system.unlinkAt(folder.get(), staged.name);
        result.existed = true;
        return result;
    }
    if (linked.failed()) {
        // File systems without links (FAT on a flashing stick): a rename, after looking once more.
        const bool noLinks = linked.error == EPERM || linked.error == ENOTSUP || linked.error == EOPNOTSUPP ||
                             linked.error == EMLINK || linked.error == ENOSYS;
        if (!noLinks) return discard(causeOf(linked.error));
        struct stat again {};
        if (!system.statAt(folder.get(), name, again).failed()) {
            (void)system.unlinkAt(folder.get(), staged.name);
            result.existed = true;
            return result;
        }
        if (const SysResult renamed = system.renameAt(folder.get(), staged.name, name); renamed.failed())
            return discard(causeOf(renamed.error));
    } else {
        (void)system.unlinkAt(folder.get(), staged.name);
    }
    if (const SysResult s = system.fsync(folder.get()); s.failed() && s.error != EINVAL && s.error != ENOTSUP)
        return fail("The folder could not be flushed to the disk: " + causeOf(s.error));
    result.created = true;
    return result;
}

DiskFiles::DiskFiles(FileSystem& system) : m_system(system) {}

ReadResult DiskFiles::read(const std::string& path, std::uintmax_t maxBytes) {
    return readImageFile(path, m_system, maxBytes);
}

WriteResult DiskFiles::write(const std::string& path, std::span<const std::uint8_t> bytes,
                             const std::vector<std::uint8_t>* expected) {
    return writeFileAtomically(path, bytes, m_system, expected);
}

bool DiskFiles::sameFile(const std::string& a, const std::string& b) {
    return zfx::sameFile(a, b, m_system);
}

KeepResult DiskFiles::keepCopy(const std::string& path, const std::string& copyPath) {
    return zfx::keepCopy(path, copyPath, m_system);
}

bool DiskFiles::removeKeptCopy(const std::string& copyPath) {
    return zfx::removeKeptCopy(copyPath, m_system);
}

std::string DiskFiles::realPath(const std::string& path) {
    return realPathOf(path, m_system).string();
}

std::optional<std::string> DiskFiles::refusalAsSaveTarget(const std::string& path) {
    return zfx::refusalAsSaveTarget(path, m_system);
}

ImageFiles& diskFiles() {
    static DiskFiles disk(systemFileSystem());
    return disk;
}

} // namespace zfx
