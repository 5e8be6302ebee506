// The main dialog's two option dialogs.
// (Being built; the handlers do nothing yet.)
#include "app/MakerDlg.h"

void CMakerDlg::OnModOption() {}
void CMakerDlg::OnExtraInfo() {}
