#include "core/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace mrv {
namespace fs = std::filesystem;

// Messages are built by appending: GCC 12 at -O3 warns falsely (-Wrestrict)
// on "'" + string.
std::string Quoted(const fs::path& file)
{
    std::string s(1, '\'');
    s += file.string();
    s += '\'';
    return s;
}

Error FileError(ErrorCode code, const fs::path& file, const char* action, int errnoValue)
{
    Error e;
    e.code = code;
    e.file = file;
    e.message = Quoted(file);
    e.message += " 화일을 ";
    e.message += action;
    e.message += " 수 없습니다: ";
    e.message += std::strerror(errnoValue);
    return e;
}

Error NotRegularFileError(const fs::path& file)
{
    return Error{ErrorCode::NotRegularFile, Quoted(file) + " 은(는) 보통 화일이 아닙니다.", -1, file};
}

Result<Bytes> ReadWholeFile(const fs::path& file)
{
    // Non-blocking, so that a fifo cannot hang the open; refused below.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return FileError(ErrorCode::OpenFailed, file, "열", errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return FileError(ErrorCode::ReadFailed, file, "읽을", err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotRegularFileError(file);
    }
    // Read straight into the buffer, sized by the file's length; a file that
    // grows meanwhile is read on until its end.
    Bytes bytes(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            const int err = errno;
            ::close(fd);
            return FileError(ErrorCode::ReadFailed, file, "읽을", err);
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    ::close(fd);
    return bytes;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;  // no progress: never spin
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolderOf(const fs::path& file)
{
    const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

Status WriteFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                           std::optional<fs::perms> perms)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return NotRegularFileError(target);
        mode = st.st_mode & 07777;
    } else if (perms) {
        mode = static_cast<mode_t>(*perms) & 07777;
    }

    fs::path temp = target;
    temp += ".mrvtmp-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return FileError(ErrorCode::WriteFailed, target, "쓸", errno);

    int err = 0;
    if (!WriteAll(fd, bytes.data(), bytes.size())) err = errno;
    if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return FileError(ErrorCode::WriteFailed, target, "쓸", err);
    }
    SyncFolderOf(target);
    return Ok{};
}

} // namespace mrv
