// The handset's music registry, modreg.dat: its records and their listing
// (Records.h), the backups made before every change (Backups.h), and the
// changes themselves (Changes.h), going back to a backup (Restore.h).
#pragma once

#include "registry/Backups.h"
#include "registry/Changes.h"
#include "registry/Records.h"
#include "registry/Restore.h"
