// Renders the main window to a PNG without a display, to show on a headless
// machine that the program works: mrvmaker-snapshot OUT.png
#include "dialogs/MakerDlg.h"
#include "platform/Testing.h"
#include "res/Resource.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    mrv::platform::testing::ToolkitScope toolkit(argc, argv);
    CMakerDlg dlg;
    if (!dlg.Create(IDD_MAKER_DIALOG)) return 1;
    dlg.ShowWindow(ShowCmd::Show);
    mrv::platform::testing::ProcessEvents(200);
    const bool saved = mrv::platform::testing::SavePng(dlg, argv[1]);
    dlg.DestroyWindow();
    return saved ? 0 : 1;
}
