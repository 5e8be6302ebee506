// The main dialog's two option dialogs: the storage location of MOD links and
// the audio texts of new registry entries.
#include "dialogs/MakerDlg.h"

#include "dialogs/ExtraInfoDlg.h"
#include "link/LinkFile.h"
#include "dialogs/ModOptionDlg.h"

void CMakerDlg::OnModOption()
{
    CModOptionDlg dlg(this);
    dlg.m_nLocation = m_nStorageLocation;
    dlg.DoModal();

    // Whatever ended the dialog: after Escape or the close box the member still
    // holds the location given above. A run that left no button checked cannot
    // name a location, and a link file must never get one outside 0..5.
    if (dlg.m_nLocation >= 0 && dlg.m_nLocation < mrv::kStorageLocationCount)
        m_nStorageLocation = dlg.m_nLocation;
    m_bDcfTarget = mrv::link::IsDcfLocation(m_nStorageLocation) ? 1 : 0;

    // The target file name's extension may have changed with the location.
    OnLinkNumberChanged();
}

void CMakerDlg::OnExtraInfo()
{
    CExtraInfoDlg dlg(this);
    dlg.m_strBitrate = m_szBitrate;
    dlg.m_strAudioKbps = m_szAudioKbps;
    dlg.m_strSampleRateKhz = m_szSampleRateKhz;
    dlg.m_strCopyrightHolder = m_szCopyrightHolder;
    dlg.m_strAudioFormat = m_szAudioFormat;

    if (dlg.DoModal() != CommandId::Ok) return;

    // All five are taken, changed or not; an emptied edit gives an empty text.
    m_szBitrate = dlg.m_strBitrate;
    m_szAudioKbps = dlg.m_strAudioKbps;
    m_szSampleRateKhz = dlg.m_strSampleRateKhz;
    m_szCopyrightHolder = dlg.m_strCopyrightHolder;
    m_szAudioFormat = dlg.m_strAudioFormat;
}
