// Types shared by the link files and the registry entries.
#pragma once

#include <string>
#include <string_view>

namespace mrv {

// 0 = MRV, 1 = MOD. Chooses the name prefix, the link type byte, the phone-side
// path format of a registry entry and the trailer of a registry entry.
enum class LinkKind : int { Mrv = 0, Mod = 1 };

// Where the handset keeps the music file of a MOD link: 0..5 (see link/LinkFile.h
// for the table). Kept as a plain int because the dialogs bind it to radio indexes.
using StorageLocation = int;
constexpr StorageLocation kStorageLocationCount = 6;

// The title of a new link file and a new registry entry until the user types
// one: "노래제목입력" (enter song title) in CP949.
inline constexpr std::string_view kDefaultTitle = "\xB3\xEB\xB7\xA1\xC1\xA6\xB8\xF1\xC0\xD4\xB7\xC2";

// The five free-text strings written into every new registry entry, CP949 bytes.
struct AudioInfo {
    std::string copyrightHolder;
    std::string bitrate;
    std::string kbps;
    std::string samplingRate;
    std::string audioFormat;
};

} // namespace mrv
