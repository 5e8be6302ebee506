// Adding and deleting registry entries through the main window, checked
// against the bytes the handset expects and against what is left on disk when
// a change is refused.
#include "tests/dialogs/MakerDlgFixture.h"

#include "core/FileSystem.h"
#include "res/Resource.h"
#include "tests/core/RegistrySamples.h"

#include <gmock/gmock.h>
#ifndef _WIN32
#include <unistd.h>
#endif


namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Row = std::pair<std::string, std::string>;
using mrv::Bytes;
using mrv::registry::test::Cat;
using mrv::registry::test::Header;
using mrv::registry::test::kModCardRecord;
using mrv::registry::test::kWorkedRecord;
using mrv::registry::test::MiniRecord;
using mrv::registry::test::Registry;
using mrv::registry::test::Slice;
using namespace std::string_literals;

namespace {

// The fixture's clock reads 2005-08-09 07:03:05: year, day, hour, minute, second.
constexpr const char* kBackupSuffix = "_2005_9_7_3_5";

constexpr unsigned kErrorBox = MsgBox::Ok | MsgBox::IconError;        // 16
constexpr unsigned kQuestionBox = MsgBox::YesNo | MsgBox::IconQuestion; // 36

const Bytes kA = MiniRecord("ZQT/A\0"s, "a");           // 28 bytes
const Bytes kB = MiniRecord("ZQT/BB\0"s, "bb", 10);     // 37 bytes
const Bytes kC = MiniRecord("ZQT/CCC\0"s, "ccc", 5);    // 34 bytes
const Bytes kTail = {'L', 'E', 'F', 'T', 'O', 'V', 'E', 'R'};

const Bytes kMrvTrailer = {0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x4C, 0x09, 0x86, 0x42};
const Bytes kModInternalTrailer = {0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xCA, 0x88, 0x42};
const Bytes kModCardTrailer = {0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x10, 0x00, 0x9F, 0x3D, 0xD5, 0x12};

std::int32_t Size(std::initializer_list<Bytes> records) { return static_cast<std::int32_t>(Cat(records).size()); }

Bytes LastBytes(const Bytes& b, std::size_t n) { return Slice(b, b.size() - n, b.size()); }

class RegistryEditing : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        // Error boxes have only OK; each test looks at what they said.
        m_services.AcceptUnscriptedOkBoxes();
        m_reg = m_dir / "modreg.dat";
    }

    // Writes modreg.dat and opens it as the user would.
    void Listed(const Bytes& bytes)
    {
        WriteFile("modreg.dat", bytes);
        LoadRegistry(m_reg);
        m_services.ClearRecords();
    }

    // The backups beside the registry, by name, oldest name first.
    std::vector<std::string> Backups() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir)) {
            const std::string name = e.path().filename().string();
            if (name.starts_with("modreg.dat_")) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    CListCtrl& List() { return m_dlg->m_listRegistry; }

    // Right-clicks a row and answers the confirmation.
    void DeleteRow(int row, int answer = CommandId::Yes)
    {
        m_services.AnswerMessageBox(answer);
        mrv::platform::testing::RightClickListRow(List(), row);
    }

    // The entry kind as the user clicks it, the link name and the storage
    // location as the entry-number rule and the MOD Option dialog leave them.
    void SetEntry(bool mod, const std::string& linkName, int location)
    {
        Click(mod ? IDC_ENTRY_KIND_MOD : IDC_ENTRY_KIND_MRV);
        m_dlg->m_strEntryLinkName = linkName;
        m_dlg->m_nStorageLocation = location;
        m_dlg->UpdateData(false);
    }

    const mrv::testing::MessageBoxCall& OnlyBox()
    {
        static const mrv::testing::MessageBoxCall none;
        EXPECT_EQ(m_services.MessageBoxes().size(), 1u) << ::testing::PrintToString(MessageTexts());
        return m_services.MessageBoxes().empty() ? none : m_services.MessageBoxes().front();
    }

    fs::path m_reg;
};

// ---- appending -----------------------------------------------------------------

TEST_F(RegistryEditing, TheStartValuesAppendTheHandsetsOwn155ByteRecord)
{
    const Bytes empty = Header(0, 0);
    Listed(empty);
    Click(IDC_ADD_ENTRY);

    EXPECT_EQ(ReadBytes(m_reg), Cat({Header(1, 155), kWorkedRecord}));
    EXPECT_THAT(Rows(), ElementsAre(Row{"노래제목입력", "ZQT/MORVANTA/MRV_Dat00001"}));
    EXPECT_TRUE(m_services.MessageBoxes().empty()) << ::testing::PrintToString(MessageTexts());
    // The backup holds the file as it was before the change.
    ASSERT_THAT(Backups(), ElementsAre("modreg.dat"s + kBackupSuffix));
    EXPECT_EQ(ReadBytes(m_dir / Backups()[0]), empty);
}

TEST_F(RegistryEditing, AppendGoesBehindTheLastRecordOverTheLeftovers)
{
    Bytes leftovers(200);
    for (std::size_t i = 0; i < leftovers.size(); ++i) leftovers[i] = static_cast<std::uint8_t>(0x80 + i);
    Listed(Registry({kA, kB}, leftovers));
    Click(IDC_ADD_ENTRY);

    // Overwritten from their first byte; what lies past the new record stays.
    EXPECT_EQ(ReadBytes(m_reg), Cat({Header(3, Size({kA, kB}) + 155), kA, kB, kWorkedRecord, Slice(leftovers, 155, 200)}));
    EXPECT_THAT(Rows(), ElementsAre(Row{"a", "ZQT/A"}, Row{"bb", "ZQT/BB"}, Row{"노래제목입력", "ZQT/MORVANTA/MRV_Dat00001"}));
}

TEST_F(RegistryEditing, EveryFieldOfTheFormReachesItsPlaceInAModRecord)
{
    Listed(Header(0, 0));
    Enter(IDC_ENTRY_TITLE, "T");
    Enter(IDC_FILE_SIZE, "-1");
    Enter(IDC_PLAY_TIME, "16909060");   // 0x01020304
    m_dlg->m_szCopyrightHolder = "C";
    m_dlg->m_szBitrate = "B";
    m_dlg->m_szAudioKbps = "K";
    m_dlg->m_szSampleRateKhz = "S";
    m_dlg->m_szAudioFormat = "F";
    SetEntry(true, "MOD_Dat00003", 4);
    Click(IDC_ADD_ENTRY);

    EXPECT_EQ(ReadBytes(m_reg), Cat({Header(1, 102), kModCardRecord}));
    EXPECT_THAT(Rows(), ElementsAre(Row{"T", "ZQT/MOD/MOD_Dat00003"}));
}

TEST_F(RegistryEditing, TheTrailerFollowsEntryKindAndStorageLocation)
{
    struct Case {
        bool mod;
        int location;
        const Bytes& trailer;
    };
    const Case cases[] = {
        {false, 0, kMrvTrailer},         {false, 5, kMrvTrailer},         {true, 0, kModInternalTrailer},
        {true, 1, kModInternalTrailer},  {true, 2, kModInternalTrailer},  {true, 3, kModInternalTrailer},
        {true, 4, kModCardTrailer},      {true, 5, kModCardTrailer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.mod ? "MOD" : "MRV") << " at location " << c.location);
        Listed(Header(0, 0));
        SetEntry(c.mod, c.mod ? "MOD_Dat00001" : "MRV_Dat00001", c.location);
        Click(IDC_ADD_ENTRY);

        const Bytes file = ReadBytes(m_reg);
        ASSERT_GT(file.size(), 8u + 13u);
        EXPECT_EQ(LastBytes(file, 13), c.trailer);
        const std::string path = c.mod ? "ZQT/MOD/MOD_Dat00001"s : "ZQT/MORVANTA/MRV_Dat00001"s;
        EXPECT_EQ(Slice(file, 8 + 17, 8 + 17 + path.size()), Bytes(path.begin(), path.end()));
    }
}

TEST_F(RegistryEditing, WithoutAChosenFileTheAppendOnlyAsksForOne)
{
    Click(IDC_ADD_ENTRY);
    const auto& box = OnlyBox();
    EXPECT_EQ(box.TextUtf8(), "먼저 modreg.dat 화일을 먼져 여세요....");
    EXPECT_EQ(box.CaptionUtf8(), "Morvanta Maker");
    EXPECT_EQ(box.type, 0u);
    EXPECT_EQ(box.owner, m_dlg.get());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 0);
}

TEST_F(RegistryEditing, AListedPathOrTitleIsRefusedBeforeAnythingIsWritten)
{
    const std::string title = Cp949("노래제목입력");
    struct Case {
        const char* what;
        Bytes listed;
        const char* text;
        const char* caption;
    };
    const Case refused[] = {
        {"same path, other title", MiniRecord("ZQT/MORVANTA/MRV_Dat00001\0"s, "other"),
         "중복된 화일이 존재 합니다....", "ZQT/MORVANTA/MRV_Dat00001"},
        {"same title, other path", MiniRecord("ZQT/MORVANTA/MRV_Dat00009\0"s, title),
         "중복된 곡명이 존재 합니다....", "노래제목입력"},
        // The path is checked first: only its message shows.
        {"both", MiniRecord("ZQT/MORVANTA/MRV_Dat00001\0"s, title), "중복된 화일이 존재 합니다....",
         "ZQT/MORVANTA/MRV_Dat00001"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        const Bytes before = Registry({kA, c.listed}, kTail);
        Listed(before);
        Click(IDC_ADD_ENTRY);
        const auto& box = OnlyBox();
        EXPECT_EQ(box.TextUtf8(), c.text);
        EXPECT_EQ(box.CaptionUtf8(), c.caption);
        EXPECT_EQ(box.type, kErrorBox);
        EXPECT_EQ(ReadBytes(m_reg), before);
        EXPECT_TRUE(Backups().empty());
    }
}

TEST_F(RegistryEditing, DuplicateChecksAreExactAndCaseSensitive)
{
    const std::string title = Cp949("노래제목입력");
    // Other letter case in the path, a trailing blank on the title: both new.
    Listed(Registry({MiniRecord("ZQT/MORVANTA/mrv_Dat00001\0"s, title + " ")}));
    Click(IDC_ADD_ENTRY);
    EXPECT_TRUE(m_services.MessageBoxes().empty()) << ::testing::PrintToString(MessageTexts());
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(RegistryEditing, TheNoBackupBoxSkipsTheAppendsBackupOnly)
{
    Listed(Header(0, 0));
    Click(IDC_NO_BACKUP);
    Click(IDC_ADD_ENTRY);
    EXPECT_EQ(ReadBytes(m_reg), Cat({Header(1, 155), kWorkedRecord}));
    EXPECT_TRUE(Backups().empty());

    // A deletion backs up whatever the box says.
    DeleteRow(0);
    EXPECT_THAT(Backups(), ElementsAre("modreg.dat"s + kBackupSuffix));
    EXPECT_EQ(ReadBytes(m_dir / Backups()[0]), Cat({Header(1, 155), kWorkedRecord}));
}

TEST_F(RegistryEditing, TwoChangesInOneSecondKeepBothBackups)
{
    const Bytes original = Registry({kA});
    Listed(original);
    Click(IDC_ADD_ENTRY);
    const Bytes afterAppend = ReadBytes(m_reg);
    DeleteRow(0);

    ASSERT_THAT(Backups(), ElementsAre("modreg.dat"s + kBackupSuffix, "modreg.dat"s + kBackupSuffix + "_2"));
    EXPECT_EQ(ReadBytes(m_dir / Backups()[0]), original);
    EXPECT_EQ(ReadBytes(m_dir / Backups()[1]), afterAppend);
}

// What the user typed wrongly is told once, and nothing is written: the user
// could not tell what would have been.
TEST_F(RegistryEditing, AFormThatDoesNotReadWritesNothing)
{
    const Bytes empty = Header(0, 0);
    Listed(empty);
    for (const char* size : {"", "12x"}) {
        m_services.ClearRecords();
        Enter(IDC_FILE_SIZE, size);
        Click(IDC_ADD_ENTRY);
        EXPECT_THAT(MessageTexts(), ElementsAre(std::string("정수를 입력하십시오."))) << '"' << size << '"';
        EXPECT_EQ(ReadBytes(m_reg), empty);
        EXPECT_TRUE(Backups().empty());
    }

    // A deletion neither: the confirmation is not even asked.
    Listed(Registry({kA}));
    Enter(IDC_FILE_SIZE, "12x");
    m_services.ClearRecords();
    m_dlg->m_listRegistry.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    mrv::platform::testing::RightClickListRow(List(), 0);
    EXPECT_THAT(MessageTexts(), ElementsAre(std::string("정수를 입력하십시오.")));
    EXPECT_EQ(ReadBytes(m_reg), Registry({kA}));
    EXPECT_TRUE(Backups().empty());
}

TEST_F(RegistryEditing, TextsLongerThanALengthByteAreRefusedWithAMessage)
{
    const Bytes before = Registry({kA});
    Listed(before);
    Enter(IDC_ENTRY_TITLE, std::string(256, 't'));
    Click(IDC_ADD_ENTRY);
    const auto& box = OnlyBox();
    EXPECT_THAT(box.TextUtf8(), HasSubstr("너무 깁니다"));
    EXPECT_EQ(box.CaptionUtf8(), "Morvanta Maker");
    EXPECT_EQ(box.type, kErrorBox);
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_TRUE(Backups().empty());

    // 255 bytes still fit behind one length byte.
    m_services.ClearRecords();
    Enter(IDC_ENTRY_TITLE, std::string(255, 't'));
    Click(IDC_ADD_ENTRY);
    EXPECT_TRUE(m_services.MessageBoxes().empty()) << ::testing::PrintToString(MessageTexts());
    const Bytes after = ReadBytes(m_reg);
    ASSERT_GT(after.size(), 8u + 28u + 43u + 255u);
    EXPECT_EQ(after[8 + 28 + 43], 0xFF);   // the title's length byte
    EXPECT_EQ(Rows().back().first, std::string(255, 't'));
}

TEST_F(RegistryEditing, AnEntryLongerThanTheHandsetReadsIsRefusedSayingByHowMuch)
{
    const Bytes before = Registry({kA});
    Listed(before);
    // Each text fits its length byte; together they pass the 1024 bytes the
    // handset's list takes for one entry.
    m_dlg->m_szCopyrightHolder = std::string(255, 'c');
    m_dlg->m_szBitrate = std::string(255, 'b');
    m_dlg->m_szAudioKbps = std::string(255, 'k');
    Enter(IDC_ENTRY_TITLE, std::string(200, 't'));
    Click(IDC_ADD_ENTRY);
    const auto& box = OnlyBox();
    EXPECT_THAT(box.TextUtf8(), HasSubstr("1024바이트"));
    EXPECT_THAT(box.TextUtf8(), HasSubstr("바이트 넘습니다"));
    EXPECT_EQ(box.type, kErrorBox);
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_TRUE(Backups().empty());
}

TEST_F(RegistryEditing, AnEntryAnotherProgramAddedSinceTheListingIsNotAddedTwice)
{
    Listed(Registry({kA}));
    // mrvtool adds the start entry behind the window's back.
    const Bytes changed = Registry({kA, kWorkedRecord});
    WriteFile("modreg.dat", changed);
    Click(IDC_ADD_ENTRY);
    const auto& box = OnlyBox();
    EXPECT_EQ(box.TextUtf8(), "중복된 화일이 존재 합니다....");
    EXPECT_EQ(box.CaptionUtf8(), "ZQT/MORVANTA/MRV_Dat00001");
    EXPECT_EQ(ReadBytes(m_reg), changed);
    EXPECT_TRUE(Backups().empty());
    EXPECT_THAT(Rows(), ElementsAre(Row{"a", "ZQT/A"}, Row{"노래제목입력", "ZQT/MORVANTA/MRV_Dat00001"}));
}

// The file decides, not the list: the registry's own rule, as for mrvtool.
TEST_F(RegistryEditing, AnEntryAnotherProgramDeletedSinceTheListingCanBeAddedAgain)
{
    Listed(Registry({kA, kWorkedRecord}));
    WriteFile("modreg.dat", Registry({kA}));
    Click(IDC_ADD_ENTRY);
    EXPECT_TRUE(m_services.MessageBoxes().empty()) << ::testing::PrintToString(MessageTexts());
    EXPECT_EQ(ReadBytes(m_reg), Registry({kA, kWorkedRecord}));
    EXPECT_THAT(Rows(), ElementsAre(Row{"a", "ZQT/A"}, Row{"노래제목입력", "ZQT/MORVANTA/MRV_Dat00001"}));
}

TEST_F(RegistryEditing, WhileAnotherProgramChangesTheFileNothingIsWritten)
{
    const Bytes before = Registry({kA});
    Listed(before);
    {
        // The lock that every writer of this program honours, held by another.
        auto holder = mrv::os::File::Open(m_reg, mrv::os::File::Access::ReadWrite);
        ASSERT_TRUE(holder.ok() && holder->TryLock().value());
        Click(IDC_ADD_ENTRY);
    }
    EXPECT_THAT(OnlyBox().TextUtf8(), HasSubstr("다른 프로그램이 바꾸고 있습니다"));
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_TRUE(Backups().empty());
}

// ---- deleting --------------------------------------------------------------------

TEST_F(RegistryEditing, TheConfirmationNamesTitleAndPathAndNoKeepsEverything)
{
    const Bytes before = Registry({kA, kB}, kTail);
    Listed(before);
    DeleteRow(1, CommandId::No);

    const auto& box = OnlyBox();
    EXPECT_EQ(box.TextUtf8(), "[bb : ZQT/BB] 을 목록에서 삭제 하시겠습니까?");
    EXPECT_EQ(box.CaptionUtf8(), "Morvanta Maker");
    EXPECT_EQ(box.type, kQuestionBox);
    EXPECT_EQ(box.owner, m_dlg.get());
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_TRUE(Backups().empty());
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(RegistryEditing, TheConfirmationQuotesAt49BytesWithoutSplittingACharacter)
{
    // 30 syllables: the 49th byte would be the first half of the 25th.
    std::string title;
    for (int i = 0; i < 30; ++i) title += "가";
    const std::string path = "ZQT/MORVANTA/" + std::string(60, 'p');
    Listed(Registry({MiniRecord(path + '\0', Cp949(title))}));
    DeleteRow(0, CommandId::No);

    std::string shownTitle;
    for (int i = 0; i < 24; ++i) shownTitle += "가";
    EXPECT_EQ(OnlyBox().TextUtf8(), "[" + shownTitle + " : " + path.substr(0, 49) + "] 을 목록에서 삭제 하시겠습니까?");
}

TEST_F(RegistryEditing, DeletingMovesTheRestUpAndKeepsTheFilesLength)
{
    const Bytes three = Registry({kA, kB, kC}, kTail);
    struct Case {
        const char* what;
        Bytes before;
        int row;
        Bytes after;
        std::vector<Row> rows;
    };
    const std::vector<Case> cases = {
        {"first", three, 0, Cat({Header(2, Size({kB, kC})), kB, kC, kTail, LastBytes(three, kA.size())}),
         {{"bb", "ZQT/BB"}, {"ccc", "ZQT/CCC"}}},
        {"middle", three, 1, Cat({Header(2, Size({kA, kC})), kA, kC, kTail, LastBytes(three, kB.size())}),
         {{"a", "ZQT/A"}, {"ccc", "ZQT/CCC"}}},
        {"last, leftovers behind it", three, 2, Cat({Header(2, Size({kA, kB})), kA, kB, kTail, LastBytes(three, kC.size())}),
         {{"a", "ZQT/A"}, {"bb", "ZQT/BB"}}},
        // Nothing behind it: only the header changes.
        {"last, nothing behind it", Registry({kA, kB, kC}), 2, Cat({Header(2, Size({kA, kB})), kA, kB, kC}),
         {{"a", "ZQT/A"}, {"bb", "ZQT/BB"}}},
        {"only", Registry({kB}), 0, Cat({Header(0, 0), kB}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Listed(c.before);
        DeleteRow(c.row);
        EXPECT_EQ(ReadBytes(m_reg), c.after);
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(m_services.MessageBoxes().size(), 1u) << ::testing::PrintToString(MessageTexts());
    }
}

TEST_F(RegistryEditing, AnEntryWhoseTitleIsNotValidKoreanTextCanBeDeleted)
{
    // Bytes no code page 949 text holds: the list shows them as best it can.
    const Bytes odd = MiniRecord("ZQT/ODD\0"s, "\xFF\x80z\xC1"s);
    Listed(Registry({kA, odd}));
    DeleteRow(1);
    EXPECT_EQ(m_services.MessageBoxes().size(), 1u) << ::testing::PrintToString(MessageTexts());
    EXPECT_THAT(Rows(), ElementsAre(Row{"a", "ZQT/A"}));
}

TEST_F(RegistryEditing, AfterDeletingTheOnlyEntryTheNextAppendWritesAtOffset8)
{
    Listed(Registry({kA}));
    DeleteRow(0);
    EXPECT_TRUE(Rows().empty());
    Click(IDC_ADD_ENTRY);
    EXPECT_EQ(ReadBytes(m_reg), Cat({Header(1, 155), kWorkedRecord}));
}

TEST_F(RegistryEditing, TheRowAtPosition10000IsDeletedLikeAnyOther)
{
    std::vector<Bytes> records;
    Bytes body;
    for (int i = 0; i <= 10000; ++i) {
        const std::string n = std::to_string(i);
        records.push_back(MiniRecord("ZQT/" + n + '\0', "t" + n, 0));
        body.insert(body.end(), records.back().begin(), records.back().end());
    }
    const auto size = static_cast<std::int32_t>(body.size());
    Listed(Cat({Header(10001, size), body}));
    ASSERT_EQ(List().GetItemCount(), 10001);

    DeleteRow(10000);
    const Bytes& last = records.back();
    EXPECT_EQ(ReadBytes(m_reg), Cat({Header(10000, size - static_cast<std::int32_t>(last.size())), body}));
    EXPECT_EQ(List().GetItemCount(), 10000);
    EXPECT_EQ(Utf8(List().GetItemText(9999, 0)), "t9999");
}

TEST_F(RegistryEditing, ARightClickWithoutASelectedRowDoesNothing)
{
    const Bytes before = Registry({kA, kB});
    Listed(before);
    for (int row = 0; row < List().GetItemCount(); ++row) List().SetItemState(row, 0, ListItemState::Selected);
    NotifyHeader click{&List(), IDC_REGISTRY_LIST, NotifyCode::RightClick};
    MessageResult result = 1;
    m_dlg->DispatchNotify(&click, &result);
    EXPECT_EQ(m_services.PromptCount(), 0u);
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_EQ(result, 1);

    // With a selected row the click acts on it, and says it handled the click.
    List().SetItemState(1, ListItemState::Selected, ListItemState::Selected);
    m_services.AnswerMessageBox(CommandId::Yes);
    m_dlg->DispatchNotify(&click, &result);
    EXPECT_EQ(result, 0);
    EXPECT_THAT(Rows(), ElementsAre(Row{"a", "ZQT/A"}));
}

TEST_F(RegistryEditing, ARightClickBelowTheLastRowOffersToDeleteNothing)
{
    const Bytes before = Registry({kA, kB});
    Listed(before);
    mrv::platform::testing::ClickListRow(List(), 1);
    mrv::platform::testing::RightClickListRow(List(), mrv::platform::testing::kBelowLastRow);
    EXPECT_EQ(m_services.PromptCount(), 0u);
    EXPECT_EQ(ReadBytes(m_reg), before);
}

// ---- a file that cannot be changed ---------------------------------------------------

TEST_F(RegistryEditing, ARegistryRemovedAfterListingIsNeitherChangedNorCreated)
{
    Listed(Registry({kA}));
    fs::remove(m_reg);

    Click(IDC_ADD_ENTRY);
    DeleteRow(0);
    ASSERT_EQ(m_services.MessageBoxes().size(), 3u) << ::testing::PrintToString(MessageTexts());
    for (std::size_t i : {0u, 2u}) {
        const auto& box = m_services.MessageBoxes()[i];
        EXPECT_EQ(box.CaptionUtf8(), "Morvanta Maker");
        EXPECT_EQ(box.type, kErrorBox);
        EXPECT_THAT(box.TextUtf8(), HasSubstr("modreg.dat"));
    }
    EXPECT_FALSE(fs::exists(m_reg));
    EXPECT_TRUE(Backups().empty());
}

TEST_F(RegistryEditing, AFolderInPlaceOfTheRegistryIsLeftAlone)
{
    Listed(Registry({kA}));
    fs::remove(m_reg);
    fs::create_directory(m_reg);

    Click(IDC_ADD_ENTRY);
    DeleteRow(0);
    ASSERT_EQ(m_services.MessageBoxes().size(), 3u) << ::testing::PrintToString(MessageTexts());
    EXPECT_EQ(m_services.MessageBoxes()[0].type, kErrorBox);
    EXPECT_EQ(m_services.MessageBoxes()[2].type, kErrorBox);
    EXPECT_TRUE(fs::is_directory(m_reg));
    EXPECT_TRUE(fs::is_empty(m_reg));
    EXPECT_TRUE(Backups().empty());
}

TEST_F(RegistryEditing, AReadOnlyRegistryIsNotChanged)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no permission bits; a read-only attribute is another test";
#else
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
#endif
    const Bytes before = Registry({kA});
    Listed(before);
    fs::permissions(m_reg, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    Click(IDC_ADD_ENTRY);
    DeleteRow(0);
    ASSERT_EQ(m_services.MessageBoxes().size(), 3u) << ::testing::PrintToString(MessageTexts());
    EXPECT_EQ(m_services.MessageBoxes()[0].type, kErrorBox);
    EXPECT_EQ(m_services.MessageBoxes()[2].type, kErrorBox);
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_TRUE(Backups().empty());
}

TEST_F(RegistryEditing, ADamagedRegistryIsRefusedWithoutABackup)
{
    Listed(Registry({kA, kB}));
    // Another program leaves it claiming three records where there are two.
    const Bytes damaged = Cat({Header(3, Size({kA, kB})), kA, kB});
    WriteFile("modreg.dat", damaged);

    Click(IDC_ADD_ENTRY);
    DeleteRow(0);
    ASSERT_EQ(m_services.MessageBoxes().size(), 3u) << ::testing::PrintToString(MessageTexts());
    EXPECT_THAT(m_services.MessageBoxes()[0].TextUtf8(), StartsWith("손상된 레지스트리화일입니다"));
    EXPECT_EQ(m_services.MessageBoxes()[0].type, kErrorBox);
    EXPECT_THAT(m_services.MessageBoxes()[2].TextUtf8(), StartsWith("손상된 레지스트리화일입니다"));
    EXPECT_EQ(ReadBytes(m_reg), damaged);
    EXPECT_TRUE(Backups().empty());
}

TEST_F(RegistryEditing, WhenTheBackupCannotBeWrittenTheRegistryStaysAsItWas)
{
    // Long enough that the backup's name is too long for the file system.
    m_reg = m_dir / (std::string(246, 'm') + ".dat");
    const Bytes before = Registry({kA});
    WriteFile(m_reg.filename().string(), before);
    LoadRegistry(m_reg);
    m_services.ClearRecords();

    Click(IDC_ADD_ENTRY);
    DeleteRow(0);
    ASSERT_EQ(m_services.MessageBoxes().size(), 3u) << ::testing::PrintToString(MessageTexts());
    for (std::size_t i : {0u, 2u}) {
        EXPECT_THAT(m_services.MessageBoxes()[i].TextUtf8(), HasSubstr("백업화일을 만들 수 없습니다"));
        EXPECT_EQ(m_services.MessageBoxes()[i].type, kErrorBox);
    }
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_THAT(Rows(), ElementsAre(Row{"a", "ZQT/A"}));
}

TEST_F(RegistryEditing, ARowThatNoLongerMatchesTheFileIsNotDeleted)
{
    Listed(Registry({kA, kB}));
    // Another program reorders the entries after the listing.
    const Bytes reordered = Registry({kB, kA});
    WriteFile("modreg.dat", reordered);

    DeleteRow(0);
    ASSERT_EQ(m_services.MessageBoxes().size(), 2u) << ::testing::PrintToString(MessageTexts());
    EXPECT_THAT(m_services.MessageBoxes()[1].TextUtf8(), HasSubstr("목록을 다시 읽었으니"));
    EXPECT_EQ(m_services.MessageBoxes()[1].type, kErrorBox);
    EXPECT_EQ(ReadBytes(m_reg), reordered);
    EXPECT_TRUE(Backups().empty());
    EXPECT_THAT(Rows(), ElementsAre(Row{"bb", "ZQT/BB"}, Row{"a", "ZQT/A"}));
}

} // namespace
