#include "dialogs/MakerDlg.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/PictureDlg.h"
#include "core/FileSystem.h"
#include "core/SystemRules.h"
#include "text/Cp949.h"
#include "platform/Services.h"
#include "registry/RegistryFile.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <cstdlib>

namespace {

using mrv::text::K;

constexpr int kMaxLinkTitleBytes = 50;
constexpr int kMaxEntryNumber = 99999;
constexpr int kTitleColumnWidth = 190;
constexpr int kLinkColumnWidth = 186;

// The search window's rename name until the link number first changes.
constexpr const char* kFirstAutoName = "01.zqm";

// The hidden picture windows and the points of the client area that open
// them: a press within one pixel of the point, or a double click on it. The
// points are pixels for 굴림 9 point at 96 DPI, where they lie on the picture
// (kGulimPicture); elsewhere they lie on the same spots of the picture,
// which is stretched to its box (HiddenPicturePoint).
struct HiddenPicture {
    int templateId;
    CPoint at;
};
constexpr HiddenPicture kHiddenPictures[] = {
    {IDD_PICTURE_ILLUSTRATION, {701, 412}},
    {IDD_PICTURE_2, {616, 380}},
    {IDD_PICTURE_3, {709, 382}},
};

// The picture's box for 굴림 9 point at 96 DPI: 347, 248, 69 × 58 dialog units
// with base units of 7 × 12.
constexpr CRect kGulimPicture{607, 372, 607 + 121, 372 + 87};

bool WithinOnePixel(CPoint point, CPoint centre)
{
    return std::abs(point.x - centre.x) <= 1 && std::abs(point.y - centre.y) <= 1;
}

void ShowPicture(int templateId)
{
    CPictureDlg picture(templateId);
    picture.DoModal();
}

const std::string& DefaultTitle()
{
    static const std::string title(mrv::kDefaultTitle);
    return title;
}

} // namespace

// True when a new file can be made in the folder. Tried for real: permission
// bits say nothing for root or on a read-only mount.
static bool CanCreateFilesIn(const std::filesystem::path& folder)
{
    const std::filesystem::path probe = folder / (".mrvmaker-probe-" + mrv::os::RandomName(8));
    auto file = mrv::os::File::CreateNew(probe, 0600);
    if (!file) return false;
    file->Close();
    (void)mrv::os::RemoveFile(probe);
    return true;
}

std::filesystem::path StartSaveFolder()
{
    auto& services = mrv::platform::GetServices();
    std::filesystem::path folder = services.GetProgramFolder();
    if (mrv::os::IsSystemFolder(folder) || !CanCreateFilesIn(folder)) folder = services.GetHomeFolder();
    // The folder ends in its separator, as the program folder always has.
    if (!folder.empty() && folder.has_filename()) folder += std::filesystem::path::preferred_separator;
    return folder;
}

CMakerDlg::CMakerDlg(CWnd* pParent)
    : CDialog(IDD_MAKER_DIALOG, pParent), m_hIcon(IDR_MAINFRAME)
{
}

void CMakerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MOD_OPTION, m_btnModOption);
    DDX_Control(pDX, IDC_REGISTRY_LIST, m_listRegistry);
    DDX_Text(pDX, IDC_LINK_FILE_NAME, m_strLinkFileName);
    DDX_Text(pDX, IDC_LINK_TITLE, m_strLinkTitle);
    DDV_MaxChars(pDX, m_strLinkTitle, kMaxLinkTitleBytes);
    DDX_Text(pDX, IDC_LINK_NUMBER, m_nLinkNumber);
    DDX_Text(pDX, IDC_TARGET_NAME, m_strTargetName);
    DDX_Text(pDX, IDC_SAVE_FOLDER, m_strSaveFolder);
    DDX_Text(pDX, IDC_REGISTRY_PATH, m_strRegistryPath);
    DDX_Text(pDX, IDC_ENTRY_TITLE, m_strEntryTitle);
    DDX_Text(pDX, IDC_ENTRY_LINK_NAME, m_strEntryLinkName);
    DDX_Text(pDX, IDC_FILE_SIZE, m_nFileSize);
    DDX_Text(pDX, IDC_PLAY_TIME, m_nPlayTime);
    DDX_Check(pDX, IDC_NO_BACKUP, m_bNoBackup);
    DDX_Text(pDX, IDC_ENTRY_NUMBER, m_nEntryNumber);
    DDV_MinMaxInt(pDX, m_nEntryNumber, 0, kMaxEntryNumber);
    DDX_Radio(pDX, IDC_ENTRY_KIND_MRV, m_nEntryKind);
    DDX_Radio(pDX, IDC_LINK_KIND_MRV, m_nLinkKind);
}

const MessageMap* CMakerDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CMakerDlg::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnWmSysCommand(&CMakerDlg::OnSysCommand),
        OnEnChange(IDC_LINK_NUMBER, &CMakerDlg::OnLinkNumberChanged),
        OnBnClicked(IDC_MAKE_LINK, &CMakerDlg::MakeLinkFile),
        OnBnClicked(IDC_CHANGE_FOLDER, &CMakerDlg::OnChangeSaveFolder),
        OnBnClicked(IDC_LOAD_REGISTRY, &CMakerDlg::OnLoadRegistry),
        OnEnChange(IDC_LINK_TITLE, &CMakerDlg::OnChangeLinkTitle),
        OnBnClicked(IDC_ADD_ENTRY, &CMakerDlg::OnAddEntry),
        OnNotify(NotifyCode::RightClick, IDC_REGISTRY_LIST, &CMakerDlg::OnRClickRegistryList),
        OnWmLButtonDblClk(&CMakerDlg::OnLButtonDblClk),
        OnBnClicked(IDC_EXTRA_INFO, &CMakerDlg::OnExtraInfo),
        OnWmLButtonDown(&CMakerDlg::OnLButtonDown),
        OnBnClicked(IDC_SHOW_SEARCH, &CMakerDlg::OnShowSearch),
        OnBnClicked(IDC_OPEN_FOLDER, &CMakerDlg::OnOpenFolder),
        OnEnChange(IDC_ENTRY_NUMBER, &CMakerDlg::OnEntryNumberChanged),
        OnBnClicked(IDC_ENTRY_KIND_MRV, &CMakerDlg::OnEntryKindChanged),
        OnBnClicked(IDC_LINK_KIND_MRV, &CMakerDlg::OnLinkKindChanged),
        OnBnClicked(IDC_ENTRY_KIND_MOD, &CMakerDlg::OnEntryKindChanged),
        OnBnClicked(IDC_LINK_KIND_MOD, &CMakerDlg::OnLinkKindChanged),
        OnBnClicked(IDC_MOD_OPTION, &CMakerDlg::OnModOption),
        OnWmDestroy(&CMakerDlg::OnDestroy),
    };
    static const MessageMap map{CDialog::GetThisMessageMap(), entries};
    return &map;
}

bool CMakerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The About box's item goes below the system menu's own items; the way
    // back to a backup and many songs at once below it.
    const std::string aboutMenu = K(FindStringResource(IDS_ABOUTBOX));
    if (HasSystemMenu() && !aboutMenu.empty()) {
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_ABOUTBOX, aboutMenu);
        AppendSystemMenuItem(IDM_RESTORE_BACKUP, K(FindStringResource(IDS_RESTORE_BACKUP)));
        AppendSystemMenuItem(IDM_IMPORT_SONGS, K(FindStringResource(IDS_IMPORT_SONGS)));
    }

    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    m_strLinkFileName = "MRV_Dat00001";
    m_strEntryLinkName = "MRV_Dat00001";
    m_nLinkNumber = 1;
    m_strLinkTitle = DefaultTitle();
    m_strEntryTitle = DefaultTitle();
    m_strTargetName = "1.zqm";
    m_strSaveFolder = StartSaveFolder();
    m_nEntryNumber = 1;
    m_nFileSize = mrv::registry::kDefaultFileSize;
    m_nPlayTime = mrv::registry::kDefaultPlayTime;
    m_bNoBackup = 0;
    m_nEntryKind = 0;
    m_nLinkKind = 0;

    m_szEntryPrefix = "MRV_Dat";
    m_szLinkPrefix = "MRV_Dat";
    m_nStorageLocation = 0;
    m_btnModOption.EnableWindow(false);
    m_bDcfTarget = 0;

    m_listRegistry.InsertColumn(0, K("노래제목"), ColumnFormat::Left, FixedPixels({kTitleColumnWidth, 0}).x);
    m_listRegistry.InsertColumn(1, K("Link된 화일"), ColumnFormat::Left, FixedPixels({kLinkColumnWidth, 0}).x);
    // The entries' paths differ in their ends (ZQT/MORVANTA/MRV_Dat00012).
    m_listRegistry.SetPathColumn(1);

    const mrv::AudioInfo audio = mrv::registry::DefaultAudioInfo();
    m_szSampleRateKhz = audio.samplingRate;
    m_szAudioKbps = audio.kbps;
    m_szBitrate = audio.bitrate;
    m_szCopyrightHolder = audio.copyrightHolder;
    m_szAudioFormat = audio.audioFormat;

    Search().CreateHidden(*this);
    Search().SetAutoName(kFirstAutoName);

    UpdateData(false);
    return true;
}

mrv::AudioInfo CMakerDlg::AudioOfForm() const
{
    mrv::AudioInfo audio;
    audio.copyrightHolder = m_szCopyrightHolder;
    audio.bitrate = m_szBitrate;
    audio.kbps = m_szAudioKbps;
    audio.samplingRate = m_szSampleRateKhz;
    audio.audioFormat = m_szAudioFormat;
    return audio;
}

void CMakerDlg::OnShowSearch()
{
    UpdateData(true);
    Search().ShowScanning(m_strSaveFolder);
}

void CMakerDlg::OnOpenFolder()
{
    UpdateData(true);
    // The file manager gets the folder as one argument, blanks and all; whether
    // it started is not asked.
    mrv::platform::GetServices().OpenFolder(m_strSaveFolder);
}

void CMakerDlg::OnDestroy()
{
    // The search window belongs to the main dialog and goes with it.
    Search().Destroy();
}

void CMakerDlg::OnSysCommand(unsigned nID, std::intptr_t lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    if ((nID & 0xFFF0) == IDM_RESTORE_BACKUP) {
        OnRestoreBackup();
        return;
    }
    if ((nID & 0xFFF0) == IDM_IMPORT_SONGS) {
        OnImportSongs();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CMakerDlg::OnLButtonDown(unsigned nFlags, CPoint point)
{
    // The areas do not overlap: a press opens one window at most.
    for (const HiddenPicture& picture : kHiddenPictures)
        if (WithinOnePixel(point, HiddenPicturePoint(picture.at))) ShowPicture(picture.templateId);
    CDialog::OnLButtonDown(nFlags, point);
}

void CMakerDlg::OnLButtonDblClk(unsigned nFlags, CPoint point)
{
    for (const HiddenPicture& picture : kHiddenPictures)
        if (point == HiddenPicturePoint(picture.at)) ShowPicture(picture.templateId);
    CDialog::OnLButtonDblClk(nFlags, point);
}

CPoint CMakerDlg::HiddenPicturePoint(CPoint gulimPixels) const
{
    const CWnd* picture = nullptr;
    for (const CWnd* c = GetDlgItem(CommandId::Ok); c && !picture; c = c->GetNextControl())
        if (c->GetControlKind() == ControlKind::Bitmap) picture = c;
    if (!picture) return FixedPixels(gulimPixels);
    const CRect screen = picture->GetWindowRect();
    const CPoint topLeft = ScreenToClient({screen.left, screen.top});
    const auto place = [](int v, int from, int fromSize, int to, int toSize) {
        return to + ((v - from) * toSize + fromSize / 2) / fromSize;
    };
    return {place(gulimPixels.x, kGulimPicture.left, kGulimPicture.Width(), topLeft.x, screen.Width()),
            place(gulimPixels.y, kGulimPicture.top, kGulimPicture.Height(), topLeft.y, screen.Height())};
}
