#include "dialogs/AboutDlg.h"

#include "res/Resource.h"

// Without an owner of its own: the window whose handler runs it owns it.
CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

const MessageMap* CAboutDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CAboutDlg::GetThisMessageMap()
{
    static const MessageMap map{CDialog::GetThisMessageMap(), {}};
    return &map;
}
