// SPDX-License-Identifier: MIT
#pragma once

#include "io/file_system.h"

#include <functional>
#include <map>
#include <vector>

namespace zfx::test {

// The real calls, except that chosen calls fail: the Nth call of a kind fails with an errno of the
// test's choosing. Writes can be made to take only part of their bytes, and a hook runs before
// every call (to change the disk under the caller's feet). Every call is logged.
class FaultyFileSystem final : public FileSystem {
  public:
    struct Fault {
        SysCall call;
        int nth; // 1 for the first call of that kind
        int error;
    };
    std::vector<Fault> faults;
    bool shortWrites = false; // every write takes at most 7 bytes
    std::function<void(SysCall)> before;
    std::vector<SysCall> log;

    int count(SysCall call) const {
        const auto it = m_counts.find(call);
        return it == m_counts.end() ? 0 : it->second;
    }

    SysResult open(const std::string& path, int flags) override {
        return call(SysCall::Open, [&] { return m_real.open(path, flags); });
    }
    SysResult openAt(int folder, const std::string& name, int flags, mode_t mode) override {
        return call(SysCall::OpenAt, [&] { return m_real.openAt(folder, name, flags, mode); });
    }
    SysResult read(int fd, void* buffer, std::size_t size) override {
        return call(SysCall::Read, [&] { return m_real.read(fd, buffer, size); });
    }
    SysResult write(int fd, const void* bytes, std::size_t size) override {
        const std::size_t taken = shortWrites && size > 7 ? 7 : size;
        return call(SysCall::Write, [&] { return m_real.write(fd, bytes, taken); });
    }
    SysResult fsync(int fd) override {
        return call(SysCall::Fsync, [&] { return m_real.fsync(fd); });
    }
    SysResult fstat(int fd, struct stat& status) override {
        return call(SysCall::Fstat, [&] { return m_real.fstat(fd, status); });
    }
    SysResult statAt(int folder, const std::string& name, struct stat& status) override {
        return call(SysCall::StatAt, [&] { return m_real.statAt(folder, name, status); });
    }
    SysResult lstat(const std::string& path, struct stat& status) override {
        return call(SysCall::Lstat, [&] { return m_real.lstat(path, status); });
    }
    SysResult stat(const std::string& path, struct stat& status) override {
        return call(SysCall::Stat, [&] { return m_real.stat(path, status); });
    }
    SysResult readLink(const std::string& path, std::string& target) override {
        return call(SysCall::ReadLink, [&] { return m_real.readLink(path, target); });
    }
    SysResult fchmod(int fd, mode_t mode) override {
        return call(SysCall::Fchmod, [&] { return m_real.fchmod(fd, mode); });
    }
    SysResult fchown(int fd, uid_t owner, gid_t group) override {
        return call(SysCall::Fchown, [&] { return m_real.fchown(fd, owner, group); });
    }
    SysResult close(int fd) override {
        // A failed close still closes: the descriptor is released either way.
        const SysResult real = m_real.close(fd);
        const SysResult injected = call(SysCall::Close, [&] { return real; });
        return injected;
    }
    SysResult renameAt(int folder, const std::string& from, const std::string& to) override {
        return call(SysCall::RenameAt, [&] { return m_real.renameAt(folder, from, to); });
    }
    SysResult unlinkAt(int folder, const std::string& name) override {
        return call(SysCall::UnlinkAt, [&] { return m_real.unlinkAt(folder, name); });
    }
    SysResult linkAt(int folder, const std::string& from, const std::string& to) override {
        return call(SysCall::LinkAt, [&] { return m_real.linkAt(folder, from, to); });
    }
    SysResult lockNoWait(int fd) override {
        return call(SysCall::Lock, [&] { return m_real.lockNoWait(fd); });
    }
    SysResult listFolder(int folder, std::vector<std::string>& names) override {
        return call(SysCall::ListFolder, [&] { return m_real.listFolder(folder, names); });
    }

  private:
    template <typename Real> SysResult call(SysCall kind, Real real) {
        log.push_back(kind);
        const int nth = ++m_counts[kind];
        if (before) before(kind);
        for (const Fault& fault : faults)
            if (fault.call == kind && fault.nth == nth) return {-1, fault.error};
        return real();
    }

    FileSystem& m_real = systemFileSystem();
    std::map<SysCall, int> m_counts;
};

} // namespace zfx::test
