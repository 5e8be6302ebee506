// The hidden picture windows (templates 131, 132 and 133): empty windows that
// a press at a few fixed points of the main dialog opens. No members, no
// handlers; Enter, Escape and the close box end them.
#pragma once

#include "platform/Dialog.h"

class CPictureDlg : public CDialog {
public:
    explicit CPictureDlg(int templateId);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();
};
