// "MOD Option": where the handset keeps the music file of a MOD link. Six
// radio buttons, one per storage location; OK is the only button, Escape and
// the close box leave the location as it was.
#pragma once

#include "platform/DataExchange.h"
#include "platform/Dialog.h"

class CModOptionDlg : public CDialog {
public:
    explicit CModOptionDlg(CWnd* pParent = nullptr);
    ~CModOptionDlg() override;

    // Index of the checked radio button, 0..5; -1 until the owner sets it.
    int m_nLocation = -1;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
