// The folder scan of the search window on real folders, over rows kept in a
// vector: which files are listed, and how the rows follow the folder.
#include "cache/CacheScan.h"
#include "core/FileSystem.h"
#if defined(_WIN32)
#include "tests/support/Attributes.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using mrv::cache::FolderScanner;

namespace {

class VectorRows : public mrv::cache::RowList {
public:
    std::vector<std::pair<std::string, std::string>> rows;   // name, size text

    int RowCount() const override { return static_cast<int>(rows.size()); }
    const std::string& RowName(int row) const override { return rows.at(static_cast<std::size_t>(row)).first; }
    void DeleteRow(int row) override
    {
        rows.erase(rows.begin() + row);
        ++revision;
    }
    void AppendRow(const std::string& name, const std::string& size) override
    {
        rows.emplace_back(name, size);
        ++revision;
    }
    std::uint64_t Revision() const override { return revision; }
    std::uint64_t revision = 0;

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& row : rows) names.push_back(row.first);
        return names;
    }
};

class CacheScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("mrvmaker-scan-" + mrv::os::RandomName(8)) / info->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir.parent_path(), ec);
    }

    void Write(const std::string& name, std::size_t size)
    {
        std::ofstream(m_dir / name, std::ios::binary) << std::string(size, 'x');
    }
    // The names of the folder's entries in the order the system lists them.
    std::vector<std::string> ListingOrder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path m_dir;
    FolderScanner m_scanner;
    VectorRows m_rows;
};

TEST(CacheScanNames, ZqmInAnyLetterCaseAndNotHidden)
{
    for (const char* name : {"a.zqm", "A.ZQM", "1.Zqm", "long name.zQm"}) EXPECT_TRUE(mrv::cache::IsListedName(name)) << name;
    for (const char* name : {".a.zqm", ".zqm", "a.zqm.part", "a.mp3", "zqm", "a_zqm", ""})
        EXPECT_FALSE(mrv::cache::IsListedName(name)) << name;
}

TEST(CacheScanNames, SizesBeyond2GiBAndUnopenableFiles)
{
    EXPECT_EQ(mrv::cache::SizeText(3000000000LL), "3000000000 Bytes");
    EXPECT_EQ(mrv::cache::MeasureFile("/nonexistent/mrvmaker/a.zqm"), -1);
}

TEST_F(CacheScanTest, RowsFollowTheFolderInOrderOfFirstSight)
{
    Write("a.zqm", 10);
    Write("b.zqm", 2000);
    Write("notes.txt", 5);
    m_scanner.Synchronise(m_dir, m_rows);
    std::vector<std::string> expected;
    for (const auto& name : ListingOrder())
        if (name != "notes.txt") expected.push_back(name);
    EXPECT_EQ(m_rows.Names(), expected);
    const auto sizeOf = [&](const std::string& name) {
        for (const auto& [n, size] : m_rows.rows)
            if (n == name) return size;
        return std::string("(none)");
    };
    EXPECT_EQ(sizeOf("a.zqm"), "10 Bytes");
    EXPECT_EQ(sizeOf("b.zqm"), "2000 Bytes");

    fs::remove(m_dir / "a.zqm");
    Write("c.zqm", 7);
    m_scanner.Synchronise(m_dir, m_rows);
    EXPECT_EQ(m_rows.rows, (std::vector<std::pair<std::string, std::string>>{{"b.zqm", "2000 Bytes"}, {"c.zqm", "7 Bytes"}}));

    // A size is measured once: a growing file keeps the size it was first shown with.
    Write("b.zqm", 99999);
    m_scanner.Synchronise(m_dir, m_rows);
    EXPECT_EQ(sizeOf("b.zqm"), "2000 Bytes");

#if !defined(_WIN32)
    // Names compare as bytes: the same name in other letters is another file.
    // (On Windows it is the same file.)
    fs::rename(m_dir / "b.zqm", m_dir / "B.ZQM");
    m_scanner.Synchronise(m_dir, m_rows);
    EXPECT_EQ(m_rows.rows, (std::vector<std::pair<std::string, std::string>>{{"c.zqm", "7 Bytes"}, {"B.ZQM", "99999 Bytes"}}));
#endif
}

TEST_F(CacheScanTest, HiddenFilesFoldersAndOtherEntriesAreNotListed)
{
    Write(".x.zqm", 1);
    fs::create_directory(m_dir / "y.zqm");
    Write("z.zqm", 3);
    std::vector<std::string> expected{"z.zqm"};
    std::error_code ec;
    fs::create_symlink(m_dir / "gone.zqm", m_dir / "dangling.zqm", ec);
    if (!ec) {
        fs::create_symlink(m_dir / "z.zqm", m_dir / "link.zqm");   // a link to a file is that file
        expected.insert(expected.begin(), "link.zqm");
    }
#if defined(_WIN32)
    // What the file manager hides: the hidden and the system attribute.
    Write("h.zqm", 1);
    Write("s.zqm", 1);
    ASSERT_TRUE(mrv::test::MarkHidden(m_dir / "h.zqm"));
    ASSERT_TRUE(mrv::test::MarkSystem(m_dir / "s.zqm"));
#endif
    ASSERT_TRUE(m_scanner.Collect(m_dir));
    std::vector<std::string> names(m_scanner.Names().begin(), m_scanner.Names().end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

TEST_F(CacheScanTest, AFolderThatCannotBeListedEmptiesTheRows)
{
    Write("a.zqm", 1);
    m_scanner.Synchronise(m_dir, m_rows);
    ASSERT_EQ(m_rows.RowCount(), 1);
    m_scanner.Synchronise(m_dir / "missing/", m_rows);
    EXPECT_EQ(m_rows.RowCount(), 0);

    // No folder at all is not the working folder.
    m_rows.AppendRow("a.zqm", "1 Bytes");
    m_scanner.Synchronise(fs::path(), m_rows);
    EXPECT_EQ(m_rows.RowCount(), 0);
    EXPECT_FALSE(m_scanner.Collect(m_dir / "a.zqm"));   // a file is no folder
}

TEST_F(CacheScanTest, AtMost256FilesAreListedTheRestRemovedAtEachScan)
{
    for (int i = 0; i < 300; ++i) Write(std::to_string(i) + ".zqm", 1);
    std::vector<std::string> listing = ListingOrder();
    m_rows.AppendRow(listing.back(), "1 Bytes");
    m_scanner.Synchronise(m_dir, m_rows);
    listing.resize(256);
    EXPECT_EQ(m_rows.Names(), listing) << "the first 256 of the listing; the row of a later file removed";
}

} // namespace

// An idle tick reads no folder: only a folder whose change time has moved, or
// one changed too recently for its change time to tell, or a list that
// something else has changed, is read again.
TEST_F(CacheScanTest, AFolderIsReadAgainOnlyWhenItOrTheRowsChanged)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the C++ library cannot set a folder's time on Windows";
#endif
    mrv::cache::FolderMemo memo;
    const auto quiet = fs::file_time_type::clock::now() - std::chrono::seconds(60);
    Write("a.zqm", 1);
    fs::last_write_time(m_dir, quiet);
    m_scanner.Synchronise(m_dir, m_rows, &memo);
    ASSERT_EQ(m_rows.Names(), std::vector<std::string>{"a.zqm"});

    // A file appears, and the folder's change time is put back: a tick that
    // trusts the change time does not see it; any other does.
    Write("b.zqm", 1);
    fs::last_write_time(m_dir, quiet);
    m_scanner.Synchronise(m_dir, m_rows, &memo);
    EXPECT_EQ(m_rows.RowCount(), 1) << "the folder was read although its change time had not moved";
    fs::last_write_time(m_dir, quiet + std::chrono::seconds(1));
    m_scanner.Synchronise(m_dir, m_rows, &memo);
    EXPECT_EQ(m_rows.RowCount(), 2);

    // Something else took a row away: the next tick puts it back.
    m_rows.DeleteRow(0);
    m_scanner.Synchronise(m_dir, m_rows, &memo);
    EXPECT_EQ(m_rows.RowCount(), 2);

    // Another folder is read at once.
    m_scanner.Synchronise(m_dir / "missing", m_rows, &memo);
    EXPECT_EQ(m_rows.RowCount(), 0);
}

TEST_F(CacheScanTest, AFolderChangedMomentsAgoIsReadAtEveryTick)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the C++ library cannot set a folder's time on Windows";
#endif
    mrv::cache::FolderMemo memo;
    Write("a.zqm", 1);
    const auto recent = fs::last_write_time(m_dir);
    m_scanner.Synchronise(m_dir, m_rows, &memo);
    // Within the change time's granularity another file comes and leaves
    // the change time as it was.
    Write("b.zqm", 1);
    fs::last_write_time(m_dir, recent);
    m_scanner.Synchronise(m_dir, m_rows, &memo);
    EXPECT_EQ(m_rows.RowCount(), 2);
}
