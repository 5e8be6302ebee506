// "백업화일 정리": how many of the newest backups stay when the rest go.
#pragma once

#include "platform/DataExchange.h"
#include "platform/Dialog.h"

class CTidyDlg : public CDialog {
public:
    explicit CTidyDlg(CWnd* pParent = nullptr);

    // The backups that stay, newest first: at least one.
    int m_nKeep = 5;

    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();
};
