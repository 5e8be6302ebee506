// The ZQM search window: a modeless window beside the main dialog with the
// cached and the saved .zqm files. The main dialog owns it and reaches it
// through SearchWindow alone.
#pragma once

#include "cache/CacheScan.h"
#include "dialogs/ListRows.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "dialogs/RowListCtrl.h"
#include "dialogs/SearchWindow.h"

#include <filesystem>
#include <string>

class CCacheSearchDlg : public CDialog, public SearchWindow {
public:
    CCacheSearchDlg();

    // SearchWindow
    void CreateHidden(CDialog& owner) override;
    void ShowScanning(const std::filesystem::path& saveFolder) override;
    void SetAutoName(const std::string& name) override;
    std::filesystem::path CacheFolder() const override { return m_szCacheFolder; }
    void Destroy() override;

    int m_bRefreshActive = 0;       // 1: the timer ticks scan the folders
    std::string m_szAutoName;       // automatic rename name, written by the main dialog
    std::filesystem::path m_szCacheFolder;
    mrv::cache::FolderScanner m_nameTable;   // shared by both scans, which never overlap
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

    // Bring each list into line with its folder.
    void ScanCacheFolder();
    void ScanSaveFolder();

    void OnSaveLocation();
    void OnCopyToSaveFolder();
    void OnDblClkSavedList(NotifyHeader* pNMHDR, MessageResult* pResult);
    void OnRClickSavedList(NotifyHeader* pNMHDR, MessageResult* pResult);
    void OnClickSavedList(NotifyHeader* pNMHDR, MessageResult* pResult);
    void OnPlay();

    // The host file names of the rows (the lists show them in CP949).
    const ListRows& CacheRows() const { return m_rowsCache; }
    const ListRows& SavedRows() const { return m_rowsSaved; }

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

private:
    void Scan(const std::filesystem::path& folder, ListRows& rows, mrv::cache::FolderMemo& memo);
    // Host path of a file of the save folder.
    std::filesystem::path InSaveFolder(const std::string& name) const;

    ListRows m_rowsCache{m_listCache};
    ListRows m_rowsSaved{m_listSaved};
    // What each list was last brought into line with: an idle tick reads no folder.
    mrv::cache::FolderMemo m_memoCache;
    mrv::cache::FolderMemo m_memoSaved;
};
