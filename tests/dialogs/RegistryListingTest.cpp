// Choosing modreg.dat and listing its entries in the main window.
#include "tests/dialogs/MakerDlgFixture.h"

#include "registry/RegistryFile.h"
#include "res/Resource.h"

#include <gmock/gmock.h>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Row = std::pair<std::string, std::string>;

namespace {

// A registry holding records with these (UTF-8 title, link name) pairs, then
// extra bytes after the records.
std::vector<std::uint8_t> Registry(const std::vector<std::pair<std::string, std::string>>& entries,
                                   const std::vector<std::uint8_t>& leftovers = {})
{
    std::vector<std::uint8_t> records;
    for (const auto& [title, linkName] : entries) {
        mrv::registry::EntryFields f;
        f.title = mrv::text::K(title);
        f.linkName = linkName;
        f.audio = mrv::registry::DefaultAudioInfo();
        auto record = mrv::registry::BuildRecord(f);
        EXPECT_TRUE(record.ok());
        records.insert(records.end(), record->begin(), record->end());
    }
    auto le32 = [](std::uint32_t v) {
        return std::vector<std::uint8_t>{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    };
    std::vector<std::uint8_t> file = le32(static_cast<std::uint32_t>(entries.size()));
    auto size = le32(static_cast<std::uint32_t>(records.size()));
    file.insert(file.end(), size.begin(), size.end());
    file.insert(file.end(), records.begin(), records.end());
    file.insert(file.end(), leftovers.begin(), leftovers.end());
    return file;
}

} // namespace

TEST_F(MakerDlgTest, TheFileDialogAsksForModregInTheSaveFolder)
{
    m_services.CancelOpenFile();
    Click(IDC_LOAD_REGISTRY);
    ASSERT_EQ(m_services.OpenFileDialogs().size(), 1u);
    const auto& call = m_services.OpenFileDialogs()[0];
    EXPECT_EQ(call.TitleUtf8(), "수정할 음원 레지스트리화일 선택 (modreg.dat)");
    EXPECT_EQ(call.FilterUtf8(), "레지스트리 Files(modreg.dat)|modreg.dat|All Files (*.*)|*.*||");
    EXPECT_EQ(call.request.defaultExtension, "dat");
    EXPECT_EQ(call.request.initialFolder, m_dir);
    EXPECT_EQ(call.owner, m_dlg.get());
    // Cancel changes nothing.
    EXPECT_TRUE(m_dlg->m_strRegistryPath.empty());
    EXPECT_EQ(Shown(IDC_REGISTRY_PATH), "");
}

TEST_F(MakerDlgTest, ListsTheEntriesInFileOrder)
{
    const fs::path empty = WriteFile("empty.dat", Registry({}));
    LoadRegistry(empty);
    EXPECT_EQ(m_dlg->m_strRegistryPath, empty);
    EXPECT_EQ(Shown(IDC_REGISTRY_PATH), empty.string());
    EXPECT_TRUE(Rows().empty());

    const fs::path one = WriteFile("one.dat", Registry({{"노래제목입력", "MRV_Dat00001"}}));
    LoadRegistry(one);
    EXPECT_THAT(Rows(), ElementsAre(Row{"노래제목입력", "ZQT/MORVANTA/MRV_Dat00001"}));

    // Any name will do; rows keep the file's order, whatever the titles.
    const fs::path three = WriteFile("three.bin", Registry({{"다", "MRV_Dat00003"}, {"가", "MRV_Dat00001"}, {"", "MRV_Dat00002"}}));
    LoadRegistry(three);
    EXPECT_THAT(Rows(), ElementsAre(Row{"다", "ZQT/MORVANTA/MRV_Dat00003"}, Row{"가", "ZQT/MORVANTA/MRV_Dat00001"},
                                    Row{"", "ZQT/MORVANTA/MRV_Dat00002"}));
    EXPECT_EQ(m_services.MessageBoxes().size(), 0u);
}

TEST_F(MakerDlgTest, ShowsAPathUpToItsFirstZeroAndNeverTheLeftovers)
{
    // The link name carries a zero byte: the path is cut there, the fields
    // after it are still read at their place.
    std::string linkName = "MRV_Dat";
    linkName += '\0';
    linkName += "00001";
    const std::vector<std::uint8_t> leftovers(200, 0x41);
    const fs::path file = WriteFile("modreg.dat", Registry({{"첫째", linkName}, {"둘째", "MRV_Dat00002"}}, leftovers));
    LoadRegistry(file);
    EXPECT_THAT(Rows(), ElementsAre(Row{"첫째", "ZQT/MORVANTA/MRV_Dat"}, Row{"둘째", "ZQT/MORVANTA/MRV_Dat00002"}));
}

TEST_F(MakerDlgTest, ADamagedFileShowsTheEntriesBeforeTheDamageAndSaysWhere)
{
    auto bytes = Registry({{"하나", "MRV_Dat00001"}, {"둘", "MRV_Dat00002"}});
    bytes[0] = 3;  // one record more than the file holds
    const fs::path file = WriteFile("modreg.dat", bytes);
    m_services.AcceptUnscriptedOkBoxes();
    LoadRegistry(file);
    EXPECT_THAT(Rows(), ElementsAre(Row{"하나", "ZQT/MORVANTA/MRV_Dat00001"}, Row{"둘", "ZQT/MORVANTA/MRV_Dat00002"}));
    ASSERT_EQ(m_services.MessageBoxes().size(), 1u);
    const auto& box = m_services.MessageBoxes()[0];
    EXPECT_EQ(box.CaptionUtf8(), "Morvanta Maker");
    EXPECT_EQ(box.Icon(), MsgBox::IconError);
    EXPECT_THAT(box.TextUtf8(), HasSubstr(std::to_string(bytes.size())));  // the offset where it ends
}

TEST_F(MakerDlgTest, AFileThatCannotBeOpenedIsReported)
{
    const fs::path listed = WriteFile("modreg.dat", Registry({{"하나", "MRV_Dat00001"}}));
    LoadRegistry(listed);
    ASSERT_EQ(Rows().size(), 1u);
    // The dialog accepts a typed name of a missing file.
    m_services.AcceptUnscriptedOkBoxes();
    LoadRegistry(m_dir / "missing.dat");
    EXPECT_EQ(m_dlg->m_strRegistryPath, m_dir / "missing.dat");
    EXPECT_TRUE(Rows().empty());
    ASSERT_EQ(m_services.MessageBoxes().size(), 1u);
    EXPECT_THAT(m_services.MessageBoxes()[0].TextUtf8(), HasSubstr("missing.dat"));
}
