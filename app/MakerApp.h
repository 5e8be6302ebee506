// The application object: runs the main dialog and ends when it ends.
#pragma once

#include "platform/Dialog.h"

class CMakerApp : public CWinApp {
public:
    bool InitInstance() override;
};

extern CMakerApp theApp;
