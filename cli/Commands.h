// The commands of mrvtool and the options that several of them share.
#pragma once

#include "cli/Args.h"
#include "cli/Cli.h"
#include "core/Types.h"

#include <span>
#include <string>
#include <string_view>

namespace mrv::cli {

struct Command {
    CommandSpec spec;
    int (*run)(const Args& args, Console& console);
};

std::span<const Command> RegistryCommands();   // list, add, delete, check
std::span<const Command> LinkCommands();       // make-link, show-link
std::span<const Command> BackupCommands();     // backups, restore
std::span<const Command> ImportCommands();     // import

// The title the main window starts with, UTF-8.
std::string DefaultTitleUtf8();
// An option's help with its default: "<what> (기본값 <value>)".
std::string WithDefault(std::string_view what, std::string_view value);

// --kind mrv|mod, --number 0..99999, --location 0..5, as the link maker takes them.
ArgSpec KindOption();
ArgSpec NumberOption();
ArgSpec LocationOption();
LinkKind KindOf(const Args& args);
int NumberOf(const Args& args);
StorageLocation LocationOf(const Args& args);

} // namespace mrv::cli
