// "여러 곡 한꺼번에 추가": the music files of a folder as songs, each with the
// title, number, link file, music file, size and play time it gets, or why it
// is left out; titles can be changed in the list; "추가" makes them all, or
// nothing. Opened from the main dialog's system menu with the window's
// registry, save folder, link kind, storage location and audio information.
#pragma once

#include "dialogs/RowListCtrl.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "songs/Import.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>

class CImportDlg : public CDialog {
public:
    // tempFolder: the search window's; added runs after each import.
    CImportDlg(mrv::songs::ImportSettings settings, std::filesystem::path tempFolder, std::function<void()> added,
               CWnd* pParent = nullptr);

    CRowListCtrl m_listSongs;              // list 1061
    std::filesystem::path m_strFolder;     // static 1056: where the songs come from
    int m_nFirst = 1;                      // edit 1060
    std::string m_strSummary;              // static 1062

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnChooseFolder();
    void OnFromSaveFolder();
    void OnFromTempFolder();
    void OnFirstChanged();
    void OnRClickSong(NotifyHeader* pNMHDR, MessageResult* pResult);
    void OnAdd();

    const mrv::songs::ImportPlan& Plan() const { return m_plan; }

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

private:
    // Plans again from the folder (keeping titles the user gave), or only
    // numbers the rows again, and shows the rows.
    void PlanFrom(const std::filesystem::path& folder);
    void Refresh();
    void ShowRows();

    mrv::songs::ImportSettings m_settings;
    std::filesystem::path m_tempFolder;
    std::function<void()> m_added;
    mrv::songs::ImportPlan m_plan;
    std::map<std::string, std::string> m_titles;   // titles the user gave, UTF-8, by file name
};
