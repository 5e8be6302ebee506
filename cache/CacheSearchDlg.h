// The ZQM search window: a modeless window beside the main dialog with the
// cached and the saved .zqm files. One object for the whole process.
#pragma once

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "ui/RowListCtrl.h"

#include <filesystem>
#include <string>

class CCacheSearchDlg : public CDialog {
public:
    CCacheSearchDlg();

    int m_bRefreshActive = 0;       // 1: the timer ticks scan the folders
    std::string m_szAutoName;       // automatic rename name, written by the main dialog
    std::filesystem::path m_szCacheFolder;
    int m_bBusy = 0;                // 1 while a scan runs
    CRowListCtrl m_listCache;       // list 1005
    CRowListCtrl m_listSaved;       // list 1029
    std::filesystem::path m_strSaveLocation;  // static 1032; ends with a separator once set
    std::string m_strSongTitle;     // static 1034

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnTimer(unsigned nIDEvent);
    void OnClose();
    void OnDestroy();

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();
};

extern CCacheSearchDlg g_dlgCacheSearch;
