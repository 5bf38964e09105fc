// SPDX-License-Identifier: MIT
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zfx {

// The result of one call of the operating system: its value, and the errno of that very call when
// it failed (0 when it did not), so a cause is never taken from a later call.
struct SysResult {
    long value = 0;
    int error = 0;
    bool failed() const { return error != 0; }
};

// The kinds of call that reading and saving an image make; a test fails the Nth of one kind.
enum class SysCall {
    Open,
    OpenAt,
    Read,
    Write,
    Fsync,
    Fstat,
    StatAt,
    Lstat,
    Stat,
    ReadLink,
    Fchmod,
    Fchown,
    Close,
    RenameAt,
    UnlinkAt,
    LinkAt,
    Lock,
    ListFolder
};

// The operating system's file calls, as thin as the calls themselves. A descriptor is an int; a
// failed call names its errno. The disk implementation is POSIX.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual SysResult open(const std::string& path, int flags) = 0;
    virtual SysResult openAt(int folder, const std::string& name, int flags, mode_t mode) = 0;
    virtual SysResult read(int fd, void* buffer, std::size_t size) = 0;
    virtual SysResult write(int fd, const void* bytes, std::size_t size) = 0;
    virtual SysResult fsync(int fd) = 0;
    virtual SysResult fstat(int fd, struct stat& status) = 0;
    // The status of a name in a folder, without following a link there.
    virtual SysResult statAt(int folder, const std::string& name, struct stat& status) = 0;
    virtual SysResult lstat(const std::string& path, struct stat& status) = 0;
    // The status of the file a path names, following links.
    virtual SysResult stat(const std::string& path, struct stat& status) = 0;
    virtual SysResult readLink(const std::string& path, std::string& target) = 0;
    virtual SysResult fchmod(int fd, mode_t mode) = 0;
    virtual SysResult fchown(int fd, uid_t owner, gid_t group) = 0;
    virtual SysResult close(int fd) = 0;
    virtual SysResult renameAt(int folder, const std::string& from, const std::string& to) = 0;
    virtual SysResult unlinkAt(int folder, const std::string& name) = 0;
    // A second name for a file in the same folder; fails with EEXIST rather than replace one.
    virtual SysResult linkAt(int folder, const std::string& from, const std::string& to) = 0;
    // An exclusive advisory lock on the open file, without waiting; it ends with the descriptor,
    // also when the process is killed.
    virtual SysResult lockNoWait(int fd) = 0;
    virtual SysResult listFolder(int folder, std::vector<std::string>& names) = 0;
};

// The real calls.
FileSystem& systemFileSystem();

} // namespace zfx
