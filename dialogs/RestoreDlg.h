// "백업에서 되살리기": the backups of the loaded registry, newest first, each
// with when it was made and what it holds; the chosen one restored after a
// question, old ones tidied away. Opened from the main dialog's system menu.
#pragma once

#include "dialogs/RowListCtrl.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "registry/Restore.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CRestoreDlg : public CDialog {
public:
    // restored runs after each restore that changed the registry.
    CRestoreDlg(std::filesystem::path registry, std::function<void()> restored, CWnd* pParent = nullptr);

    CRowListCtrl m_listBackups;     // list 1051
    std::string m_strChosen;        // static 1052: the chosen backup's name, or why it cannot be restored

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnClickBackup(NotifyHeader* pNMHDR, MessageResult* pResult);
    void OnRestore();
    void OnTidy();

    // The backups as the list shows them, newest first.
    const std::vector<mrv::registry::BackupInfo>& Backups() const { return m_backups; }

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

private:
    void LoadBackups();
    const mrv::registry::BackupInfo* Selected() const;

    std::filesystem::path m_registry;
    std::function<void()> m_restored;
    std::vector<mrv::registry::BackupInfo> m_backups;
};
