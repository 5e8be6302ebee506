// The window and mrvtool must leave the same bytes in modreg.dat for the same
// entries: a user may edit the file with either.
#include "tests/dialogs/MakerDlgFixture.h"

#include "res/Resource.h"
#include "core/FileSystem.h"
#include "tests/core/RegistrySamples.h"
#include "tests/support/Process.h"

#ifdef MRVTOOL_PATH

namespace fs = std::filesystem;
using mrv::Bytes;
using mrv::registry::test::MiniRecord;
using mrv::registry::test::Registry;
using namespace std::string_literals;

namespace {

class RegistryToolParity : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        fs::create_directory(m_dir / "tool");
    }

    // Runs mrvtool on the tool's copy; true when it succeeded.
    bool Tool(std::vector<std::string> arguments)
    {
        mrv::test::Command command;
        command.program = mrv::os::PathFromUtf8(MRVTOOL_PATH);
        command.args = std::move(arguments);
        return mrv::test::RunProcess(command).status == 0;
    }
    std::string ToolFile() const { return mrv::os::PathText(m_dir / "tool" / "modreg.dat"); }
};

TEST_F(RegistryToolParity, AddingAndDeletingGiveTheToolsBytes)
{
    const Bytes start = Registry({MiniRecord("ZQT/MORVANTA/MRV_Dat00007\0"s, "x", 20)}, Bytes(300, 0xEE));
    const fs::path mine = WriteFile("modreg.dat", start);
    WriteFile("tool/modreg.dat", start);
    LoadRegistry(mine);

    // A MOD entry on the memory card, typed in as a user would.
    Click(IDC_LINK_KIND_MOD);
    Click(IDC_ENTRY_KIND_MOD);
    Enter(IDC_LINK_TITLE, "둘째 노래");
    Enter(IDC_ENTRY_NUMBER, "3");
    Enter(IDC_FILE_SIZE, "2000000");
    Enter(IDC_PLAY_TIME, "215");
    m_dlg->m_nStorageLocation = 4;
    Click(IDC_ADD_ENTRY);
    ASSERT_TRUE(Tool({"add", ToolFile(), "--title", "둘째 노래", "--kind", "mod", "--number", "3", "--location", "4",
                      "--size", "2000000", "--time", "215", "--no-backup"}));
    EXPECT_EQ(ReadBytes(mine), ReadBytes(m_dir / "tool/modreg.dat"));

    // The start values, behind it.
    Click(IDC_ENTRY_KIND_MRV);
    Enter(IDC_LINK_TITLE, "노래제목입력");
    Enter(IDC_ENTRY_NUMBER, "1");
    Enter(IDC_FILE_SIZE, "1048576");
    Enter(IDC_PLAY_TIME, "60");
    Click(IDC_ADD_ENTRY);
    ASSERT_TRUE(Tool({"add", ToolFile(), "--no-backup"}));
    EXPECT_EQ(ReadBytes(mine), ReadBytes(m_dir / "tool/modreg.dat"));

    // The middle entry goes; the leftovers move with the rest.
    m_services.AnswerMessageBox(CommandId::Yes);
    mrv::platform::testing::RightClickListRow(m_dlg->m_listRegistry, 1);
    ASSERT_TRUE(Tool({"delete", ToolFile(), "1", "--yes"}));
    EXPECT_EQ(ReadBytes(mine), ReadBytes(m_dir / "tool/modreg.dat"));

    EXPECT_EQ(m_dlg->m_listRegistry.GetItemCount(), 2);
    EXPECT_EQ(m_services.MessageBoxes().size(), 1u) << ::testing::PrintToString(MessageTexts());
}

} // namespace

#endif
