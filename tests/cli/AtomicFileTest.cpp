// The writer of the user's files on this system: what it must never do to files beside the target.
#include "AtomicFile.h"
#include "TextFile.h"

#include "ChildProgram.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::path(::testing::TempDir()) /
                ("atomic-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path path(const std::string& name) const { return m_dir / name; }
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_dir))
            found.insert(entry.path().filename().string());
        return found;
    }

private:
    fs::path m_dir;
};

} // namespace

TEST_F(AtomicFileTest, ALinkPlantedBesideTheTargetIsNeverWrittenThrough) {
    std::ofstream(path("victim")) << "unrelated";
    std::ofstream(path("series.csv")) << "old";
    fs::create_symlink(path("victim"), path("series.csv.zylctl-tmp"));
    EXPECT_EQ(AtomicFile::write(path("series.csv").string(), "new"), std::nullopt);
    EXPECT_EQ(slurp(path("series.csv")), "new");
    EXPECT_EQ(slurp(path("victim")), "unrelated");
    EXPECT_EQ(names(), (std::set<std::string>{"victim", "series.csv", "series.csv.zylctl-tmp"}));
}

TEST_F(AtomicFileTest, ASizeLimitIsAnErrorThatKeepsTheOldFile) {
    std::ofstream(path("sensor.qel")) << "old";
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const auto why = AtomicFile::write(path("sensor.qel").string(), std::string(4096, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(why.has_value());
    EXPECT_EQ(*why, "File too large");
    EXPECT_EQ(slurp(path("sensor.qel")), "old");
    EXPECT_EQ(names(), (std::set<std::string>{"sensor.qel"}));
}

TEST_F(AtomicFileTest, ALinkToAFileNotYetThereCreatesItAndStaysALink) {
    fs::create_directories(path("data"));
    fs::create_symlink("data/today.csv", path("latest.csv"));
    EXPECT_EQ(AtomicFile::write(path("latest.csv").string(), "rows"), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(path("latest.csv")));
    EXPECT_EQ(slurp(path("data/today.csv")), "rows");
    // A replaced file keeps its permissions; a new one gets the usual ones.
    fs::permissions(path("data/today.csv"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(AtomicFile::write(path("latest.csv").string(), "more"), std::nullopt);
    EXPECT_EQ(fs::status(path("data/today.csv")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicFileTest, APipeIsRefusedWithoutWaitingForAWriter) {
    ASSERT_EQ(::mkfifo(path("project.qel").c_str(), 0600), 0);
    const TextFile::ReadResult read = TextFile::read(path("project.qel").string(), 1024);
    EXPECT_EQ(read.error, TextFile::ReadError::Unreadable);
    EXPECT_EQ(read.reason, "is not a regular file");
    EXPECT_EQ(AtomicFile::write(path("project.qel").string(), "x"), "is not a regular file");
    EXPECT_EQ(AtomicFile::write("", "x"), "no file name");
}
