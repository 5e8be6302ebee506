#include "dialogs/ExtraInfoDlg.h"

#include "registry/RegistryFile.h"
#include "res/Resource.h"

namespace {

// A registry entry keeps each audio text behind a single length byte, so a
// longer text could never reach the handset: the edits take no more, and a
// read refuses more.
constexpr int kMaxAudioTextBytes = static_cast<int>(mrv::registry::kMaxShortText);

} // namespace

CExtraInfoDlg::CExtraInfoDlg(CWnd* pParent) : CDialog(IDD_EXTRA_INFO, pParent) {}

CExtraInfoDlg::~CExtraInfoDlg() = default;

const MessageMap* CExtraInfoDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CExtraInfoDlg::GetThisMessageMap()
{
    static const MessageMap map{CDialog::GetThisMessageMap(), {}};
    return &map;
}

void CExtraInfoDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SAMPLE_RATE, m_strSampleRateKhz);
    DDV_MaxChars(pDX, m_strSampleRateKhz, kMaxAudioTextBytes);
    DDX_Text(pDX, IDC_COPYRIGHT_HOLDER, m_strCopyrightHolder);
    DDV_MaxChars(pDX, m_strCopyrightHolder, kMaxAudioTextBytes);
    DDX_Text(pDX, IDC_AUDIO_KBPS, m_strAudioKbps);
    DDV_MaxChars(pDX, m_strAudioKbps, kMaxAudioTextBytes);
    DDX_Text(pDX, IDC_BITRATE, m_strBitrate);
    DDV_MaxChars(pDX, m_strBitrate, kMaxAudioTextBytes);
    DDX_Text(pDX, IDC_AUDIO_FORMAT, m_strAudioFormat);
    DDV_MaxChars(pDX, m_strAudioFormat, kMaxAudioTextBytes);
}
