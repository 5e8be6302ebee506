// The main dialog: the link maker (upper left), the registry entry (lower
// left) and the registry list (right). It owns all state of both; the handlers
// of each subsystem live in files of their own beside this one.
#pragma once

#include "dialogs/CacheSearchDlg.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "registry/RegistryFile.h"
#include "dialogs/RowListCtrl.h"

#include <filesystem>
#include <string>

// The rows of the registry list: each listed entry's title in column 0 and its
// path in column 1, shown in owner-data mode.
class ListedEntries : public ListRowSource {
public:
    mrv::registry::Listing listing;
    std::string_view ItemText(int item, int subItem) const override;
};

class CMakerDlg : public CDialog {
public:
    explicit CMakerDlg(CWnd* pParent = nullptr);

    // ---- State (declaration order as the exchange and the handlers expect) ----
    int m_bDcfTarget = 0;          // 1 while the storage location holds DCF files (2, 3, 5)
    int m_nStorageLocation = 0;    // 0..5, chosen in the MOD Option dialog
    // The fixed texts of the link maker and of the audio information, CP949.
    // They never reach a control; handlers read and write them.
    std::string m_szLinkPrefix;    // "MRV_Dat" or "MOD_Dat", follows the link kind
    std::string m_szEntryPrefix;   // "MRV_Dat" or "MOD_Dat", follows the entry kind
    std::string m_szAudioFormat;
    std::string m_szSampleRateKhz;
    std::string m_szAudioKbps;
    std::string m_szBitrate;
    std::string m_szCopyrightHolder;
    CButton m_btnModOption;                  // button 1044
    CRowListCtrl m_listRegistry;             // list 1020
    std::string m_strLinkFileName;           // static 1000
    std::string m_strLinkTitle;              // edit 1004, at most 50 bytes
    int m_nLinkNumber = 0;                   // edit 1002
    std::string m_strTargetName;             // static 1005
    std::filesystem::path m_strSaveFolder;   // static 1006; ends with a separator once set
    std::filesystem::path m_strRegistryPath; // static 1010
    std::string m_strEntryTitle;             // edit 1014
    std::string m_strEntryLinkName;          // edit 1015 (disabled)
    int m_nFileSize = 0;                     // edit 1016
    int m_nPlayTime = 0;                     // edit 1019
    int m_bNoBackup = 0;                     // check box 1037
    int m_nEntryNumber = 0;                  // edit 1041, 0..99999
    int m_nEntryKind = -1;                   // radios 1038/1039
    int m_nLinkKind = -1;                    // radios 1042/1043
    int m_hIcon;                             // the application icon's resource
    // The entries list 1020 shows, as last read from the registry file.
    ListedEntries m_listed;

    // The search window, which this dialog owns and reaches only as a SearchWindow.
    SearchWindow& Search() { return m_dlgCacheSearch; }
    // The whole of it, for the tests that drive it as a user would.
    CCacheSearchDlg& SearchDlgForTesting() { return m_dlgCacheSearch; }

    // The five audio texts every new entry carries, as the window holds them.
    mrv::AudioInfo AudioOfForm() const;

    // ---- Start-up and the two small commands ----
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowSearch();
    void OnOpenFolder();
    void OnDestroy();

    // ---- System menu and the hidden picture windows ----
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    // ---- Going back to a backup (MakerDlgRestore.cpp) ----
    void OnRestoreBackup();
    // ---- Many songs at once (MakerDlgImport.cpp) ----
    void OnImportSongs();
    void OnLButtonDown(unsigned nFlags, CPoint point);
    void OnLButtonDblClk(unsigned nFlags, CPoint point);
    // Where a point of the picture for 굴림 (pixels of the client area at 96
    // DPI) lies now: on the same spot of the picture, whatever its size.
    CPoint HiddenPicturePoint(CPoint gulimPixels) const;

    // ---- Registry listing (MakerDlgListing.cpp) ----
    void OnLoadRegistry();
    void LoadRegistryList();
    void OnChangeLinkTitle();

    // ---- Registry editing (MakerDlgEditing.cpp) ----
    void OnAddEntry();
    void OnRClickRegistryList(NotifyHeader* pNMHDR, MessageResult* pResult);

    // ---- Link maker and naming rules (MakerDlgLink.cpp) ----
    void MakeLinkFile();
    void OnChangeSaveFolder();
    void OnLinkNumberChanged();
    void OnEntryNumberChanged();
    void OnEntryKindChanged();
    void OnLinkKindChanged();

    // ---- Option dialogs (MakerDlgOptions.cpp) ----
    void OnModOption();
    void OnExtraInfo();

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

private:
    CCacheSearchDlg m_dlgCacheSearch;
};

// The folder new link files go to when the program starts: the program's
// folder, or the user's home folder when the program's folder cannot be written
// (an installed program). Always ends with a separator.
std::filesystem::path StartSaveFolder();
