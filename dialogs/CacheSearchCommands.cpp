// The search window's commands on its files: the save location, copying
// cached files into the save folder, renaming a saved file automatically or by
// hand, the song title of its link file, and playing it.
#include "dialogs/CacheSearchDlg.h"

#include "dialogs/RenameEditDlg.h"
#include "cache/SavedFiles.h"
#include "core/FileSystem.h"
#include "core/SystemRules.h"
#include "link/LinkFile.h"
#include "text/Cp949.h"
#include "res/Strings.h"
#include "platform/Services.h"
#include "dialogs/FolderChooser.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using mrv::text::K;

namespace {

const std::string kCaption(kSearchCaption);
// At most this many selected rows are copied by one press of "->".
constexpr std::size_t kMaxCopiedRows = 201;

const std::string& FolderPrompt()
{
    static const std::string text = K("ZQM 화일을 저장할 폴더를 선택하세요");
    return text;
}

// A name typed in the rename popup as a host file name, or nullopt when it
// would not name a file of the save folder itself.
std::optional<std::string> TypedFileName(const std::string& cp949)
{
    auto name = mrv::text::Cp949ToUtf8(cp949);
    if (!name || !mrv::os::IsPlainFileName(*name)) return std::nullopt;
    return name;
}

} // namespace

fs::path CCacheSearchDlg::InSaveFolder(const std::string& name) const
{
    // Names are UTF-8, never the system's narrow code page.
    return m_strSaveLocation / mrv::os::PathFromUtf8(name);
}

void CCacheSearchDlg::OnSaveLocation()
{
    UpdateData(true);
    fs::path chosen;
    if (!BrowseForFolderWithInitial(chosen, FolderPrompt(), this, std::nullopt, m_strSaveLocation) || chosen.empty()) {
        MessageBoxCp949(FolderChangeCancelledText(), kCaption, MsgBox::Ok);
        return;
    }
    // The saved list follows the new folder at the next save-scan tick.
    m_strSaveLocation = WithTrailingSeparator(chosen);
    UpdateData(false);
}

void CCacheSearchDlg::OnCopyToSaveFolder()
{
    std::vector<int> chosen;
    chosen.reserve(kMaxCopiedRows);
    for (int row = 0; row < m_rowsCache.RowCount() && chosen.size() < kMaxCopiedRows; ++row)
        if (m_rowsCache.IsSelected(row)) chosen.push_back(row);
    if (chosen.empty()) return;

    // Highest row first, so that deleting a row never moves one still to come.
    // A failed copy is not reported: the source stays where it was, and the
    // target is replaced whole or not at all.
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
        const std::string name = m_rowsCache.RowName(*it);
        (void)mrv::cache::CopyReplacing(m_szCacheFolder / mrv::os::PathFromUtf8(name), InSaveFolder(name));
        if (!m_bBusy) {
            m_bBusy = 1;
            m_rowsCache.DeleteRow(*it);
            m_bBusy = 0;
        }
    }
    if (!m_bBusy) {
        m_bBusy = 1;
        ScanSaveFolder();
        m_bBusy = 0;
    }
}

void CCacheSearchDlg::OnDblClkSavedList(NotifyHeader* /*pNMHDR*/, MessageResult* pResult)
{
    *pResult = 0;
    const int row = m_rowsSaved.FirstSelected();
    if (row < 0) return;
    // The rename fails, and nothing changes, when the name is taken.
    (void)mrv::cache::RenameWithoutReplacing(InSaveFolder(m_rowsSaved.RowName(row)),
                                       InSaveFolder(mrv::text::Cp949ToUtf8Lossy(m_szAutoName)));
    ScanSaveFolder();
}

void CCacheSearchDlg::OnRClickSavedList(NotifyHeader* /*pNMHDR*/, MessageResult* pResult)
{
    *pResult = 0;
    CRenameEditDlg popup(this);
    const int row = m_rowsSaved.FirstSelected();
    if (row < 0) return;

    // The saved list may change while the popup is up; the file is the one
    // that was right-clicked.
    const fs::path oldPath = InSaveFolder(m_rowsSaved.RowName(row));
    // The popup lies over the row's name, wherever font and DPI put the row.
    CRect name;
    m_listSaved.GetSubItemRect(row, 0, ListItemRect::Label, name);
    const CPoint at = m_listSaved.ClientToScreen({name.left, name.top});
    popup.m_nLeft = at.x;
    popup.m_nTop = at.y;
    popup.m_strName = ShownName(m_rowsSaved.RowName(row));
    const std::string offered = popup.m_strName;
    if (popup.DoModal() != CommandId::Ok) return;

    // Renaming stays inside the save folder and never replaces a file. A name
    // left as offered changes nothing, even where the list shows a name CP949
    // cannot hold with '?'.
    if (const auto name = TypedFileName(popup.m_strName); name && popup.m_strName != offered)
        (void)mrv::cache::RenameWithoutReplacing(oldPath, InSaveFolder(*name));
    ScanSaveFolder();
}

void CCacheSearchDlg::OnClickSavedList(NotifyHeader* /*pNMHDR*/, MessageResult* pResult)
{
    *pResult = 0;
    const int row = m_rowsSaved.FirstSelected();
    if (row < 0) return;

    // The first of the link files that belong to the name that can be read;
    // read only, so that a read-only link file shows its title too.
    std::optional<std::vector<std::uint8_t>> head;
    for (const std::string& link : mrv::cache::SongTitleLinks(m_rowsSaved.RowName(row))) {
        head = mrv::cache::ReadHead(InSaveFolder(link), mrv::link::kTitleOffset + mrv::link::kTitleFieldSize);
        if (head) break;
    }
    m_strSongTitle = head ? mrv::link::TitleField(*head) : std::string();
    UpdateData(false);
}

void CCacheSearchDlg::OnPlay()
{
    UpdateData(true);
    const int row = m_rowsSaved.FirstSelected();
    if (row < 0) return;
    // Whether the program started is not asked.
    mrv::platform::GetServices().OpenWithAssociatedProgram(InSaveFolder(m_rowsSaved.RowName(row)));
}
