// The string table: texts the program loads by id, as UTF-8 (the caller
// converts them to CP949 like every other text of the resources).
#pragma once

#include "res/Resource.h"

#include <string_view>

// The items of the main dialog's system menu: the About box, going back to a backup.
inline constexpr std::string_view kAboutMenuText = "Morvanta 정보(&A)...";
inline constexpr std::string_view kRestoreMenuText = "백업에서 되살리기(&R)...";
inline constexpr std::string_view kImportMenuText = "여러 곡 한꺼번에 추가(&M)...";

// The captions of the program's message boxes: the registry's, the link
// maker's and the search window's.
inline constexpr std::string_view kRegistryCaption = "Morvanta Maker";
inline constexpr std::string_view kLinkMakerCaption = "MRV_Dat000xx Maker";
inline constexpr std::string_view kSearchCaption = "ZQM Search";

// The registry's changes need a chosen registry: "open the modreg.dat file first".
inline constexpr std::string_view kOpenRegistryFirst = "먼저 modreg.dat 화일을 먼져 여세요....";

// The text of string id, or "" for an id the table does not hold.
constexpr std::string_view FindStringResource(int id)
{
    switch (id) {
    case IDS_ABOUTBOX: return kAboutMenuText;
    case IDS_RESTORE_BACKUP: return kRestoreMenuText;
    case IDS_IMPORT_SONGS: return kImportMenuText;
    default: return {};
    }
}
