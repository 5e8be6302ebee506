// The main dialog's registry listing: choosing modreg.dat, filling the list
// from it, and the entry title following the link title.
#include "dialogs/MakerDlg.h"

#include "text/Cp949.h"
#include "platform/Services.h"
#include "dialogs/RegistryErrorBox.h"
#include "registry/RegistryFile.h"

using mrv::text::K;

void CMakerDlg::OnLoadRegistry()
{
    UpdateData(true);
    mrv::platform::OpenFileRequest request;
    request.title = K("수정할 음원 레지스트리화일 선택 (modreg.dat)");
    request.filter = K("레지스트리 Files(modreg.dat)|modreg.dat|All Files (*.*)|*.*||");
    request.defaultExtension = "dat";
    request.initialFolder = m_strSaveFolder;
    auto chosen = mrv::platform::GetServices().GetOpenFilePath(this, request);
    if (!chosen) return;
    m_strRegistryPath = *chosen;
    UpdateData(false);
    LoadRegistryList();
}

std::string_view ListedEntries::ItemText(int item, int subItem) const
{
    if (item < 0 || static_cast<std::size_t>(item) >= listing.entries.size()) return {};
    const auto& entry = listing.entries[static_cast<std::size_t>(item)];
    return subItem == 0 ? entry.title : subItem == 1 ? entry.path : std::string_view();
}

void CMakerDlg::LoadRegistryList()
{
    UpdateData(true);
    if (m_strRegistryPath.empty()) return;
    m_listRegistry.DeleteAllItems();
    m_listed.listing = {};

    auto listing = mrv::registry::ReadList(m_strRegistryPath);
    if (!listing) {
        ShowRegistryError(*this, listing.error());
        return;
    }
    // The list shows the listing's entries as they are, without a copy of each.
    m_listed.listing = std::move(*listing);
    m_listRegistry.SetVirtualRows(&m_listed, static_cast<int>(m_listed.listing.entries.size()));
    // A damaged file still shows what could be read before the damage.
    if (m_listed.listing.damage) ShowRegistryError(*this, *m_listed.listing.damage);
}

void CMakerDlg::OnChangeLinkTitle()
{
    UpdateData(true);
    m_strEntryTitle = m_strLinkTitle;
    UpdateData(false);
}
