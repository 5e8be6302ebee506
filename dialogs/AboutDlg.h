// The About box (template 100): the program's name and version beside its
// icon. It holds nothing and handles nothing of its own; OK, Enter, Escape and
// the close box end it as for any dialog.
#pragma once

#include "platform/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    void DoDataExchange(CDataExchange* pDX) override;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();
};
