// The main dialog's link maker: "만들기" writes a link file into the save
// folder, "폴더변경" chooses that folder, and the naming rules keep the link
// file name, the target file name, the entry number, the entry link name and
// the search window's rename name in step with the link number and the kinds.
#include "dialogs/MakerDlg.h"

#include "dialogs/CacheSearchDlg.h"
#include "core/FileIO.h"
#include "link/LinkFile.h"
#include "text/Cp949.h"
#include "res/Strings.h"
#include "dialogs/FolderChooser.h"

#include <optional>
#include <string>

namespace fs = std::filesystem;
using mrv::LinkKind;
using mrv::text::K;

namespace {

const std::string kCaption(kLinkMakerCaption);
constexpr int kMaxNumber = mrv::link::kMaxLinkNumber;
// A link number outside 0..99999 falls back to 0, an entry number to 1.
constexpr int kLinkNumberFallback = 0;
constexpr int kEntryNumberFallback = 1;

const std::string& FolderPrompt()
{
    static const std::string text = K("MRV_Dat000xx 화일을 저장할 폴더를 선택하세요");
    return text;
}

const std::string& LinkNotWritten()
{
    static const std::string text = K("링크 화일을 저장하지 못했습니다.");
    return text;
}

LinkKind KindOf(int radioIndex)
{
    return radioIndex == static_cast<int>(LinkKind::Mod) ? LinkKind::Mod : LinkKind::Mrv;
}

bool InRange(int number)
{
    return number >= 0 && number <= kMaxNumber;
}

// A host path for a message box.
std::string Shown(const fs::path& path)
{
    return mrv::text::Utf8ToCp949Lossy(mrv::os::PathText(path));
}

} // namespace

void CMakerDlg::MakeLinkFile()
{
    // A form that does not read writes nothing: its message has told the
    // user what is wrong.
    if (!UpdateData(true)) return;

    // Without a save folder the user picks one for this file only; the save
    // folder itself stays empty.
    fs::path folder = m_strSaveFolder;
    if (folder.empty()) {
        fs::path chosen;
        if (!BrowseForFolderWithInitial(chosen, FolderPrompt(), this, std::nullopt, fs::path()) || chosen.empty()) {
            MessageBoxCp949(FolderChangeCancelledText(), kCaption, MsgBox::Ok);
            return;
        }
        folder = WithTrailingSeparator(chosen);
    }

    const fs::path file = folder / m_strLinkFileName;
    MessageBoxCp949(Shown(file), kCaption, MsgBox::Ok);

    // The file appears whole or not at all; the path message above does not
    // say whether it worked, so a failure gets a message of its own.
    auto bytes = mrv::link::EncodeLink(KindOf(m_nLinkKind), m_strLinkTitle, m_nStorageLocation, m_nLinkNumber);
    mrv::Status written = bytes ? mrv::WriteFileWhole(file, *bytes) : mrv::Status(bytes.error());
    if (!written) {
        MessageBoxCp949(LinkNotWritten() + "\n" + mrv::text::Utf8ToCp949Lossy(written.error().message), kCaption, MsgBox::Ok);
    }
}

void CMakerDlg::OnChangeSaveFolder()
{
    UpdateData(true);

    fs::path chosen;
    if (!BrowseForFolderWithInitial(chosen, FolderPrompt(), this, std::nullopt, m_strSaveFolder) || chosen.empty()) {
        MessageBoxCp949(FolderChangeCancelledText(), kCaption, MsgBox::Ok);
        return;
    }
    m_strSaveFolder = WithTrailingSeparator(chosen);
    UpdateData(false);
}

void CMakerDlg::OnLinkNumberChanged()
{
    UpdateData(true);

    if (!InRange(m_nLinkNumber)) m_nLinkNumber = kLinkNumberFallback;
    m_strLinkFileName = mrv::link::LinkFileName(m_szLinkPrefix, m_nLinkNumber);
    m_strTargetName = mrv::link::TargetFileName(m_nLinkNumber, KindOf(m_nLinkKind), m_bDcfTarget != 0);
    // The search window renames a saved file to this name on a double click.
    Search().SetAutoName(m_strTargetName);
    m_nEntryNumber = m_nLinkNumber;
    UpdateData(false);

    OnEntryNumberChanged();
}

void CMakerDlg::OnEntryNumberChanged()
{
    UpdateData(true);

    if (!InRange(m_nEntryNumber)) m_nEntryNumber = kEntryNumberFallback;
    m_strEntryLinkName = mrv::link::LinkFileName(m_szEntryPrefix, m_nEntryNumber);
    UpdateData(false);
}

void CMakerDlg::OnEntryKindChanged()
{
    UpdateData(true);

    m_szEntryPrefix = mrv::link::Prefix(KindOf(m_nEntryKind));
    OnEntryNumberChanged();
}

void CMakerDlg::OnLinkKindChanged()
{
    UpdateData(true);

    // The registry entry follows the link being made. The storage location
    // and its DCF flag stay as chosen, whatever the kind.
    m_nEntryKind = m_nLinkKind;
    const LinkKind kind = KindOf(m_nLinkKind);
    m_szLinkPrefix = mrv::link::Prefix(kind);
    m_btnModOption.EnableWindow(kind == LinkKind::Mod);
    UpdateData(false);

    OnEntryKindChanged();
    OnLinkNumberChanged();
}
