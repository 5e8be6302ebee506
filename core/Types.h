// Types shared by the link files and the registry entries.
#pragma once

#include <string>

namespace mrv {

// 0 = MRV, 1 = MOD. Chooses the name prefix, the link type byte, the phone-side
// path format of a registry entry and the trailer of a registry entry.
enum class LinkKind : int { Mrv = 0, Mod = 1 };

// Where the handset keeps the music file of a MOD link: 0..5 (see link/LinkFile.h
// for the table). Kept as a plain int because the dialogs bind it to radio indexes.
using StorageLocation = int;
constexpr StorageLocation kStorageLocationCount = 6;

// The five free-text strings written into every new registry entry, CP949 bytes.
struct AudioInfo {
    std::string copyrightHolder;
    std::string bitrate;
    std::string kbps;
    std::string samplingRate;
    std::string audioFormat;
};

} // namespace mrv
