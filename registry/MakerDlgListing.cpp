// The main dialog's registry listing: choosing modreg.dat, filling the list
// from it, and the entry title following the link title.
#include "app/MakerDlg.h"

#include "platform/Cp949.h"
#include "platform/Services.h"
#include "registry/RegistryFile.h"
#include "registry/RegistryMessages.h"

using mrv::text::K;

void CMakerDlg::OnLoadRegistry()
{
    UpdateData(true);
    mrv::platform::OpenFileRequest request;
    request.title = K("수정할 음원 레지스트리화일 선택 (modreg.dat)");
    request.filter = K("레지스트리 Files(modreg.dat)|modreg.dat|All Files (*.*)|*.*||");
    request.defaultExtension = "dat";
    request.initialFolder = m_strSaveFolder;
    auto chosen = mrv::platform::GetServices().GetOpenFileName(this, request);
    if (!chosen) return;
    m_strRegistryPath = *chosen;
    UpdateData(false);
    LoadRegistryList();
}

void CMakerDlg::LoadRegistryList()
{
    UpdateData(true);
    if (m_strRegistryPath.empty()) return;
    m_listRegistry.DeleteAllItems();
    m_listing = {};

    auto listing = mrv::registry::ReadList(m_strRegistryPath);
    if (!listing) {
        ShowRegistryError(*this, listing.error());
        return;
    }
    m_listing = std::move(*listing);
    int row = 0;
    for (const auto& entry : m_listing.entries) {
        m_listRegistry.InsertItem(row, std::string(entry.title));
        m_listRegistry.SetItemText(row, 1, std::string(entry.path));
        ++row;
    }
    // A damaged file still shows what could be read before the damage.
    if (m_listing.damage) ShowRegistryError(*this, *m_listing.damage);
}

void CMakerDlg::OnChangeLinkTitle()
{
    UpdateData(true);
    m_strEntryTitle = m_strLinkTitle;
    UpdateData(false);
}
