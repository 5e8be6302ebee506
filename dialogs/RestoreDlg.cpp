#include "dialogs/RestoreDlg.h"

#include "dialogs/RegistryErrorBox.h"
#include "dialogs/TidyDlg.h"
#include "platform/Services.h"
#include "registry/Messages.h"
#include "res/Resource.h"
#include "res/Strings.h"
#include "text/Cp949.h"

namespace {

using mrv::text::K;
namespace reg = mrv::registry;
namespace messages = mrv::registry::messages;

const std::string kCaption(kRegistryCaption);

// A text that holds names of files and the system's words: what CP949 lacks
// shows as '?', where a fixed text of ours must convert whole.
std::string Shown(const std::string& utf8) { return mrv::text::Utf8ToCp949Lossy(utf8); }
// Widths in pixels for 굴림, scaled for the font that stands in for it.
constexpr int kWhenColumnWidth = 150;
constexpr int kWhatColumnWidth = 270;

// What a row says of a backup: what it holds, or why it cannot be restored.
std::string Contents(const reg::BackupInfo& b)
{
    if (!b.restorable) return "되살릴 수 없음: " + b.reason;
    return "항목 " + std::to_string(b.entries) + "개, " + std::to_string(b.size) + "바이트";
}

} // namespace

CRestoreDlg::CRestoreDlg(std::filesystem::path registry, std::function<void()> restored, CWnd* pParent)
    : CDialog(IDD_RESTORE_BACKUP, pParent), m_registry(std::move(registry)), m_restored(std::move(restored))
{
}

void CRestoreDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BACKUP_LIST, m_listBackups);
    DDX_Text(pDX, IDC_BACKUP_CHOSEN, m_strChosen);
}

const MessageMap* CRestoreDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CRestoreDlg::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnNotify(NotifyCode::Click, IDC_BACKUP_LIST, &CRestoreDlg::OnClickBackup),
        OnBnClicked(IDC_RESTORE, &CRestoreDlg::OnRestore),
        OnBnClicked(IDC_TIDY, &CRestoreDlg::OnTidy),
    };
    static const MessageMap map{CDialog::GetThisMessageMap(), entries};
    return &map;
}

bool CRestoreDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listBackups.InsertColumn(0, K("만든 때"), ColumnFormat::Left, FixedPixels({kWhenColumnWidth, 0}).x);
    m_listBackups.InsertColumn(1, K("내용"), ColumnFormat::Left, FixedPixels({kWhatColumnWidth, 0}).x);
    LoadBackups();
    return true;
}

void CRestoreDlg::LoadBackups()
{
    m_listBackups.DeleteAllItems();
    m_backups.clear();
    m_strChosen.clear();
    auto listed = reg::ListBackups(m_registry);
    if (!listed) {
        ShowRegistryError(*this, listed.error());
    } else {
        m_backups = std::move(*listed);
    }
    for (std::size_t i = 0; i < m_backups.size(); ++i) {
        const int row = m_listBackups.InsertItem(static_cast<int>(i), reg::BackupTimeText(m_backups[i]));
        m_listBackups.SetItemText(row, 1, Shown(Contents(m_backups[i])));
    }
    UpdateData(false);
}

const reg::BackupInfo* CRestoreDlg::Selected() const
{
    for (int row = 0; row < m_listBackups.GetItemCount(); ++row) {
        if ((m_listBackups.GetItemState(row, ListItemState::Selected) & ListItemState::Selected) &&
            static_cast<std::size_t>(row) < m_backups.size())
            return &m_backups[static_cast<std::size_t>(row)];
    }
    return nullptr;
}

void CRestoreDlg::OnClickBackup(NotifyHeader*, MessageResult* pResult)
{
    const reg::BackupInfo* b = Selected();
    m_strChosen = b ? Shown(b->restorable ? b->name : b->name + ": " + b->reason) : std::string();
    UpdateData(false);
    if (pResult) *pResult = 0;
}

void CRestoreDlg::OnRestore()
{
    const reg::BackupInfo* b = Selected();
    if (!b) {
        MessageBoxCp949(K("되살릴 백업화일을 목록에서 고르세요."), kCaption, MsgBox::Ok);
        return;
    }
    if (!b->restorable) {
        MessageBoxCp949(Shown(messages::NotRestorable(b->reason)), kCaption, MsgBox::Ok | MsgBox::IconError);
        return;
    }
    const std::string question = messages::RestoreQuestion(b->name, reg::BackupTimeText(*b), b->entries);
    if (MessageBoxCp949(Shown(question), kCaption, MsgBox::YesNo | MsgBox::IconQuestion) != CommandId::Yes) return;
    const auto restored = reg::Restore(m_registry, b->path, mrv::platform::GetServices().GetLocalTime());
    if (!restored) {
        ShowRegistryError(*this, restored.error());
        LoadBackups();
        return;
    }
    if (restored->alreadyEqual) {
        MessageBoxCp949(K(messages::kAlreadyEqual), kCaption, MsgBox::Ok);
        return;
    }
    if (m_restored) m_restored();
    LoadBackups();
}

void CRestoreDlg::OnTidy()
{
    CTidyDlg tidy(this);
    if (tidy.DoModal() != CommandId::Ok) return;
    const reg::TidyPlan plan = reg::PlanTidy(m_backups, tidy.m_nKeep);
    if (plan.remove.empty()) {
        MessageBoxCp949(K(messages::NothingToTidy(tidy.m_nKeep)), kCaption, MsgBox::Ok);
        return;
    }
    const std::string question = messages::TidyQuestion(static_cast<std::int64_t>(plan.remove.size()), plan.bytes, tidy.m_nKeep);
    if (MessageBoxCp949(K(question), kCaption, MsgBox::YesNo | MsgBox::IconQuestion) != CommandId::Yes) return;
    const auto removed = reg::RemoveBackups(m_registry, plan);
    if (!removed) ShowRegistryError(*this, removed.error());
    else MessageBoxCp949(K(messages::Tidied(removed->removed, removed->bytes)), kCaption, MsgBox::Ok);
    LoadBackups();
}
