// Replacing the user's files on Windows: the old file survives every refusal, a replaced file
// keeps what Windows records about it, and no temporary file is left behind.
#include "AtomicFile.h"
#include "UnderWine.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

class AtomicFileWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::path(::testing::TempDir()) /
                ("atomic-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(m_dir))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static std::string content(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

private:
    fs::path m_dir;
};

} // namespace

TEST_F(AtomicFileWin32Test, ReplacesAndCreatesFilesLeavingNothingBeside) {
    const std::string csv = path("series.csv");
    EXPECT_EQ(AtomicFile::write(csv, "new\r\n"), std::nullopt);
    EXPECT_EQ(content(csv), "new\r\n");

    // The old file is swapped out whole; what Windows keeps about it stays (Wine drops it).
    ASSERT_TRUE(SetFileAttributesW(fs::path(csv).c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(AtomicFile::write(csv, "second\r\n"), std::nullopt);
    EXPECT_EQ(content(csv), "second\r\n");
    if (!underWine()) {
        EXPECT_TRUE(GetFileAttributesW(fs::path(csv).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }

    // A name relative to the current folder.
    const fs::path before = fs::current_path();
    fs::current_path(fs::path(csv).parent_path());
    EXPECT_EQ(AtomicFile::write("series.csv", "third\r\n"), std::nullopt);
    fs::current_path(before);
    EXPECT_EQ(content(csv), "third\r\n");
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(AtomicFileWin32Test, RefusedTargetsKeepTheirContent) {
    const std::string locked = path("locked.qel");
    std::ofstream(locked) << "old";
    ASSERT_TRUE(SetFileAttributesW(fs::path(locked).c_str(), FILE_ATTRIBUTE_READONLY));
    fs::create_directory(path("folder"));
    const std::pair<std::string, std::string> cases[] = {
        {locked, "is read-only"},
        {path("folder"), "is a directory"},
        {path("missing\\x.qel"), "there is no folder " + path("missing")},
        {"", "no file name"},
        {"NUL", "is not a regular file"},
    };
    for (const auto& [target, reason] : cases) {
        EXPECT_EQ(AtomicFile::checkTarget(target), reason) << target;
        EXPECT_EQ(AtomicFile::write(target, "new"), reason) << target;
    }
    EXPECT_EQ(content(locked), "old");
    EXPECT_EQ(filesInFolder(), 2u);
}
