// The rename popup of the search window: one edit without caption or border,
// placed over the saved file's row. Enter confirms the name, Escape cancels.
// The list of many songs edits a title with it.
#pragma once

#include "platform/DataExchange.h"
#include "platform/Dialog.h"

#include <string>

class CRenameEditDlg : public CDialog {
public:
    explicit CRenameEditDlg(CWnd* pParent = nullptr);
    ~CRenameEditDlg() override;

    int m_nTop = 0;          // screen position of the popup's top-left corner
    int m_nLeft = 0;
    std::string m_strName;   // edit 1004, CP949
    int m_nLimit = 0;        // CP949 bytes the edit takes; 0: no limit

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
};
