#include "cache/SavedFiles.h"

#include "core/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrv::cache {

namespace fs = std::filesystem;

bool CopyReplacing(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    // Copying a file onto itself would only put the same bytes back; a naive
    // copy would truncate it first.
    if (fs::equivalent(from, to, ec)) return false;

    auto bytes = ReadWholeFile(from);
    if (!bytes) return false;
    // A new file gets the source's permissions, a replaced one keeps its own.
    const fs::perms perms = fs::status(from, ec).permissions();
    return WriteFileAtomically(to, *bytes, ec ? std::nullopt : std::optional<fs::perms>(perms)).ok();
}

bool RenameWithoutReplacing(const fs::path& from, const fs::path& to)
{
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;   // EEXIST among them
#endif
    // A file system without the flag: a second link fails when the name is taken.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0) return true;
        ::unlink(to.c_str());
        return false;
    }
    if (errno == EEXIST) return false;
    // Nor hard links (FAT on a memory card): test, then rename. Only another
    // program creating the name in between could be replaced.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::optional<std::vector<std::uint8_t>> ReadHead(const fs::path& file, std::size_t maxBytes)
{
    // Non-blocking, so that a fifo of that name cannot hang the window.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(maxBytes);
    std::size_t used = 0;
    while (used < maxBytes) {
        const ssize_t n = ::read(fd, bytes.data() + used, maxBytes - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

} // namespace mrv::cache
