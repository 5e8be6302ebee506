// How a registry file is read: in pieces, so that memory does not grow with
// the file. The usual values serve every file; tests make the pieces small, so
// that every record crosses a piece's border, and read ahead on a thread from
// a smaller size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrv::registry {

struct ReadOptions {
    std::size_t piece = std::size_t{1} << 20;                // bytes one read asks for at most
    std::uint64_t readAheadAbove = std::uint64_t{32} << 20;  // larger files are read ahead on a second thread
};

} // namespace mrv::registry
