#include "dialogs/CacheSearchDlg.h"

#include "text/Cp949.h"
#include "platform/Services.h"
#include "res/Resource.h"

namespace {

using mrv::text::K;

constexpr unsigned kCacheTimer = 10;
constexpr unsigned kSaveTimer = 20;
constexpr unsigned kScanPeriodMs = 400;
constexpr int kNameColumnWidth = 120;
constexpr int kSizeColumnWidth = 95;

} // namespace

CCacheSearchDlg::CCacheSearchDlg() : CDialog(IDD_CACHE_SEARCH, nullptr) {}

void CCacheSearchDlg::CreateHidden(CDialog& owner)
{
    Create(IDD_CACHE_SEARCH, &owner);
    SetIcon(IDR_MAINFRAME, true);
    ShowWindow(ShowCmd::Hide);
    UpdateData(false);
}

void CCacheSearchDlg::ShowScanning(const std::filesystem::path& saveFolder)
{
    ShowWindow(ShowCmd::Show);
    m_bRefreshActive = 1;
    if (!saveFolder.empty()) m_strSaveLocation = saveFolder;
    UpdateData(false);
}

void CCacheSearchDlg::SetAutoName(const std::string& name) { m_szAutoName = name; }

void CCacheSearchDlg::Destroy() { DestroyWindow(); }

void CCacheSearchDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CACHE_LIST, m_listCache);
    DDX_Control(pDX, IDC_SAVED_LIST, m_listSaved);
    DDX_Text(pDX, IDC_SAVE_LOCATION_TEXT, m_strSaveLocation);
    DDX_Text(pDX, IDC_SONG_TITLE, m_strSongTitle);
}

const MessageMap* CCacheSearchDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CCacheSearchDlg::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnWmTimer(&CCacheSearchDlg::OnTimer),
        OnBnClicked(IDC_SAVE_LOCATION, &CCacheSearchDlg::OnSaveLocation),
        OnBnClicked(IDC_COPY_TO_SAVE, &CCacheSearchDlg::OnCopyToSaveFolder),
        OnNotify(NotifyCode::DoubleClick, IDC_SAVED_LIST, &CCacheSearchDlg::OnDblClkSavedList),
        OnNotify(NotifyCode::RightClick, IDC_SAVED_LIST, &CCacheSearchDlg::OnRClickSavedList),
        OnNotify(NotifyCode::Click, IDC_SAVED_LIST, &CCacheSearchDlg::OnClickSavedList),
        OnBnClicked(IDC_PLAY, &CCacheSearchDlg::OnPlay),
        OnWmClose(&CCacheSearchDlg::OnClose),
        OnWmDestroy(&CCacheSearchDlg::OnDestroy),
    };
    static const MessageMap map{CDialog::GetThisMessageMap(), entries};
    return &map;
}

bool CCacheSearchDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A new window has empty lists, whatever the last one showed.
    m_rowsCache.Reset();
    m_rowsSaved.Reset();
    m_memoCache.Forget();
    m_memoSaved.Forget();
    // Widths in pixels for 굴림, scaled for the font that stands in for it.
    const int name = FixedPixels({kNameColumnWidth, 0}).x;
    const int size = FixedPixels({kSizeColumnWidth, 0}).x;
    m_listCache.InsertColumn(0, K("Internet 임시저장 ZQM File"), ColumnFormat::Left, name);
    m_listCache.InsertColumn(1, "Size", ColumnFormat::Left, size);
    m_listSaved.InsertColumn(0, K("저장된 ZQM File"), ColumnFormat::Left, name);
    m_listSaved.InsertColumn(1, "Size", ColumnFormat::Left, size);
    m_bBusy = 0;
    m_bRefreshActive = 0;
    SetTimer(kCacheTimer, kScanPeriodMs);
    SetTimer(kSaveTimer, kScanPeriodMs);

    auto& services = mrv::platform::GetServices();
    // The streamed files are left in the user's temporary folder.
    m_szCacheFolder = services.GetTempFolder();
    if (m_strSaveLocation.empty()) m_strSaveLocation = services.GetProgramFolder();
    UpdateData(false);
    return true;
}

// A tick that comes while a scan or the copy command holds the busy flag is
// passed over; the next one tries again.
void CCacheSearchDlg::OnTimer(unsigned nIDEvent)
{
    if (m_bBusy) return;
    m_bBusy = 1;
    if (m_bRefreshActive) {
        if (nIDEvent == kCacheTimer) ScanCacheFolder();
        if (nIDEvent == kSaveTimer) ScanSaveFolder();
    }
    m_bBusy = 0;
}

void CCacheSearchDlg::ScanCacheFolder()
{
    UpdateData(true);
    Scan(m_szCacheFolder, m_rowsCache, m_memoCache);
}

void CCacheSearchDlg::ScanSaveFolder()
{
    UpdateData(true);
    Scan(m_strSaveLocation, m_rowsSaved, m_memoSaved);
}

void CCacheSearchDlg::Scan(const std::filesystem::path& folder, ListRows& rows, mrv::cache::FolderMemo& memo)
{
    // Without a window there is no list to bring into line.
    if (!IsAttached()) return;
    m_nameTable.Synchronise(folder, rows, &memo);
}

void CCacheSearchDlg::OnOK()
{
    m_bRefreshActive = 0;
    CDialog::OnOK();
}

void CCacheSearchDlg::OnClose()
{
    m_bRefreshActive = 0;
    CDialog::OnClose();
}

void CCacheSearchDlg::OnDestroy()
{
    m_bRefreshActive = 0;
}
