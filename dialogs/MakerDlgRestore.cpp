// The main dialog's way back to an earlier registry: the system-menu item
// "백업에서 되살리기(&R)..." opens the restore dialog over the loaded registry,
// and the list shows what the registry holds after each restore.
#include "dialogs/MakerDlg.h"

#include "dialogs/RestoreDlg.h"
#include "res/Strings.h"
#include "text/Cp949.h"

void CMakerDlg::OnRestoreBackup()
{
    if (m_strRegistryPath.empty()) {
        MessageBoxCp949(mrv::text::K(kOpenRegistryFirst), std::string(kRegistryCaption), MsgBox::Ok);
        return;
    }
    CRestoreDlg dlg(m_strRegistryPath, [this] { LoadRegistryList(); }, this);
    dlg.DoModal();
}
