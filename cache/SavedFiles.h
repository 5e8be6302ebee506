// File operations of the search window's commands on the save folder: a copy
// that never leaves a half-written file under the target's name, a rename that
// never replaces a file, and a short read of a link file's head.
#pragma once

#include "core/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mrv::cache {

// Copies from into to, replacing a file of that name whole or not at all: the
// bytes go to a temporary file beside to, which is renamed over it once
// written. A replaced file keeps its owner and permissions (see
// WriteFileWhole). A target that is the source itself is left alone.
Status CopyReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Copies from to the new file to, which must not exist yet (Exists, changing
// nothing, when it does): the copy appears under its name only once it is
// whole and on the disk, with the source's permissions.
Status CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames from to to; fails, changing nothing, when to already exists.
Status RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// The link files whose song title a saved file shows, in the order to try
// them. A name whose part before ".zqm" (any letter case) is a number from 0
// to 99999, with or without leading zeros, belongs to the link files of that
// number, as the link maker names them: MRV_Dat then MOD_Dat and the number
// in five digits. Any other name keeps the window's old rule: "MRV_Dat000"
// and the name without its last four characters.
std::vector<std::string> SongTitleLinks(const std::string& savedName);

// Up to maxBytes from the start of a regular file opened for reading only;
// nullopt when it cannot be opened or is not a regular file.
std::optional<std::vector<std::uint8_t>> ReadHead(const std::filesystem::path& file, std::size_t maxBytes);

} // namespace mrv::cache
