// How the main dialog tells the user that a registry file could not be read,
// changed or backed up.
#pragma once

#include "core/Result.h"

class CDialog;

// A message box with the error's Korean text, the registry's caption, error icon.
void ShowRegistryError(CDialog& owner, const mrv::Error& error);
