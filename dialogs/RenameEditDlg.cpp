#include "dialogs/RenameEditDlg.h"

#include "res/Resource.h"

CRenameEditDlg::CRenameEditDlg(CWnd* pParent) : CDialog(IDD_RENAME_EDIT, pParent) {}

CRenameEditDlg::~CRenameEditDlg() = default;

const MessageMap* CRenameEditDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CRenameEditDlg::GetThisMessageMap()
{
    static const MessageMap map{CDialog::GetThisMessageMap(), {}};
    return &map;
}

void CRenameEditDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_RENAME_EDIT, m_strName);
}

// The popup lies over the row being renamed and stays above the search
// window, which is itself a top-level window.
bool CRenameEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_nLimit > 0) GetDlgItem(IDC_RENAME_EDIT)->LimitText(m_nLimit);
    MoveTo(CPoint{m_nLeft, m_nTop});
    SetTopMost();
    ShowWindow(ShowCmd::Show);
    return true;
}
