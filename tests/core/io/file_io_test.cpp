// SPDX-License-Identifier: MIT
#include "faulty_file_system.h"
#include "io/file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ostream>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
int umaskCalls = 0;
} // namespace

// This program's own umask, which counts its calls: umask reads the mask only by setting it, for
// every thread of the process at once, so a save that called it could give a file that another
// thread creates meanwhile the wrong mode.
extern "C" mode_t umask(mode_t mask) noexcept {
    ++umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace zfx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::FaultyFileSystem;

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool containsText(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const Bytes kOld(1000, 0xAB);
const Bytes kNew(1000, 0x11);
// The longest name most file systems allow.
const std::string kLongName = std::string(251, 'n') + ".rom";

// --- one failing call of the save ---

struct CallFault {
    const char* name;
    std::vector<FaultyFileSystem::Fault> faults;
    bool saved;         // whether the save still succeeds (a fault it works around)
    const char* cause;  // a part of the error (or, after success, of a note); empty for none
    bool replaced;      // whether the target holds the new bytes afterwards
    bool temporaryLeft; // whether a temporary file is (rightly) said to be left
};

void PrintTo(const CallFault& c, std::ostream* os) {
    *os << c.name;
}

class SaveCallFault : public ::testing::TestWithParam<CallFault> {};

TEST_P(SaveCallFault, LeavesTheTargetWholeAndNamesTheRealCause) {
    const CallFault& c = GetParam();
    test::TempDir dir;
    const fs::path target = dir.file("card.rom");
    test::writeBytes(target, kOld);
    FaultyFileSystem system;
    system.faults = c.faults;
    const WriteResult result = writeFileAtomically(target, kNew, system);
    for (const FaultyFileSystem::Fault& fault : c.faults)
        EXPECT_GE(system.count(fault.call), fault.nth) << "the fault was never reached";
    EXPECT_EQ(result.ok(), c.saved) << result.error;
    std::string said = result.error;
    for (const std::string& note : result.notes)
        said += " " + note;
    if (!c.saved) {
        EXPECT_TRUE(result.error.starts_with(target.string() + ": ")) << result.error;
    }
    if (*c.cause) {
        EXPECT_TRUE(containsText(said, c.cause)) << said;
    }
    EXPECT_EQ(test::readBytes(target), c.replaced ? kNew : kOld);
    const std::vector<std::string> files = filesIn(dir.path());
    if (c.temporaryLeft) {
        ASSERT_EQ(files.size(), 2u);
        EXPECT_TRUE(containsText(said, files[0])) << "the message names the file left behind: " << said;
    } else {
        EXPECT_EQ(files, std::vector<std::string>{"card.rom"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCall, SaveCallFault,
    ::testing::Values(
        CallFault{"LookAtTheTarget", {{SysCall::Lstat, 1, EACCES}}, false, "Permission denied", false, false},
        CallFault{"OpenTheFolder", {{SysCall::Open, 1, EACCES}}, false, "Permission denied", false, false},
        CallFault{"ExamineTheTarget", {{SysCall::StatAt, 1, EIO}}, false, "Input/output error", false, false},
        CallFault{
            "ListTheFolder", {{SysCall::ListFolder, 1, EIO}}, true, "could not be looked for", true, false},
        CallFault{"CreateTheTemporaryFile",
                  {{SysCall::OpenAt, 1, ENOSPC}},
                  false,
                  "No space left on device",
                  false,
                  false},
        CallFault{"TemporaryNameTaken", {{SysCall::OpenAt, 1, EEXIST}}, true, "", true, false},
        CallFault{"NoLocksOnThisFileSystem", {{SysCall::Lock, 1, ENOLCK}}, true, "", true, false},
        CallFault{"TemporaryFileTakenByACleanup", {{SysCall::Lock, 1, EWOULDBLOCK}}, true, "", true, false},
        CallFault{
            "WriteDiskFull", {{SysCall::Write, 1, ENOSPC}}, false, "No space left on device", false, false},
        CallFault{"WriteInterrupted", {{SysCall::Write, 1, EINTR}}, true, "", true, false},
        CallFault{
            "ExamineTheTemporaryFile", {{SysCall::Fstat, 2, EIO}}, false, "Input/output error", false, false},
        CallFault{
            "SetTheMode", {{SysCall::Fchmod, 1, EPERM}}, false, "Operation not permitted", false, false},
        CallFault{
            "FlushDiskFull", {{SysCall::Fsync, 1, ENOSPC}}, false, "No space left on device", false, false},
        CallFault{"FlushDiskFails", {{SysCall::Fsync, 1, EIO}}, false, "Input/output error", false, false},
        CallFault{
            "Rename", {{SysCall::RenameAt, 1, EXDEV}}, false, "Invalid cross-device link", false, false},
        // The rename has happened: the new content is in place but not yet safe, and the user is told.
        CallFault{"FlushTheFolder", {{SysCall::Fsync, 2, EIO}}, false, "may be lost in a crash", true, false},
        CallFault{"FolderCannotBeFlushedAtAll", {{SysCall::Fsync, 2, EINVAL}}, true, "", true, false},
        CallFault{"WriteFailsAndTheCleanupToo",
                  {{SysCall::Write, 1, ENOSPC}, {SysCall::UnlinkAt, 1, EACCES}},
                  false,
                  "No space left on device",
                  false,
                  true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(WriteFileAtomically, ShortWritesStillWriteEveryByte) {
    test::TempDir dir;
    FaultyFileSystem system;
    system.shortWrites = true;
    ASSERT_TRUE(writeFileAtomically(dir.file("card.rom"), kNew, system).ok());
    EXPECT_EQ(test::readBytes(dir.file("card.rom")), kNew);
    EXPECT_GT(system.count(SysCall::Write), 100);
}

// Another program writes the target while the save runs (here: while the new file is flushed):
// what it wrote is kept, and the save says so instead of replacing it. A target that still holds
// what it should is replaced as always.
TEST(WriteFileAtomically, ATargetRewrittenWhileTheSaveRunsIsNotReplaced) {
    const Bytes theirs(1000, 0x77);
    for (const bool rewritten : {true, false}) {
        SCOPED_TRACE(rewritten);
        test::TempDir dir;
        const fs::path target = dir.file("card.rom");
        test::writeBytes(target, kOld);
        FaultyFileSystem system;
        bool written = false;
        system.before = [&](SysCall call) {
            if (call != SysCall::Fsync || !rewritten || written) return;
            test::writeBytes(target, theirs); // the new file's flush, before its rename
            written = true;
        };
        const WriteResult result = writeFileAtomically(target, kNew, system, &kOld);
        EXPECT_EQ(result.ok(), !rewritten) << result.error;
        EXPECT_EQ(test::readBytes(target), rewritten ? theirs : kNew);
        if (rewritten) {
            EXPECT_EQ(result.error, target.string() +
                                        ": It changed while it was saved: another program wrote "
                                        "it. It holds what that program wrote; save again to "
                                        "replace it.");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
            << "no temporary file is left";
    }
}

TEST(WriteFileAtomically, FlushesTheFileBeforeTheRenameAndTheFolderAfterIt) {
    test::TempDir dir;
    FaultyFileSystem system;
    ASSERT_TRUE(writeFileAtomically(dir.file("card.rom"), kNew, system).ok());
    const auto& log = system.log;
    const auto rename = std::find(log.begin(), log.end(), SysCall::RenameAt);
    ASSERT_NE(rename, log.end());
    EXPECT_NE(std::find(log.begin(), rename, SysCall::Fsync), rename);
    EXPECT_NE(std::find(rename, log.end(), SysCall::Fsync), log.end());
}

// --- kinds of target ---

int makeSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    return fd;
}

struct TargetKind {
    const char* name;
    // Prepares the folder and returns the path to save to.
    std::function<fs::path(const fs::path& dir)> prepare;
    const char* refusal; // a part of the refusal; empty when the save must succeed
    // After the save: the file that must hold the new bytes, relative to the folder.
    std::string written;
};

void PrintTo(const TargetKind& c, std::ostream* os) {
    *os << c.name;
}

class SaveTargetKind : public ::testing::TestWithParam<TargetKind> {};

TEST_P(SaveTargetKind, IsWrittenOrRefusedAndNeverReplacedByAnotherKind) {
    const TargetKind& c = GetParam();
    test::TempDir dir;
    const fs::path target = c.prepare(dir.path());
    // What each name in the folder was before the save.
    std::map<std::string, fs::file_type> before;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        before[entry.path().filename().string()] = fs::symlink_status(entry.path()).type();
    const WriteResult result = writeFileAtomically(target, kNew);
    if (*c.refusal) {
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(result.error.starts_with(target.string() + ": ")) << result.error;
        EXPECT_TRUE(containsText(result.error, c.refusal)) << result.error;
    } else {
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(test::readBytes(dir.path() / c.written), kNew);
    }
    for (const auto& [name, type] : before)
        EXPECT_EQ(fs::symlink_status(dir.path() / name).type(), type) << name << " changed its kind";
    for (const std::string& name : filesIn(dir.path()))
        EXPECT_FALSE(isTemporaryFileName(name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SaveTargetKind,
    ::testing::Values(TargetKind{"Regular",
                                 [](const fs::path& d) {
                                     test::writeBytes(d / "card.rom", kOld);
                                     return d / "card.rom";
                                 },
                                 "", "card.rom"},
                      TargetKind{"NewFile", [](const fs::path& d) { return d / "card.rom"; }, "", "card.rom"},
                      TargetKind{"Symlink",
                                 [](const fs::path& d) {
                                     test::writeBytes(d / "card.rom", kOld);
                                     fs::create_symlink("card.rom", d / "link.rom");
                                     return d / "link.rom";
                                 },
                                 "", "card.rom"},
                      TargetKind{"DanglingSymlink",
                                 [](const fs::path& d) {
                                     fs::create_symlink("card.rom", d / "link.rom");
                                     return d / "link.rom";
                                 },
                                 "", "card.rom"},
                      TargetKind{"SymlinkChain",
                                 [](const fs::path& d) {
                                     test::writeBytes(d / "card.rom", kOld);
                                     fs::create_directory(d / "sub");
                                     fs::create_symlink("../card.rom", d / "sub" / "second.rom");
                                     fs::create_symlink(d / "sub" / "second.rom", d / "first.rom");
                                     return d / "first.rom";
                                 },
                                 "", "card.rom"},
                      TargetKind{"LinkLoop",
                                 [](const fs::path& d) {
                                     fs::create_symlink("b.rom", d / "a.rom");
                                     fs::create_symlink("a.rom", d / "b.rom");
                                     return d / "a.rom";
                                 },
                                 "Too many levels of symbolic links", ""},
                      TargetKind{"Fifo",
                                 [](const fs::path& d) {
                                     ::mkfifo((d / "fifo.rom").c_str(), 0644);
                                     return d / "fifo.rom";
                                 },
                                 "It is a named pipe, not a regular file", ""},
                      TargetKind{"LinkToAFifo",
                                 [](const fs::path& d) {
                                     ::mkfifo((d / "fifo.rom").c_str(), 0644);
                                     fs::create_symlink("fifo.rom", d / "link.rom");
                                     return d / "link.rom";
                                 },
                                 "It is a named pipe, not a regular file", ""},
                      TargetKind{"Socket",
                                 [](const fs::path& d) {
                                     makeSocket(d / "s.rom"); // closed with the process; the name stays
                                     return d / "s.rom";
                                 },
                                 "It is a socket, not a regular file", ""},
                      TargetKind{"Folder",
                                 [](const fs::path& d) {
                                     fs::create_directory(d / "sub.rom");
                                     return d / "sub.rom";
                                 },
                                 "It is a folder, not a file.", ""},
                      TargetKind{"PathEndingInASlash",
                                 [](const fs::path& d) {
                                     fs::create_directory(d / "out");
                                     return fs::path(d.string() + "/out/");
                                 },
                                 "It names a folder, not a file.", ""},
                      TargetKind{"ReadOnly",
                                 [](const fs::path& d) {
                                     test::writeBytes(d / "locked.rom", kOld);
                                     fs::permissions(d / "locked.rom", fs::perms::owner_read);
                                     return d / "locked.rom";
                                 },
                                 "The file is read-only.", ""},
                      TargetKind{"NameOf255Bytes",
                                 [](const fs::path& d) {
                                     test::writeBytes(d / kLongName, kOld);
                                     return d / kLongName;
                                 },
                                 "", kLongName}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(WriteFileAtomically, EmptyPathIsRefused) {
    const WriteResult result = writeFileAtomically("", kNew);
    EXPECT_EQ(result.error, ": No file name was given.");
}

TEST(WriteFileAtomically, PathOf4095CharactersIsSaved) {
    test::TempDir dir;
    fs::path folder = dir.path();
    const std::string& name = kLongName;
    // Folders of up to 250 characters until the whole path is 4,095 characters long.
    while (folder.string().size() + 1 + name.size() < 4095) {
        const std::size_t left = 4095 - folder.string().size() - 1 - name.size() - 1;
        folder /= std::string(std::min<std::size_t>(left, 250), 'd');
    }
    fs::create_directories(folder);
    const fs::path target = folder / name;
    ASSERT_EQ(target.string().size(), 4095u);
    test::writeBytes(target, kOld);
    ASSERT_TRUE(writeFileAtomically(target, kNew).ok());
    EXPECT_EQ(test::readBytes(target), kNew);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{name});
}

TEST(WriteFileAtomically, OtherHardLinksKeepTheOldContentAndTheUserIsTold) {
    test::TempDir dir;
    test::writeBytes(dir.file("card.rom"), kOld);
    fs::create_hard_link(dir.file("card.rom"), dir.file("other.rom"));
    const WriteResult result = writeFileAtomically(dir.file("card.rom"), kNew);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.notes, std::vector<std::string>{"Other names of this file keep its old content."});
    EXPECT_EQ(test::readBytes(dir.file("card.rom")), kNew);
    EXPECT_EQ(test::readBytes(dir.file("other.rom")), kOld);
}

// --- owner and mode ---

TEST(WriteFileAtomically, TheTemporaryFileIsTheOwnersOnlyUntilItHasItsFinalMode) {
    test::TempDir dir;
    test::writeBytes(dir.file("card.rom"), kOld);
    fs::permissions(dir.file("card.rom"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    FaultyFileSystem system;
    std::vector<fs::perms> seen;
    system.before = [&](SysCall call) {
        if (call != SysCall::Write) return;
        for (const std::string& name : filesIn(dir.path()))
            if (isTemporaryFileName(name)) seen.push_back(fs::status(dir.path() / name).permissions());
    };
    ASSERT_TRUE(writeFileAtomically(dir.file("card.rom"), kNew, system).ok());
    ASSERT_FALSE(seen.empty());
    for (const fs::perms perms : seen)
        EXPECT_EQ(perms, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(dir.file("card.rom")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}

TEST(WriteFileAtomically, ANewFileGetsTheUsualModeOfNewFiles) {
    test::TempDir dir;
    const mode_t mask = ::umask(022);
    const WriteResult result = writeFileAtomically(dir.file("card.rom"), kNew);
    ::umask(mask);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(fs::status(dir.file("card.rom")).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                                  fs::perms::group_read |
                                                                  fs::perms::others_read);
}

struct stat statusOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status;
}

mode_t modeOf(const fs::path& path) {
    return statusOf(path).st_mode & 07777;
}

// The process's umask for one test, the old one back afterwards.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

  private:
    mode_t m_old;
};

TEST(NewFiles, SavedOrKeptAsABackupGetTheModeTheUmaskLeaves) {
    const struct {
        mode_t umask;
        mode_t mode;
    } cases[] = {{077, 0600}, {027, 0640}, {002, 0664}, {0, 0666}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "umask 0" << std::oct << c.umask);
        test::TempDir dir;
        test::writeBytes(dir.file("card.rom"), kOld);
        const ScopedUmask mask(c.umask);
        ASSERT_TRUE(writeFileAtomically(dir.file("new.rom"), kNew).ok());
        const KeepResult kept = keepCopy(dir.file("card.rom"), dir.file("card.orig.rom"));
        ASSERT_TRUE(kept.ok()) << kept.error;
        ASSERT_TRUE(kept.created);
        EXPECT_EQ(modeOf(dir.file("new.rom")), c.mode);
        EXPECT_EQ(modeOf(dir.file("card.orig.rom")), c.mode);
        EXPECT_EQ(test::readBytes(dir.file("card.orig.rom")), kOld);
        EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"card.orig.rom", "card.rom", "new.rom"}));
    }
}

TEST(WriteFileAtomically, AReplacedFileKeepsItsModeWhateverTheUmask) {
    // The strictest umask: none of these modes may lose a bit to it.
    const ScopedUmask mask(077);
    for (const mode_t mode : {0600, 0640, 0644, 0664, 0666, 0700, 0755}) {
        SCOPED_TRACE(testing::Message() << "mode 0" << std::oct << mode);
        test::TempDir dir;
        test::writeBytes(dir.file("card.rom"), kOld);
        ASSERT_EQ(::chmod(dir.file("card.rom").c_str(), mode), 0);
        ASSERT_TRUE(writeFileAtomically(dir.file("card.rom"), kNew).ok());
        EXPECT_EQ(modeOf(dir.file("card.rom")), mode);
        EXPECT_EQ(test::readBytes(dir.file("card.rom")), kNew);
    }
}

TEST(NewFiles, NoSaveOrBackupSetsTheProcessUmask) {
    test::TempDir dir;
    test::writeBytes(dir.file("card.rom"), kOld);
    const int before = umaskCalls;
    ASSERT_TRUE(writeFileAtomically(dir.file("new.rom"), kNew).ok());
    ASSERT_TRUE(writeFileAtomically(dir.file("card.rom"), kNew).ok());
    ASSERT_TRUE(keepCopy(dir.file("card.rom"), dir.file("card.orig.rom")).created);
    EXPECT_EQ(umaskCalls, before);
}

TEST(WriteFileAtomically, KeepsTheOwnerAndTheSetIdBitsOfAnotherUsersFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can save a file of another user";
    test::TempDir dir;
    const fs::path target = dir.file("card.rom");
    test::writeBytes(target, kOld);
    ASSERT_EQ(::chown(target.c_str(), 1234, 4321), 0);
    ASSERT_EQ(::chmod(target.c_str(), 04755), 0);
    ASSERT_TRUE(writeFileAtomically(target, kNew).ok());
    const struct stat after = statusOf(target);
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 4321u);
    EXPECT_EQ(after.st_mode & 07777, 04755u);
}

TEST(WriteFileAtomically, AnOwnerThatCannotBeKeptLosesTheSetIdBits) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can save a file of another user";
    test::TempDir dir;
    const fs::path target = dir.file("card.rom");
    test::writeBytes(target, kOld);
    ASSERT_EQ(::chown(target.c_str(), 1234, 4321), 0);
    ASSERT_EQ(::chmod(target.c_str(), 06755), 0);
    FaultyFileSystem system;
    system.faults = {{SysCall::Fchown, 1, EPERM}};
    const WriteResult result = writeFileAtomically(target, kNew, system);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_TRUE(containsText(result.notes[0], "without its set-user and set-group ID bits"))
        << result.notes[0];
    EXPECT_EQ(statusOf(target).st_mode & 07777, 0755u);
}

// --- one failing call of the backup ---

struct KeepFault {
    const char* name;
    std::vector<FaultyFileSystem::Fault> faults;
    std::function<std::string(const fs::path& dir)> cause; // the error after the copy's name
};

void PrintTo(const KeepFault& c, std::ostream* os) {
    *os << c.name;
}

class KeepCallFault : public ::testing::TestWithParam<KeepFault> {};

TEST_P(KeepCallFault, MakesNoCopyLeavesNoTemporaryFileAndNamesTheCause) {
    const KeepFault& c = GetParam();
    test::TempDir dir;
    test::writeBytes(dir.file("card.rom"), kOld);
    FaultyFileSystem system;
    system.faults = c.faults;
    const KeepResult kept = keepCopy(dir.file("card.rom"), dir.file("card.orig.rom"), system);
    for (const FaultyFileSystem::Fault& fault : c.faults)
        EXPECT_GE(system.count(fault.call), fault.nth) << "the fault was never reached";
    EXPECT_EQ(kept.error, "The original could not be kept as " + dir.file("card.orig.rom").string() + ": " +
                              c.cause(dir.path()));
    EXPECT_FALSE(kept.created);
    EXPECT_FALSE(kept.existed);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"card.rom"});
    EXPECT_EQ(test::readBytes(dir.file("card.rom")), kOld);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCall, KeepCallFault,
    ::testing::Values(
        KeepFault{"CreateTheTemporaryFile",
                  {{SysCall::OpenAt, 1, ENOSPC}},
                  [](const fs::path& d) {
                      return "Cannot create a file in " + d.string() + ": No space left on device";
                  }},
        KeepFault{"WriteDiskFull",
                  {{SysCall::Write, 1, ENOSPC}},
                  [](const fs::path&) { return std::string("Writing failed: No space left on device"); }},
        KeepFault{"FlushDiskFails",
                  {{SysCall::Fsync, 1, EIO}},
                  [](const fs::path&) { return std::string("Writing failed: Input/output error"); }},
        KeepFault{"Link",
                  {{SysCall::LinkAt, 1, EIO}},
                  [](const fs::path&) { return std::string("Input/output error"); }},
        KeepFault{"RenameWhereThereAreNoLinks",
                  {{SysCall::LinkAt, 1, EPERM}, {SysCall::RenameAt, 1, EXDEV}},
                  [](const fs::path&) { return std::string("Invalid cross-device link"); }}),
    [](const auto& param) { return std::string(param.param.name); });

// --- leftovers of interrupted saves ---

TEST(WriteFileAtomically, RemovesLeftoverTemporaryFilesThatNoSaveOwns) {
    test::TempDir dir;
    test::writeBytes(dir.file(".zfx-0123456789ab.tmp"), Bytes{1});
    test::writeBytes(dir.file(".zfx-held0000000a.tmp"), Bytes{2});
    // Names this program never makes stay.
    test::writeBytes(dir.file(".card.rom.zfx-42.tmp"), Bytes{3});
    test::writeBytes(dir.file(".zfx-short.tmp"), Bytes{4});
    test::writeBytes(dir.file(".zfx-0123456789AB.tmp"), Bytes{5});
    // A save that is still running holds a lock on its file.
    const int held = ::open(dir.file(".zfx-held0000000a.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const WriteResult result = writeFileAtomically(dir.file("card.rom"), kNew);
    ::close(held);
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.notes.empty());
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{".card.rom.zfx-42.tmp", ".zfx-0123456789AB.tmp",
                                        ".zfx-held0000000a.tmp", ".zfx-short.tmp", "card.rom"}));
}

TEST(WriteFileAtomically, ALeftoverThatCannotBeRemovedIsNamed) {
    test::TempDir dir;
    test::writeBytes(dir.file(".zfx-0123456789ab.tmp"), Bytes{1});
    FaultyFileSystem system;
    system.faults = {{SysCall::UnlinkAt, 1, EACCES}};
    const WriteResult result = writeFileAtomically(dir.file("card.rom"), kNew, system);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_TRUE(containsText(result.notes[0], dir.file(".zfx-0123456789ab.tmp").string() +
                                                  " could not be removed: Permission denied"))
        << result.notes[0];
}

TEST(WriteFileAtomically, KilledSavesNeverLeaveAPartialTargetAndTheNextSaveCleansUp) {
    test::TempDir dir;
    const fs::path target = dir.file("card.rom");
    const Bytes first(64 * 1024, 0x5A);
    const Bytes second(64 * 1024, 0xA5);
    test::writeBytes(target, first);
    std::mt19937 random(20261208);
    int runsThatLeftOne = 0;
    for (int run = 0; run < 40; ++run) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                (void)writeFileAtomically(target, i % 2 ? first : second);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const Bytes now = test::readBytes(target);
        ASSERT_TRUE(now == first || now == second) << "run " << run << ": a partial target";
        const auto names = filesIn(dir.path());
        runsThatLeftOne += std::any_of(names.begin(), names.end(), isTemporaryFileName) ? 1 : 0;
    }
    // A kill nearly always lands inside a save, so the cleanup below has something to do.
    EXPECT_GT(runsThatLeftOne, 0);
    ASSERT_TRUE(writeFileAtomically(target, first).ok());
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"card.rom"});
}

// --- reading ---

TEST(ReadImageFile, ReadsEveryByteAndRefusesMissingFiles) {
    test::TempDir dir;
    const Bytes bytes{0x55, 0xAA, 0x00, 0xFF};
    test::writeBytes(dir.file("a.rom"), bytes);
    const ReadResult read = readImageFile(dir.file("a.rom"));
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, bytes);
    const ReadResult missing = readImageFile(dir.file("b.rom"));
    EXPECT_EQ(missing.error, "No such file or directory");
    EXPECT_TRUE(missing.bytes.empty());
}

TEST(ReadImageFile, ExactlySixteenMebibytesIsStillRead) {
    test::TempDir dir;
    test::writeBytes(dir.file("big.rom"), Bytes(kMaxImageBytes, 0));
    EXPECT_TRUE(readImageFile(dir.file("big.rom")).ok());
}

TEST(ReadImageFile, AFileThatBecomesAPipeJustBeforeItIsOpenedIsRefusedWithoutWaiting) {
    test::TempDir dir;
    const fs::path path = dir.file("card.rom");
    test::writeBytes(path, kOld);
    FaultyFileSystem system;
    system.before = [&](SysCall call) {
        if (call != SysCall::Open) return;
        fs::remove(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    };
    const ReadResult read = readImageFile(path, system);
    EXPECT_EQ(read.error, "It is not a plain file.");
}

TEST(ReadImageFile, AFailingReadNamesItsCause) {
    test::TempDir dir;
    test::writeBytes(dir.file("a.rom"), kOld);
    FaultyFileSystem system;
    system.faults = {{SysCall::Read, 1, EIO}};
    const ReadResult read = readImageFile(dir.file("a.rom"), system);
    EXPECT_EQ(read.error, "The file could not be read: Input/output error");
    EXPECT_TRUE(read.bytes.empty());
}

} // namespace
} // namespace zfx
