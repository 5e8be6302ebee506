// The main dialog's link maker and naming rules.
// (Being built; the handlers do nothing yet.)
#include "app/MakerDlg.h"

void CMakerDlg::MakeLinkFile() {}
void CMakerDlg::OnChangeSaveFolder() {}
void CMakerDlg::OnLinkNumberChanged() {}
void CMakerDlg::OnEntryNumberChanged() {}
void CMakerDlg::OnEntryKindChanged() {}
void CMakerDlg::OnLinkKindChanged() {}
