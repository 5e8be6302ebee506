#include "app/MakerApp.h"

#include "dialogs/MakerDlg.h"

CMakerApp theApp;

bool CMakerApp::InitInstance()
{
    CMakerDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the program ends with its main dialog.
    return false;
}
