#include "dialogs/TidyDlg.h"

#include "res/Resource.h"

namespace {

// More than any folder holds: the edit takes any count a user would type.
constexpr int kMostKept = 1000000;

} // namespace

CTidyDlg::CTidyDlg(CWnd* pParent) : CDialog(IDD_TIDY_BACKUPS, pParent) {}

void CTidyDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_KEEP_COUNT, m_nKeep);
    DDV_MinMaxInt(pDX, m_nKeep, 1, kMostKept);
}

// A count that does not read keeps the dialog open with its message.
void CTidyDlg::OnOK()
{
    if (UpdateData(true)) EndDialog(CommandId::Ok);
}

const MessageMap* CTidyDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CTidyDlg::GetThisMessageMap()
{
    static const MessageMap map{CDialog::GetThisMessageMap(), {}};
    return &map;
}
