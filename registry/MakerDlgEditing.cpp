// The main dialog's registry editing: appending and deleting entries.
// (Being built; the handlers do nothing yet.)
#include "app/MakerDlg.h"

void CMakerDlg::OnAddEntry() {}
void CMakerDlg::OnRClickRegistryList(NMHDR*, LRESULT*) {}
bool CMakerDlg::IsPathListed(const std::string&) const { return false; }
bool CMakerDlg::IsTitleListed(const std::string&) const { return false; }
