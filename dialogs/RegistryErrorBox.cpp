#include "dialogs/RegistryErrorBox.h"

#include "text/Cp949.h"
#include "res/Strings.h"
#include "platform/Dialog.h"

void ShowRegistryError(CDialog& owner, const mrv::Error& error)
{
    // The core's messages are UTF-8 and may quote a file name that CP949
    // cannot hold; such characters show as '?'.
    owner.MessageBoxCp949(mrv::text::Utf8ToCp949Lossy(error.message), std::string(kRegistryCaption), MsgBox::Ok | MsgBox::IconError);
}
