#include "dialogs/ImportDlg.h"

#include "dialogs/FolderChooser.h"
#include "dialogs/RegistryErrorBox.h"
#include "dialogs/RenameEditDlg.h"
#include "link/LinkFile.h"
#include "platform/Services.h"
#include "res/Resource.h"
#include "res/Strings.h"
#include "songs/Messages.h"
#include "text/Cp949.h"

namespace {

using mrv::text::K;
namespace songs = mrv::songs;
namespace messages = mrv::songs::messages;

const std::string kCaption(kRegistryCaption);
constexpr int kMaxFirst = 99999;

// The columns: heading and width in pixels for 굴림.
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {{"곡명", 130}, {"번호", 45},        {"링크 화일", 105}, {"음원 화일", 70},
                               {"크기", 70},  {"재생 시간", 65}, {"빠지는 까닭", 300}};

// Texts with names of files and the system's words: what CP949 lacks shows as '?'.
std::string Shown(const std::string& utf8) { return mrv::text::Utf8ToCp949Lossy(utf8); }

} // namespace

CImportDlg::CImportDlg(songs::ImportSettings settings, std::filesystem::path tempFolder, std::function<void()> added,
                       CWnd* pParent)
    : CDialog(IDD_IMPORT_SONGS, pParent), m_settings(std::move(settings)), m_tempFolder(std::move(tempFolder)),
      m_added(std::move(added))
{
    m_nFirst = m_settings.firstNumber;
}

void CImportDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_IMPORT_LIST, m_listSongs);
    DDX_Text(pDX, IDC_IMPORT_FOLDER, m_strFolder);
    DDX_Text(pDX, IDC_IMPORT_FIRST, m_nFirst);
    DDV_MinMaxInt(pDX, m_nFirst, 0, kMaxFirst);
    DDX_Text(pDX, IDC_IMPORT_SUMMARY, m_strSummary);
}

const MessageMap* CImportDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CImportDlg::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnBnClicked(IDC_IMPORT_CHOOSE, &CImportDlg::OnChooseFolder),
        OnBnClicked(IDC_IMPORT_FROM_SAVE, &CImportDlg::OnFromSaveFolder),
        OnBnClicked(IDC_IMPORT_FROM_TEMP, &CImportDlg::OnFromTempFolder),
        OnEnChange(IDC_IMPORT_FIRST, &CImportDlg::OnFirstChanged),
        OnNotify(NotifyCode::RightClick, IDC_IMPORT_LIST, &CImportDlg::OnRClickSong),
        OnBnClicked(IDC_IMPORT_ADD, &CImportDlg::OnAdd),
    };
    static const MessageMap map{CDialog::GetThisMessageMap(), entries};
    return &map;
}

bool CImportDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listSongs.SetPaintedColumns(static_cast<int>(std::size(kColumns)));
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        m_listSongs.InsertColumn(i, K(kColumns[i].heading), ColumnFormat::Left, FixedPixels({kColumns[i].width, 0}).x);
    // The songs are looked for in the save folder first.
    PlanFrom(m_settings.saveFolder);
    return true;
}

void CImportDlg::PlanFrom(const std::filesystem::path& folder)
{
    m_strFolder = folder;
    m_settings.firstNumber = m_nFirst;
    auto plan = songs::PlanImport(folder, m_settings, m_titles);
    if (!plan) {
        ShowRegistryError(*this, plan.error());
        m_plan = songs::ImportPlan{};
        m_plan.settings = m_settings;
    } else {
        m_plan = std::move(*plan);
    }
    ShowRows();
}

void CImportDlg::Refresh()
{
    m_plan.settings.firstNumber = m_nFirst;
    if (auto s = songs::Refresh(m_plan); !s) ShowRegistryError(*this, s.error());
    ShowRows();
}

void CImportDlg::ShowRows()
{
    m_listSongs.DeleteAllItems();
    for (std::size_t i = 0; i < m_plan.rows.size(); ++i) {
        const songs::ImportRow& r = m_plan.rows[i];
        const int row = m_listSongs.InsertItem(static_cast<int>(i), r.titleUnreadable ? Shown(r.fileName) : r.title);
        m_listSongs.SetItemText(row, 1, r.number >= 0 ? std::to_string(r.number) : std::string());
        m_listSongs.SetItemText(row, 2, r.linkFileName);
        m_listSongs.SetItemText(row, 3, Shown(r.targetName));
        m_listSongs.SetItemText(row, 4, std::to_string(r.size));
        m_listSongs.SetItemText(row, 5, std::to_string(r.playTime) + K("초"));
        m_listSongs.SetItemText(row, 6, Shown(r.refused));
    }
    const int added = m_plan.Added();
    m_strSummary = K("추가할 곡 " + std::to_string(added) + "개, 빠지는 곡 " +
                     std::to_string(static_cast<int>(m_plan.rows.size()) - added) + "개");
    UpdateData(false);
}

void CImportDlg::OnChooseFolder()
{
    std::filesystem::path chosen;
    if (!BrowseForFolderWithInitial(chosen, K("추가할 음원 화일이 있는 폴더를 선택하세요"), this, std::nullopt, m_strFolder) ||
        chosen.empty())
        return;
    PlanFrom(chosen);
}

void CImportDlg::OnFromSaveFolder() { PlanFrom(m_settings.saveFolder); }

void CImportDlg::OnFromTempFolder() { PlanFrom(m_tempFolder); }

void CImportDlg::OnFirstChanged()
{
    // A number that does not read has told the user so; the rows stay.
    if (UpdateData(true)) Refresh();
}

void CImportDlg::OnRClickSong(NotifyHeader*, MessageResult* pResult)
{
    if (pResult) *pResult = 0;
    int row = -1;
    for (int i = 0; i < m_listSongs.GetItemCount() && row < 0; ++i)
        if (m_listSongs.GetItemState(i, ListItemState::Selected) & ListItemState::Selected) row = i;
    if (row < 0 || static_cast<std::size_t>(row) >= m_plan.rows.size()) return;

    // The title is edited in a popup over its own cell, as a saved file's name is.
    CRenameEditDlg popup(this);
    CRect cell;
    m_listSongs.GetSubItemRect(row, 0, ListItemRect::Label, cell);
    const CPoint at = m_listSongs.ClientToScreen({cell.left, cell.top});
    popup.m_nLeft = at.x;
    popup.m_nTop = at.y;
    songs::ImportRow& song = m_plan.rows[static_cast<std::size_t>(row)];
    popup.m_strName = song.title;
    popup.m_nLimit = static_cast<int>(mrv::link::kMaxTitleBytes);
    if (popup.DoModal() != CommandId::Ok) return;
    song.title = popup.m_strName;
    song.titleUnreadable = false;
    m_titles[song.fileName] = mrv::text::Cp949ToUtf8Lossy(song.title);
    Refresh();
}

void CImportDlg::OnAdd()
{
    const int added = m_plan.Added();
    if (added == 0) {
        MessageBoxCp949(K(messages::kNothingToImport), kCaption, MsgBox::Ok);
        return;
    }
    const std::string question = messages::ImportQuestion(added, static_cast<std::int64_t>(m_plan.rows.size()) - added,
                                                          mrv::os::PathText(m_settings.saveFolder));
    if (MessageBoxCp949(Shown(question), kCaption, MsgBox::YesNo | MsgBox::IconQuestion) != CommandId::Yes) return;
    auto done = songs::RunImport(m_plan, mrv::platform::GetServices().GetLocalTime());
    if (!done) {
        ShowRegistryError(*this, done.error());
        if (done.error().code == mrv::ErrorCode::NotConfirmed && m_added) m_added();
    } else {
        MessageBoxCp949(K(messages::Imported(done->added)), kCaption, MsgBox::Ok);
        if (m_added) m_added();
    }
    // What is in the registry and the save folder now decides the rows.
    PlanFrom(m_strFolder);
}
