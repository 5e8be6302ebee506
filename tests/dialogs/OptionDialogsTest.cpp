// "MOD Option" and "추가사항" driven from the main window, and the link files and
// registry entries made afterwards, compared byte for byte with the layouts the
// handset reads.
#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/CacheSearchDlg.h"
#include "res/Resource.h"
#include "tests/support/Process.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
namespace t = mrv::platform::testing;

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Expected bytes, put together from the documented layouts -----------------

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Le32(std::uint32_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}
Bytes Raw(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes Zeros(std::size_t n) { return Bytes(n, 0); }
Bytes Short(const Bytes& text) { return Bytes{std::uint8_t(text.size())} + text; }
Bytes Short(std::string_view s) { return Short(Raw(s)); }

const Bytes kInternalBlock{0x58, 0x91, 0x26, 0x2F, 0x16, 0x00, 0x00, 0x00};
const Bytes kCardBlock{0x19, 0x00, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00};
const Bytes kMrvTrailer{0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x4C, 0x09, 0x86, 0x42};
const Bytes kModInternalTrailer{0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xCA, 0x88, 0x42};
const Bytes kModCardTrailer{0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x10, 0x00, 0x9F, 0x3D, 0xD5, 0x12};
// "모토롤라MS400" in CP949.
const Bytes kDefaultCopyright{0xB8, 0xF0, 0xC5, 0xE4, 0xB7, 0xD1, 0xB6, 0xF3, 0x4D, 0x53, 0x34, 0x30, 0x30};
// "정보없음" in CP949.
const Bytes kNoInfo{0xC1, 0xA4, 0xBA, 0xB8, 0xBE, 0xF8, 0xC0, 0xBD};

Bytes LinkBytes(std::uint8_t type, std::string_view title, const Bytes& block, std::string_view targetPath)
{
    return Le32(std::uint32_t(96 + targetPath.size())) + Bytes{type, 0, 0, 0} + Raw(title) +
           Zeros(52 - title.size()) + block + Zeros(28) + Raw(targetPath);
}

struct Audio {
    Bytes copyright = kDefaultCopyright;
    std::string bitrate = "128.00", format = "HE-AAC (MP4)", kbps = "128.00", rate = "44.10";
};

// A registry holding one entry with play time 60 and file size 1048576.
Bytes RegistryBytes(std::string_view path, std::string_view title, const Audio& a, const Bytes& trailer)
{
    const Bytes body = Zeros(8) + Bytes{0x01} + Le32(std::uint32_t(path.size() + 1)) + Raw(path) + Bytes{0} +
                       Short(title) + Short(a.copyright) + Short("0000-00-00") + Short(a.bitrate) +
                       Short(a.format) + Short(a.kbps) + Short(a.rate) + Short(kNoInfo) + Short("0.00") +
                       Short("DL") + Bytes{0x00, 0xFF, 0x00} + Le32(60) + Le32(1048576) + trailer;
    return Le32(1) + Le32(std::uint32_t(body.size() + 4)) + Le32(std::uint32_t(body.size())) + body;
}

// ---- Answering the modal dialogs -------------------------------------------------

constexpr int kPollMs = 10;
constexpr int kPollTries = 300;
constexpr int kHangGuardMs = 5000;

struct ModalAnswer {
    std::function<void(CDialog&)> act;
    bool acted = false;
    bool over = false;   // the click that should have opened the dialog has returned
};

// Runs the answer on the modal dialog once it is up, polling for it until the
// click that should open it has returned.
void ActWhenUp(std::shared_ptr<ModalAnswer> answer, int triesLeft)
{
    t::RunAfter(kPollMs, [answer, triesLeft] {
        if (answer->over) return;
        CDialog* dialog = t::ActiveModalDialog();
        if (!dialog) {
            if (triesLeft > 0) ActWhenUp(answer, triesLeft - 1);
            return;
        }
        answer->acted = true;
        answer->act(*dialog);
    });
}

class OptionDialogsTest : public MakerDlgTest {
protected:
    // Presses a button of the main window as the user does; act works the modal
    // dialog it opens and is expected to end it. A dialog left open is cancelled
    // after a while so that a fault fails the test instead of hanging it.
    void ClickAndAnswer(int buttonId, std::function<void(CDialog&)> act)
    {
        auto answer = std::make_shared<ModalAnswer>();
        answer->act = std::move(act);
        ActWhenUp(answer, kPollTries);
        t::RunAfter(kHangGuardMs, [answer] {
            if (answer->over) return;
            ADD_FAILURE() << "the dialog was left open";
            if (CDialog* dialog = t::ActiveModalDialog()) dialog->EndDialog(CommandId::Cancel);
        });
        Click(buttonId);
        answer->over = true;
        EXPECT_TRUE(answer->acted) << "no dialog came up for button " << buttonId;
    }

    static CWnd& In(CDialog& dialog, int id)
    {
        CWnd* item = dialog.GetDlgItem(id);
        if (!item) {
            ADD_FAILURE() << "no control " << id << " in dialog " << dialog.GetTemplateId();
            static CWnd none;
            return none;
        }
        return *item;
    }
    static int Checked(CDialog& dialog, int id) { return static_cast<CButton&>(In(dialog, id)).GetCheck(); }

    void ChooseLocation(int radioId)
    {
        ClickAndAnswer(IDC_MOD_OPTION, [radioId](CDialog& d) {
            t::Click(In(d, radioId));
            t::Click(In(d, CommandId::Ok));
        });
    }
    // The index of the radio button checked when "MOD Option" opens (-1: none, -2: several).
    int LocationShownAtOpening()
    {
        int shown = -1;
        ClickAndAnswer(IDC_MOD_OPTION, [&shown](CDialog& d) {
            for (int i = 0; i < 6; ++i)
                if (Checked(d, IDC_LOCATION_0 + i)) shown = shown == -1 ? i : -2;
            t::PressEscape(d);
        });
        return shown;
    }
    void SwitchToMod(int linkNumber)
    {
        Click(IDC_LINK_KIND_MOD);
        Enter(IDC_LINK_NUMBER, std::to_string(linkNumber));
    }
    fs::path EmptyRegistry()
    {
        const fs::path file = WriteFile("modreg.dat", Zeros(8));
        LoadRegistry(file);
        return file;
    }
};

constexpr int kAudioEdits[] = {IDC_SAMPLE_RATE, IDC_COPYRIGHT_HOLDER, IDC_AUDIO_KBPS, IDC_BITRATE, IDC_AUDIO_FORMAT};

// ---- MOD Option -------------------------------------------------------------------

TEST_F(OptionDialogsTest, LocationChoosesTheTargetExtensionOfAModLink)
{
    SwitchToMod(7);
    ChooseLocation(IDC_LOCATION_2);
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.dcf");
    EXPECT_EQ(Search().m_szAutoName, "7.dcf");
    ChooseLocation(IDC_LOCATION_4);
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.zqm");
    EXPECT_EQ(Search().m_szAutoName, "7.zqm");
    ChooseLocation(IDC_LOCATION_5);
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.dcf");
    EXPECT_EQ(Shown(IDC_LINK_FILE_NAME), "MOD_Dat00007");
    EXPECT_EQ(Shown(IDC_ENTRY_LINK_NAME), "MOD_Dat00007");
    EXPECT_TRUE(m_services.MessageBoxes().empty());
}

TEST_F(OptionDialogsTest, ModOptionOpensOnTheCurrentLocation)
{
    SwitchToMod(1);
    ClickAndAnswer(IDC_MOD_OPTION, [this](CDialog& d) {
        EXPECT_EQ(t::ActiveModalTitle(), "MOD Option");
        EXPECT_TRUE(t::IsBlockedByModal(*m_dlg)) << "owned by the main window, which it blocks";
        EXPECT_FALSE(t::IsBlockedByModal(Search()));
        EXPECT_EQ(t::FocusedControl(d), &In(d, CommandId::Ok));
        EXPECT_EQ(Checked(d, IDC_LOCATION_0), 1);
        t::Click(In(d, IDC_LOCATION_3));
        t::PressEnter(d);
    });
    EXPECT_EQ(LocationShownAtOpening(), 3);
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "1.dcf");
}

TEST_F(OptionDialogsTest, EscapeCloseBoxAndUnchangedOkKeepTheLocation)
{
    SwitchToMod(7);
    ChooseLocation(IDC_LOCATION_5);

    ClickAndAnswer(IDC_MOD_OPTION, [](CDialog& d) {
        t::Click(In(d, IDC_LOCATION_1));
        t::PressEscape(d);
    });
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.dcf");
    EXPECT_EQ(LocationShownAtOpening(), 5);

    ClickAndAnswer(IDC_MOD_OPTION, [](CDialog& d) {
        t::Click(In(d, IDC_LOCATION_0));
        t::ClickCloseBox(d);
    });
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.dcf");

    ClickAndAnswer(IDC_MOD_OPTION, [](CDialog& d) { t::Click(In(d, CommandId::Ok)); });
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.dcf");
    EXPECT_EQ(LocationShownAtOpening(), 5);
}

TEST_F(OptionDialogsTest, CancelledModOptionStillRunsTheLinkNumberRule)
{
    SwitchToMod(7);
    Enter(IDC_FILE_SIZE, "12k");   // nothing reads it until a rule runs
    m_services.AnswerMessageBox(CommandId::Ok);
    ClickAndAnswer(IDC_MOD_OPTION, [](CDialog& d) { t::PressEscape(d); });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"정수를 입력하십시오."});
}

// ---- 추가사항 -------------------------------------------------------------------------

TEST_F(OptionDialogsTest, AudioTextsGoOutAndComeBackInTheirOwnFields)
{
    ClickAndAnswer(IDC_EXTRA_INFO, [this](CDialog& d) {
        EXPECT_EQ(t::ActiveModalTitle(), "추가사항");
        EXPECT_TRUE(t::IsBlockedByModal(*m_dlg)) << "owned by the main window, which it blocks";
        EXPECT_EQ(t::TextUtf8(In(d, IDC_SAMPLE_RATE)), "44.10");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_COPYRIGHT_HOLDER)), "모토롤라MS400");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_AUDIO_KBPS)), "128.00");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_BITRATE)), "128.00");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_AUDIO_FORMAT)), "HE-AAC (MP4)");
        t::ReplaceTextUtf8(In(d, IDC_SAMPLE_RATE), "22.05");
        t::ReplaceTextUtf8(In(d, IDC_COPYRIGHT_HOLDER), "홍길동");
        t::ReplaceTextUtf8(In(d, IDC_AUDIO_KBPS), "96.00");
        t::ReplaceTextUtf8(In(d, IDC_BITRATE), "");
        t::ReplaceTextUtf8(In(d, IDC_AUDIO_FORMAT), "AAC+");
        t::PressEnter(d);
    });
    EXPECT_EQ(m_dlg->m_szSampleRateKhz, "22.05");
    EXPECT_EQ(m_dlg->m_szCopyrightHolder, Cp949("홍길동"));
    EXPECT_EQ(m_dlg->m_szAudioKbps, "96.00");
    EXPECT_EQ(m_dlg->m_szBitrate, "");
    EXPECT_EQ(m_dlg->m_szAudioFormat, "AAC+");

    ClickAndAnswer(IDC_EXTRA_INFO, [](CDialog& d) {
        EXPECT_EQ(t::TextUtf8(In(d, IDC_SAMPLE_RATE)), "22.05");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_COPYRIGHT_HOLDER)), "홍길동");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_AUDIO_KBPS)), "96.00");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_BITRATE)), "");
        EXPECT_EQ(t::TextUtf8(In(d, IDC_AUDIO_FORMAT)), "AAC+");
        t::Click(In(d, CommandId::Cancel));
    });
}

TEST_F(OptionDialogsTest, AnythingButOkLeavesTheAudioTexts)
{
    const std::vector<std::function<void(CDialog&)>> dismissals{
        [](CDialog& d) { t::Click(In(d, CommandId::Cancel)); },
        [](CDialog& d) { t::PressEscape(d); },
        [](CDialog& d) { t::ClickCloseBox(d); },
    };
    for (const auto& dismiss : dismissals) {
        ClickAndAnswer(IDC_EXTRA_INFO, [&dismiss](CDialog& d) {
            for (int id : kAudioEdits) t::ReplaceTextUtf8(In(d, id), "x");
            dismiss(d);
        });
    }
    EXPECT_EQ(m_dlg->m_szSampleRateKhz, "44.10");
    EXPECT_EQ(m_dlg->m_szCopyrightHolder, Cp949("모토롤라MS400"));
    EXPECT_EQ(m_dlg->m_szAudioKbps, "128.00");
    EXPECT_EQ(m_dlg->m_szBitrate, "128.00");
    EXPECT_EQ(m_dlg->m_szAudioFormat, "HE-AAC (MP4)");
}

// A registry entry keeps each audio text behind one length byte: the edits
// take at most 255 CP949 bytes, and such a text reaches the entry whole.
TEST_F(OptionDialogsTest, AudioTextsStopAt255BytesAndReachTheEntryWhole)
{
    std::string syllables;
    for (int i = 0; i < 128; ++i) syllables += "가";

    ClickAndAnswer(IDC_EXTRA_INFO, [&syllables](CDialog& d) {
        t::ReplaceTextUtf8(In(d, IDC_BITRATE), std::string(300, '9'));
        EXPECT_EQ(t::TextUtf8(In(d, IDC_BITRATE)), std::string(255, '9'));
        t::ReplaceTextUtf8(In(d, IDC_COPYRIGHT_HOLDER), syllables);   // the 128th would need bytes 255 and 256
        t::Type(In(d, IDC_COPYRIGHT_HOLDER), "AB");                // room for one more byte
        t::PressEnter(d);
    });
    std::string expectedHolder;
    for (int i = 0; i < 127; ++i) expectedHolder += "가";
    expectedHolder += "A";
    EXPECT_EQ(m_dlg->m_szBitrate, std::string(255, '9'));
    EXPECT_EQ(Utf8(m_dlg->m_szCopyrightHolder), expectedHolder);

    const fs::path registry = EmptyRegistry();
    Click(IDC_NO_BACKUP);
    Click(IDC_ADD_ENTRY);
    Audio audio;
    audio.bitrate = std::string(255, '9');
    audio.copyright = Raw(m_dlg->m_szCopyrightHolder);
    EXPECT_EQ(ReadBytes(registry),
              RegistryBytes("ZQT/MORVANTA/MRV_Dat00001", Cp949("노래제목입력"), audio, kMrvTrailer));
}

TEST_F(OptionDialogsTest, OkRefusesAnAudioTextLongerThan255Bytes)
{
    ClickAndAnswer(IDC_EXTRA_INFO, [this](CDialog& d) {
        t::ReplaceTextUtf8(In(d, IDC_AUDIO_KBPS), "64.00");
        // Longer than the edit takes from the keyboard: only a program can put it there.
        In(d, IDC_AUDIO_FORMAT).SetWindowTextCp949(std::string(256, 'F'));
        m_services.AnswerMessageBox(CommandId::Ok);
        t::Click(In(d, CommandId::Ok));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"255 이하의 문자를 입력하십시오."});
        EXPECT_EQ(t::FocusedControl(d), &In(d, IDC_AUDIO_FORMAT));
        EXPECT_EQ(t::ActiveModalDialog(), &d) << "the dialog must stay open";
        t::Click(In(d, CommandId::Cancel));
    });
    EXPECT_EQ(m_dlg->m_szAudioKbps, "128.00");
    EXPECT_EQ(m_dlg->m_szAudioFormat, "HE-AAC (MP4)");
}

TEST_F(OptionDialogsTest, AcceptedAudioTextsGoIntoTheEntryInRecordOrder)
{
    ClickAndAnswer(IDC_EXTRA_INFO, [](CDialog& d) {
        t::ReplaceTextUtf8(In(d, IDC_SAMPLE_RATE), "22.05");
        t::ReplaceTextUtf8(In(d, IDC_COPYRIGHT_HOLDER), "AB");
        t::ReplaceTextUtf8(In(d, IDC_AUDIO_KBPS), "96.00");
        t::ReplaceTextUtf8(In(d, IDC_BITRATE), "");
        t::ReplaceTextUtf8(In(d, IDC_AUDIO_FORMAT), "AAC+");
        t::Click(In(d, CommandId::Ok));
    });
    const fs::path registry = EmptyRegistry();
    Click(IDC_NO_BACKUP);
    Click(IDC_ADD_ENTRY);
    Audio audio{Raw("AB"), "", "AAC+", "96.00", "22.05"};
    EXPECT_EQ(ReadBytes(registry),
              RegistryBytes("ZQT/MORVANTA/MRV_Dat00001", Cp949("노래제목입력"), audio, kMrvTrailer));
}

// ---- Every kind of MOD link, made through the window ----------------------------------

struct LocationCase {
    int location;
    const char* targetName;   // link number 7
    const char* targetPath;
    const Bytes* block;
    const Bytes* trailer;
};

const LocationCase kLocations[] = {
    {0, "7.zqm", "file://mod/7.zqm", &kInternalBlock, &kModInternalTrailer},
    {1, "7.zqm", "file://MP3/7.zqm", &kInternalBlock, &kModInternalTrailer},
    {2, "7.dcf", "file://mod/7.dcf", &kInternalBlock, &kModInternalTrailer},
    {3, "7.dcf", "file://MP3/7.dcf", &kInternalBlock, &kModInternalTrailer},
    {4, "7.zqm", "file://mmc1/MP3/7.zqm", &kCardBlock, &kModCardTrailer},
    {5, "7.dcf", "file://mmc1/MP3/7.dcf", &kCardBlock, &kModCardTrailer},
};

void PrintTo(const LocationCase& c, std::ostream* os) { *os << "location " << c.location; }

class ModLinkTest : public OptionDialogsTest, public ::testing::WithParamInterface<LocationCase> {};

#ifdef MRVTOOL_PATH
int RunTool(std::vector<std::string> arguments)
{
    mrv::test::Command command;
    command.program = mrv::os::PathFromUtf8(MRVTOOL_PATH);
    command.args = std::move(arguments);
    return mrv::test::RunProcess(command).status;
}
#endif

TEST_P(ModLinkTest, LinkFileAndEntryCarryTheChosenLocation)
{
    const LocationCase& c = GetParam();
    const fs::path registry = EmptyRegistry();
    SwitchToMod(7);
    Enter(IDC_LINK_TITLE, "abc");
    ChooseLocation(IDC_LOCATION_0 + c.location);
    EXPECT_EQ(Shown(IDC_TARGET_NAME), c.targetName);

    m_services.AnswerMessageBox(CommandId::Ok);   // the path of the file about to be written
    Click(IDC_MAKE_LINK);
    Click(IDC_NO_BACKUP);
    Click(IDC_ADD_ENTRY);

    const Bytes link = ReadBytes(m_dir / "MOD_Dat00007");
    EXPECT_EQ(link, LinkBytes(0x06, "abc", *c.block, c.targetPath));
    const Bytes entry = ReadBytes(registry);
    EXPECT_EQ(entry, RegistryBytes("ZQT/MOD/MOD_Dat00007", "abc", Audio{}, *c.trailer));

#ifdef MRVTOOL_PATH
    const fs::path toolDir = m_dir / "tool";
    fs::create_directories(toolDir);
    const fs::path toolRegistry = toolDir / "modreg.dat";
    WriteFile("tool/modreg.dat", Zeros(8));
    const std::vector<std::string> values{"--kind", "mod", "--number", "7", "--title", "abc", "--location", std::to_string(c.location)};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), values.begin(), values.end());
        return args;
    };
    ASSERT_EQ(RunTool(with({"make-link", mrv::os::PathText(toolDir)})), 0);
    ASSERT_EQ(RunTool(with({"add", mrv::os::PathText(toolRegistry), "--no-backup"})), 0);
    EXPECT_EQ(ReadBytes(toolDir / "MOD_Dat00007"), link);
    EXPECT_EQ(ReadBytes(toolRegistry), entry);
#endif
}

INSTANTIATE_TEST_SUITE_P(EveryLocation, ModLinkTest, ::testing::ValuesIn(kLocations),
                         [](const auto& info) { return "Location" + std::to_string(info.param.location); });

// The location stays through a detour to MRV: an MRV link made then keeps the
// memory-card block but names file://mod/, and its entry has the MRV trailer.
TEST_F(OptionDialogsTest, LocationSurvivesASwitchToMrv)
{
    const fs::path registry = EmptyRegistry();
    SwitchToMod(7);
    ChooseLocation(IDC_LOCATION_4);
    Click(IDC_LINK_KIND_MRV);
    Enter(IDC_LINK_TITLE, "abc");
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.zqm");

    m_services.AnswerMessageBox(CommandId::Ok);
    Click(IDC_MAKE_LINK);
    Click(IDC_NO_BACKUP);
    Click(IDC_ADD_ENTRY);
    EXPECT_EQ(ReadBytes(m_dir / "MRV_Dat00007"), LinkBytes(0x07, "abc", kCardBlock, "file://mod/7.zqm"));
    EXPECT_EQ(ReadBytes(registry), RegistryBytes("ZQT/MORVANTA/MRV_Dat00007", "abc", Audio{}, kMrvTrailer));

    Click(IDC_LINK_KIND_MOD);
    EXPECT_EQ(LocationShownAtOpening(), 4);
}

} // namespace
