#include "core/RandomAccessFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrv {
namespace fs = std::filesystem;

namespace {

class PosixFile final : public RandomAccessFile {
public:
    PosixFile(fs::path path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    ~PosixFile() override { ::close(m_fd); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    const fs::path& path() const override { return m_path; }

    Result<std::uint64_t> size() override
    {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) return FileError(ErrorCode::ReadFailed, m_path, "읽을", errno);
        return static_cast<std::uint64_t>(st.st_size);
    }

    Status readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(m_fd, out.data() + done, out.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return FileError(ErrorCode::ReadFailed, m_path, "읽을", errno);
            if (n == 0) {
                Error e{ErrorCode::ReadFailed, Quoted(m_path) + " 화일이 읽는 도중에 짧아졌습니다.",
                        static_cast<std::int64_t>(offset + done), m_path};
                return e;
            }
            done += static_cast<std::size_t>(n);
        }
        return Ok{};
    }

    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                Error e = FileError(ErrorCode::WriteFailed, m_path, "쓸", n < 0 ? errno : EIO);
                e.offset = static_cast<std::int64_t>(offset + done);
                return e;
            }
            done += static_cast<std::size_t>(n);
        }
        return Ok{};
    }

    Status sync() override
    {
        // The data and the length, which is all a reader needs; not the times.
        if (::fdatasync(m_fd) != 0) return FileError(ErrorCode::WriteFailed, m_path, "디스크에 쓸", errno);
        return Ok{};
    }

private:
    fs::path m_path;
    int m_fd;
};

} // namespace

Result<std::unique_ptr<RandomAccessFile>> OpenForUpdate(const fs::path& file)
{
    // Looked at before opening, so that a fifo cannot block the open.
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return NotRegularFileError(file);
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return FileError(ErrorCode::OpenFailed, file, "읽고 쓰기로 열", errno);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotRegularFileError(file);
    }
    return std::unique_ptr<RandomAccessFile>(new PosixFile(file, fd));
}

Result<Bytes> ReadAll(RandomAccessFile& file)
{
    const auto size = file.size();
    if (!size) return size.error();
    Bytes bytes(static_cast<std::size_t>(*size));
    if (auto read = file.readAt(0, bytes); !read) return read.error();
    return bytes;
}

Result<bool> WriteNewFile(const fs::path& file, std::span<const std::uint8_t> bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        if (errno == EEXIST) return false;
        return FileError(ErrorCode::WriteFailed, file, "만들", errno);
    }
    int err = 0;
    if (!WriteAll(fd, bytes.data(), bytes.size())) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        ::unlink(file.c_str());
        return FileError(ErrorCode::WriteFailed, file, "쓸", err);
    }
    SyncFolderOf(file);
    return true;
}

} // namespace mrv
