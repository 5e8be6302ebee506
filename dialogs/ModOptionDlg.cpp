#include "dialogs/ModOptionDlg.h"

#include "res/Resource.h"

CModOptionDlg::CModOptionDlg(CWnd* pParent) : CDialog(IDD_MOD_OPTION, pParent) {}

CModOptionDlg::~CModOptionDlg() = default;

const MessageMap* CModOptionDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CModOptionDlg::GetThisMessageMap()
{
    static const MessageMap map{CDialog::GetThisMessageMap(), {}};
    return &map;
}

void CModOptionDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_LOCATION_0, m_nLocation);
}

// Reading a radio group cannot fail, so OK always ends the dialog. Only here
// is the member read back: Escape and the close box leave it as the owner set it.
void CModOptionDlg::OnOK()
{
    UpdateData(true);
    EndDialog(CommandId::Ok);
}
