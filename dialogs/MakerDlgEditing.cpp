// The main dialog's registry editing: appending the entry of the lower left
// group to modreg.dat and deleting the entry the user right-clicks in the list.
//
// The file itself is changed only through the registry core, which refuses a
// damaged file or a duplicate entry, writes the backup before the change and
// never replaces an earlier backup or leaves a half-written registry behind.
// Its rules are mrvtool's too, so the window checks nothing of its own.
#include "dialogs/MakerDlg.h"

#include "text/Cp949.h"
#include "platform/Services.h"
#include "dialogs/RegistryErrorBox.h"
#include "registry/RegistryFile.h"
#include "registry/Messages.h"
#include "res/Strings.h"

#include <optional>
#include <string>

namespace {

using mrv::text::K;
namespace messages = mrv::registry::messages;

const std::string kCaption(kRegistryCaption);

// The file no longer holds, at the row's position, the entry the row shows:
// some other program changed it since it was listed. The list is read again.
std::string ListOutOfDateText()
{
    return K(std::string(messages::kChangedSinceShown) + " 목록을 다시 읽었으니 지울 항목을 다시 고르세요.");
}

// The confirmation quotes the row's texts as read through a 50-byte buffer:
// at most 49 bytes each, never half a double-byte character.
constexpr std::size_t kConfirmTextBytes = 49;

mrv::registry::LocalTime Now()
{
    return mrv::platform::GetServices().GetLocalTime();
}

int FirstSelectedRow(const CListCtrl& list)
{
    const int rows = list.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        if (list.GetItemState(row, ListItemState::Selected) & ListItemState::Selected) return row;
    }
    return -1;
}

// After these refusals the file may hold something other than the list shows
// (another program added the duplicate, or changed the row), or may hold the
// change after all.
bool ListMayBeStale(mrv::ErrorCode code)
{
    using mrv::ErrorCode;
    return code == ErrorCode::DuplicatePath || code == ErrorCode::DuplicateTitle || code == ErrorCode::Stale ||
           code == ErrorCode::NotConfirmed;
}

std::string ConfirmDeleteText(const std::string& title, const std::string& path)
{
    return messages::DeleteQuestion(mrv::text::Cp949Prefix(title, kConfirmTextBytes),
                                    mrv::text::Cp949Prefix(path, kConfirmTextBytes), K(messages::kDeleteQuestion));
}

} // namespace

void CMakerDlg::OnAddEntry()
{
    // A form that does not read (a size that is no number) writes nothing:
    // its message has told the user what is wrong.
    if (!UpdateData(true)) return;
    if (m_strRegistryPath.empty()) {
        MessageBoxCp949(K(kOpenRegistryFirst), kCaption, MsgBox::Ok);
        return;
    }

    mrv::registry::EntryFields entry;
    entry.kind = m_nEntryKind == 1 ? mrv::LinkKind::Mod : mrv::LinkKind::Mrv;
    entry.linkName = m_strEntryLinkName;
    entry.title = m_strEntryTitle;
    entry.audio = AudioOfForm();
    entry.playTime = m_nPlayTime;
    entry.fileSize = m_nFileSize;
    entry.location = m_nStorageLocation;

    std::optional<mrv::registry::LocalTime> backupAt;
    if (!m_bNoBackup) backupAt = Now();
    // The append refuses, while it holds the file, an entry whose path or
    // title the file has now (the path first: when both are taken, only its
    // message shows), whatever the list showed. A duplicate's box is captioned
    // with the text that is taken.
    auto appended = mrv::registry::Append(m_strRegistryPath, entry, backupAt);
    if (!appended) {
        const mrv::Error& e = appended.error();
        const std::string path = mrv::registry::EntryPath(entry.kind, entry.linkName);
        if (e.code == mrv::ErrorCode::DuplicatePath)
            MessageBoxCp949(K(messages::kDuplicatePath), path, MsgBox::Ok | MsgBox::IconError);
        else if (e.code == mrv::ErrorCode::DuplicateTitle)
            MessageBoxCp949(K(messages::kDuplicateTitle), entry.title, MsgBox::Ok | MsgBox::IconError);
        else
            ShowRegistryError(*this, e);
        // Most refusals leave the file as it was listed, so the list stays;
        // after the others the list shows what the file holds now.
        if (ListMayBeStale(e.code)) LoadRegistryList();
        return;
    }
    LoadRegistryList();
}

void CMakerDlg::OnRClickRegistryList(NotifyHeader*, MessageResult* pResult)
{
    if (!UpdateData(true)) return;
    // The list allows one selection; the click acts on it wherever it fell.
    const int row = FirstSelectedRow(m_listRegistry);
    if (row < 0) return;
    const std::string title = m_listRegistry.GetItemText(row, 0);
    const std::string path = m_listRegistry.GetItemText(row, 1);

    // Only a clear Yes deletes; a box closed without an answer keeps the entry.
    if (MessageBoxCp949(ConfirmDeleteText(title, path), kCaption, MsgBox::YesNo | MsgBox::IconQuestion) != CommandId::Yes) return;

    // The record is found by its position: the deletion makes sure, while it
    // holds the file, that the file still has this row's entry there.
    const auto& entries = m_listed.listing.entries;
    if (static_cast<std::size_t>(row) >= entries.size()) {
        MessageBoxCp949(ListOutOfDateText(), kCaption, MsgBox::Ok | MsgBox::IconError);
        LoadRegistryList();
        return;
    }
    mrv::registry::ChangeOptions options;
    options.expected = mrv::registry::ShownEntry{std::string(entries[row].title), std::string(entries[row].path)};
    auto deleted = mrv::registry::Delete(m_strRegistryPath, row, Now(), options);
    if (!deleted) {
        const mrv::Error& e = deleted.error();
        if (e.code == mrv::ErrorCode::Stale) MessageBoxCp949(ListOutOfDateText(), kCaption, MsgBox::Ok | MsgBox::IconError);
        else ShowRegistryError(*this, e);
        if (ListMayBeStale(e.code)) LoadRegistryList();
        return;
    }
    LoadRegistryList();
    if (pResult) *pResult = 0;
}
