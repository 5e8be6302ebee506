#include "dialogs/PictureDlg.h"

// Without an owner of its own: the window whose handler runs it owns it.
CPictureDlg::CPictureDlg(int templateId) : CDialog(templateId) {}

const MessageMap* CPictureDlg::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CPictureDlg::GetThisMessageMap()
{
    static const MessageMap map{CDialog::GetThisMessageMap(), {}};
    return &map;
}
