// Registries of many entries for the benchmarks, written once per run into a
// scratch folder that is removed at the end.
#pragma once

#include "core/FileIO.h"

#include <filesystem>
#include <map>
#include <string>

namespace mrv::bench {

class Scratch {
public:
    Scratch();
    ~Scratch();
    const std::filesystem::path& Dir() const { return m_dir; }

    // A registry of n entries as a handset holds them (Korean titles, MRV
    // paths, the default audio texts), written to name in the scratch folder
    // and flushed, so that what is measured next does not pay for writing
    // it. Made once per n and kept on the disk, not in memory: a process
    // started from here would otherwise count this one's memory as its own.
    std::filesystem::path WriteRegistry(const std::string& name, int entries);

private:
    std::filesystem::path m_dir;
    std::map<int, std::filesystem::path> m_made;
};

Scratch& TheScratch();

// Writes bytes to file and flushes them to the disk.
void WriteFlushed(const std::filesystem::path& file, const Bytes& bytes);

} // namespace mrv::bench
