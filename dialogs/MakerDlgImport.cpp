// The main dialog's way to add many songs at once: the system-menu item
// "여러 곡 한꺼번에 추가(&M)..." opens the dialog with the window's registry,
// save folder, link kind, storage location, audio information and link
// number, and the list shows the new entries after each import.
#include "dialogs/MakerDlg.h"

#include "dialogs/ImportDlg.h"
#include "res/Strings.h"
#include "text/Cp949.h"

void CMakerDlg::OnImportSongs()
{
    UpdateData(true);
    if (m_strRegistryPath.empty()) {
        MessageBoxCp949(mrv::text::K(kOpenRegistryFirst), std::string(kRegistryCaption), MsgBox::Ok);
        return;
    }
    mrv::songs::ImportSettings settings;
    settings.registry = m_strRegistryPath;
    settings.saveFolder = m_strSaveFolder;
    settings.kind = m_nLinkKind == 1 ? mrv::LinkKind::Mod : mrv::LinkKind::Mrv;
    settings.location = m_nStorageLocation;
    settings.audio = AudioOfForm();
    settings.firstNumber = m_nLinkNumber;
    CImportDlg dlg(settings, Search().CacheFolder(), [this] { LoadRegistryList(); }, this);
    dlg.DoModal();
}
