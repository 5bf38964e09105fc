// SPDX-License-Identifier: MIT
#include "io/file_system.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zfx {

namespace {

SysResult result(long value) {
    return {value, value < 0 ? (errno ? errno : EIO) : 0};
}

class SystemFileSystem final : public FileSystem {
  public:
    SysResult open(const std::string& path, int flags) override {
        return result(::open(path.c_str(), flags));
    }
    SysResult openAt(int folder, const std::string& name, int flags, mode_t mode) override {
        return result(::openat(folder, name.c_str(), flags, mode));
    }
    SysResult read(int fd, void* buffer, std::size_t size) override {
        return result(::read(fd, buffer, size));
    }
    SysResult write(int fd, const void* bytes, std::size_t size) override {
        return result(::write(fd, bytes, size));
    }
    SysResult fsync(int fd) override { return result(::fsync(fd)); }
    SysResult fstat(int fd, struct stat& status) override { return result(::fstat(fd, &status)); }
    SysResult statAt(int folder, const std::string& name, struct stat& status) override {
        return result(::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW));
    }
    SysResult lstat(const std::string& path, struct stat& status) override {
        return result(::lstat(path.c_str(), &status));
    }
    SysResult stat(const std::string& path, struct stat& status) override {
        return result(::stat(path.c_str(), &status));
    }
    SysResult readLink(const std::string& path, std::string& target) override {
        std::string buffer(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return result(-1);
        if (static_cast<std::size_t>(n) == buffer.size()) return {-1, ENAMETOOLONG};
        target.assign(buffer.data(), static_cast<std::size_t>(n));
        return {n, 0};
    }
    SysResult fchmod(int fd, mode_t mode) override { return result(::fchmod(fd, mode)); }
    SysResult fchown(int fd, uid_t owner, gid_t group) override { return result(::fchown(fd, owner, group)); }
    SysResult close(int fd) override { return result(::close(fd)); }
    SysResult renameAt(int folder, const std::string& from, const std::string& to) override {
        return result(::renameat(folder, from.c_str(), folder, to.c_str()));
    }
    SysResult unlinkAt(int folder, const std::string& name) override {
        return result(::unlinkat(folder, name.c_str(), 0));
    }
    SysResult linkAt(int folder, const std::string& from, const std::string& to) override {
        return result(::linkat(folder, from.c_str(), folder, to.c_str(), 0));
    }
    SysResult lockNoWait(int fd) override { return result(::flock(fd, LOCK_EX | LOCK_NB)); }
    SysResult listFolder(int folder, std::vector<std::string>& names) override {
        // The listing reads through its own descriptor, so the caller's stays open.
        const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (own < 0) return result(-1);
        DIR* dir = ::fdopendir(own);
        if (!dir) {
            const SysResult failed = result(-1);
            ::close(own);
            return failed;
        }
        names.clear();
        errno = 0;
        while (const dirent* entry = ::readdir(dir)) {
            names.emplace_back(entry->d_name);
            errno = 0;
        }
        const int error = errno;
        ::closedir(dir);
        return {0, error};
    }
};

} // namespace

FileSystem& systemFileSystem() {
    static SystemFileSystem system;
    return system;
}

} // namespace zfx
