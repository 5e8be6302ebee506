// The file calls of the format core on POSIX systems.
#include "core/FileSystem.h"

#include "core/FileIO.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrv::os {
namespace {

Error Fail(ErrorCode code, const fs::path& file, const char* action, int err)
{
    return FileError(code, file, action, err);
}

// An injected fault, as the system would report it.
constexpr int kInjectedError = EIO;

FileInfo InfoOf(const struct stat& st)
{
    FileInfo info;
    info.regular = S_ISREG(st.st_mode);
    info.folder = S_ISDIR(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.links = static_cast<std::uint64_t>(st.st_nlink);
    info.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    info.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
    info.owner = static_cast<std::int64_t>(st.st_uid);
    info.group = static_cast<std::int64_t>(st.st_gid);
    info.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return info;
}

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

} // namespace

Result<File> File::Open(const fs::path& path, Access access)
{
    // Non-blocking, so that a fifo cannot hang the open; it is refused below.
    const int flags = (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0 && errno == EISDIR) return NotRegularFileError(path);
    if (fd < 0) {
        return Fail(ErrorCode::OpenFailed, path, access == Access::Read ? "열" : "읽고 쓰기로 열", errno);
    }
    File file(path, fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Fail(ErrorCode::ReadFailed, path, "읽을", errno);
    if (!S_ISREG(st.st_mode)) return NotRegularFileError(path);
    return file;
}

Result<File> File::CreateNew(const fs::path& path, std::uint32_t mode)
{
    if (FaultInjected(FaultPoint::Create, path)) return Fail(ErrorCode::WriteFailed, path, "만들", kInjectedError);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, static_cast<mode_t>(mode));
    if (fd < 0) return Fail(errno == EEXIST ? ErrorCode::Exists : ErrorCode::WriteFailed, path, "만들", errno);
    return File(path, fd);
}

void File::Close()
{
    if (m_handle >= 0) ::close(Fd(m_handle));
    m_handle = -1;
}

Result<FileInfo> File::Info() const
{
    struct stat st {};
    if (::fstat(Fd(m_handle), &st) != 0) return Fail(ErrorCode::ReadFailed, m_path, "읽을", errno);
    return InfoOf(st);
}

Result<std::size_t> File::ReadSome(std::uint64_t offset, std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(Fd(m_handle), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) return AtOffset(Fail(ErrorCode::ReadFailed, m_path, "읽을", errno), offset + done);
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

Status File::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    std::size_t limit = bytes.size();
    const bool injected = FaultInjected(FaultPoint::Write, m_path);
    if (injected) limit = bytes.size() / 2;  // a full disk takes part of a write
    std::size_t done = 0;
    while (done < limit) {
        const ssize_t n = ::pwrite(Fd(m_handle), bytes.data() + done, limit - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            return AtOffset(Fail(ErrorCode::WriteFailed, m_path, "쓸", n < 0 ? errno : EIO), offset + done);
        }
        done += static_cast<std::size_t>(n);
    }
    if (injected) return AtOffset(Fail(ErrorCode::WriteFailed, m_path, "쓸", ENOSPC), offset + done);
    return Ok{};
}

Status File::Truncate(std::uint64_t size)
{
    if (FaultInjected(FaultPoint::Truncate, m_path)) return Fail(ErrorCode::WriteFailed, m_path, "줄일", kInjectedError);
    if (::ftruncate(Fd(m_handle), static_cast<off_t>(size)) != 0) return Fail(ErrorCode::WriteFailed, m_path, "줄일", errno);
    return Ok{};
}

Status File::Sync()
{
    if (FaultInjected(FaultPoint::Sync, m_path)) return Fail(ErrorCode::WriteFailed, m_path, "디스크에 쓸", kInjectedError);
    if (::fdatasync(Fd(m_handle)) != 0) return Fail(ErrorCode::WriteFailed, m_path, "디스크에 쓸", errno);
    return Ok{};
}

void File::StartWriteBack(std::uint64_t offset, std::uint64_t length)
{
#if defined(SYNC_FILE_RANGE_WRITE)
    (void)::sync_file_range(Fd(m_handle), static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)length;
#endif
}

Status File::TakeOwnershipOf(const FileInfo& info)
{
    struct stat st {};
    if (::fstat(Fd(m_handle), &st) != 0) return Fail(ErrorCode::WriteFailed, m_path, "읽을", errno);
    if (info.owner >= 0 && (st.st_uid != static_cast<uid_t>(info.owner) || st.st_gid != static_cast<gid_t>(info.group))) {
        if (::fchown(Fd(m_handle), static_cast<uid_t>(info.owner), static_cast<gid_t>(info.group)) != 0)
            return Fail(ErrorCode::WriteFailed, m_path, "주인을 바꿀", errno);
    }
    // After the owner: a change of owner may clear the set-id bits.
    if (::fchmod(Fd(m_handle), static_cast<mode_t>(info.mode & 07777)) != 0)
        return Fail(ErrorCode::WriteFailed, m_path, "권한을 바꿀", errno);
    return Ok{};
}

Status File::SetModified(std::int64_t ns)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)}};
    if (::futimens(Fd(m_handle), times) != 0) return Fail(ErrorCode::WriteFailed, m_path, "시각을 바꿀", errno);
    return Ok{};
}

Result<bool> File::TryLock()
{
    if (FaultInjected(FaultPoint::Lock, m_path)) return Fail(ErrorCode::OpenFailed, m_path, "잠글", kInjectedError);
    // flock, not fcntl: an fcntl lock would end when any other descriptor of
    // this process on the same file is closed.
    if (::flock(Fd(m_handle), LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK || errno == EINTR) return false;
    if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP) return true;
    return Fail(ErrorCode::OpenFailed, m_path, "잠글", errno);
}

// A rename here replaces an open file, lock and all: nothing is ever between
// the lock and the new name.
bool File::BeingReplaced() const { return false; }

Status ReplaceHeld(File& /*held*/, const fs::path& from, const fs::path& to) { return RenameReplacing(from, to); }

Result<fs::path> FinalPath(const fs::path& path)
{
    fs::path p = path;
    // As many links as the system itself follows in one name.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n < 0) return Fail(ErrorCode::OpenFailed, p, "따라갈", errno);
        target.resize(static_cast<std::size_t>(n));
        const fs::path next(target);
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return Fail(ErrorCode::OpenFailed, path, "따라갈", ELOOP);
}

Result<FileInfo> Stat(const fs::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Fail(ErrorCode::OpenFailed, path, "찾을", errno);
    return InfoOf(st);
}

Status RenameReplacing(const fs::path& from, const fs::path& to)
{
    if (FaultInjected(FaultPoint::Rename, to)) return Fail(ErrorCode::WriteFailed, to, "바꿀", kInjectedError);
    if (::rename(from.c_str(), to.c_str()) != 0) return Fail(ErrorCode::WriteFailed, to, "바꿀", errno);
    return Ok{};
}

Status RenameNoReplace(const fs::path& from, const fs::path& to)
{
    if (FaultInjected(FaultPoint::Rename, to)) return Fail(ErrorCode::WriteFailed, to, "만들", kInjectedError);
    const auto taken = [&to] { return Fail(ErrorCode::Exists, to, "만들", EEXIST); };
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return Ok{};
    if (errno == EEXIST) return taken();
    if (errno != EINVAL && errno != ENOSYS) return Fail(ErrorCode::WriteFailed, to, "만들", errno);
#endif
    // A file system without the flag: a second name fails when it is taken.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return Ok{};
    }
    if (errno == EEXIST) return taken();
    // Nor hard links (FAT on a memory card): look, then rename. Only another
    // program creating the name in between could be replaced.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return taken();
    if (::rename(from.c_str(), to.c_str()) != 0) return Fail(ErrorCode::WriteFailed, to, "만들", errno);
    return Ok{};
}

Status LinkNoReplace(const fs::path& existing, const fs::path& link)
{
    if (FaultInjected(FaultPoint::Rename, link)) return Fail(ErrorCode::WriteFailed, link, "만들", kInjectedError);
    if (::link(existing.c_str(), link.c_str()) == 0) return Ok{};
    const int err = errno;
    if (err == EEXIST) return Fail(ErrorCode::Exists, link, "만들", err);
    if (err == EPERM || err == EOPNOTSUPP || err == EXDEV || err == EMLINK || err == ENOSYS)
        return Fail(ErrorCode::Unsupported, link, "만들", err);
    return Fail(ErrorCode::WriteFailed, link, "만들", err);
}

Status RemoveFile(const fs::path& path)
{
    if (FaultInjected(FaultPoint::Remove, path)) return Fail(ErrorCode::WriteFailed, path, "지울", kInjectedError);
    if (::unlink(path.c_str()) != 0) return Fail(ErrorCode::WriteFailed, path, "지울", errno);
    return Ok{};
}

Status SyncFolder(const fs::path& folder)
{
    const fs::path dir = folder.empty() ? fs::path(".") : folder;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Fail(ErrorCode::WriteFailed, dir, "디스크에 쓸", errno);
    int err = 0;
    if (FaultInjected(FaultPoint::Sync, dir)) err = kInjectedError;
    else if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) err = errno;
    ::close(fd);
    if (err != 0) return Fail(ErrorCode::WriteFailed, dir, "디스크에 쓸", err);
    return Ok{};
}

Status ListFolder(const fs::path& folder, const std::function<bool(std::string_view, EntryType)>& visit)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return Fail(ErrorCode::OpenFailed, folder, "열", errno);
    const int dfd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        EntryType type = EntryType::Other;
        if (entry->d_type == DT_REG) type = EntryType::File;
        else if (entry->d_type == DT_DIR) type = EntryType::Folder;
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(dfd, entry->d_name, &st, 0) == 0)
                type = S_ISREG(st.st_mode) ? EntryType::File : S_ISDIR(st.st_mode) ? EntryType::Folder : EntryType::Other;
        }
        if (!visit(name, type)) break;
    }
    ::closedir(dir);
    return Ok{};
}

std::uint32_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~static_cast<std::uint32_t>(mask);
}

std::string FoldName(std::string_view utf8) { return std::string(utf8); }

fs::path PathFromUtf8(std::string_view utf8) { return fs::path(std::string(utf8)); }

std::string PathText(const fs::path& path) { return path.string(); }

std::string SystemErrorText(int error)
{
    char buf[256];
    // The GNU variant may return a static text instead of filling buf.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    return ::strerror_r(error, buf, sizeof buf);
#else
    if (::strerror_r(error, buf, sizeof buf) != 0) return "error " + std::to_string(error);
    return buf;
#endif
}

} // namespace mrv::os
