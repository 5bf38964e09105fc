// SPDX-License-Identifier: MIT
#include "file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Passes the first `budget` bytes to a real file, then fails.
class FailingSink final : public ByteSink {
  public:
    FailingSink(std::unique_ptr<ByteSink> real, std::size_t budget)
        : m_real(std::move(real)), m_budget(budget) {}
    bool write(std::span<const std::uint8_t> bytes) override {
        const std::size_t n = std::min(bytes.size(), m_budget);
        m_real->write(bytes.first(n));
        m_budget -= n;
        return n == bytes.size();
    }
    bool finish() override { return m_real->finish(); }

  private:
    std::unique_ptr<ByteSink> m_real;
    std::size_t m_budget;
};

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WriteFileAtomically, WriteFailingHalfwayLeavesTheTargetByteIdenticalAndNoStrayFile) {
    test::TempDir dir;
    const auto target = dir.file("card.rom");
    const Bytes original(1000, 0xAB);
    test::writeBytes(target, original);
    const Bytes replacement(1000, 0x11);
    const auto failure =
        writeFileAtomically(target, replacement, [](const fs::path& p) -> std::unique_ptr<ByteSink> {
            return std::make_unique<FailingSink>(openFileSink(p), 500);
        });
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(test::readBytes(target), original);
    EXPECT_EQ(filesIn(dir.path()), std::vector<fs::path>{"card.rom"});
}

TEST(WriteFileAtomically, SinkThatCannotBeOpenedCreatesNothing) {
    test::TempDir dir;
    const auto failure = writeFileAtomically(dir.file("new.rom"), Bytes{1, 2},
                                             [](const fs::path&) { return std::unique_ptr<ByteSink>(); });
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(WriteFileAtomically, ReplacesTheTargetWhole) {
    test::TempDir dir;
    const auto target = dir.file("card.rom");
    test::writeBytes(target, Bytes(10, 0xFF));
    EXPECT_FALSE(writeFileAtomically(target, Bytes{1, 2, 3}).has_value());
    EXPECT_EQ(test::readBytes(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(filesIn(dir.path()), std::vector<fs::path>{"card.rom"});
}

TEST(WriteFileAtomically, FolderAsTargetIsRefused) {
    test::TempDir dir;
    fs::create_directory(dir.file("sub.rom"));
    EXPECT_EQ(writeFileAtomically(dir.file("sub.rom"), Bytes{1}), "It is a folder, not a file.");
}

TEST(ReadImageFile, ReadsEveryByteAndRefusesMissingFiles) {
    test::TempDir dir;
    const Bytes bytes{0x55, 0xAA, 0x00, 0xFF};
    test::writeBytes(dir.file("a.rom"), bytes);
    const ReadResult read = readImageFile(dir.file("a.rom"));
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, bytes);
    const ReadResult missing = readImageFile(dir.file("b.rom"));
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.bytes.empty());
}

TEST(ReadImageFile, ExactlySixteenMebibytesIsStillRead) {
    test::TempDir dir;
    test::writeBytes(dir.file("big.rom"), Bytes(kMaxImageBytes, 0));
    EXPECT_TRUE(readImageFile(dir.file("big.rom")).ok());
}

} // namespace
} // namespace zfx
