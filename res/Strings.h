// The string table: texts the program loads by id, as UTF-8 (the caller
// converts them to CP949 like every other text of the resources).
#pragma once

#include "res/Resource.h"

#include <string_view>

// The item of the main dialog's system menu that opens the About box.
inline constexpr std::string_view kAboutMenuText = "Morvanta 정보(&A)...";

// The captions of the program's message boxes: the registry's, the link
// maker's and the search window's.
inline constexpr std::string_view kRegistryCaption = "Morvanta Maker";
inline constexpr std::string_view kLinkMakerCaption = "MRV_Dat000xx Maker";
inline constexpr std::string_view kSearchCaption = "ZQM Search";

// The text of string id, or "" for an id the table does not hold.
constexpr std::string_view FindStringResource(int id)
{
    switch (id) {
    case IDS_ABOUTBOX: return kAboutMenuText;
    default: return {};
    }
}
