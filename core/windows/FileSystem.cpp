// The file calls of the format core on Windows: wide-character Win32 calls,
// every handle opened to share reading, writing and deleting, so that a file
// can be renamed over while this program or another holds it open, as on
// POSIX systems.
#include "core/FileSystem.h"

#include "core/FileIO.h"
#include "core/windows/Wide.h"

#include <windows.h>

#include <algorithm>
#include <thread>

namespace mrv::os {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// An injected fault, as the system would report it.
constexpr int kInjectedError = ERROR_WRITE_FAULT;
// The largest piece one ReadFile or WriteFile call takes.
constexpr std::size_t kMaxPiece = std::size_t{1} << 30;
// Every writer locks one byte far beyond any end of file: Windows locks keep
// other handles from reading and writing the bytes they cover, and a reader
// of this program must never be kept from the content.
constexpr DWORD kLockOffsetLow = 0xFFFFFFFEu;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;
// A virus scanner or indexer may hold a file for a moment without sharing
// its deletion; renames and removals are tried again for this long.
constexpr int kSharingRetries = 20;
constexpr std::chrono::milliseconds kSharingPause{50};

Error Fail(ErrorCode code, const fs::path& file, const char* action, DWORD err)
{
    return FileError(code, file, action, static_cast<int>(err));
}

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::int64_t NsSince1970(const FILETIME& t)
{
    // FILETIME counts 100 ns steps from 1601-01-01.
    constexpr std::int64_t k1601To1970 = 116444736000000000;
    const auto ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    return (ticks - k1601To1970) * 100;
}

FileInfo InfoOf(const BY_HANDLE_FILE_INFORMATION& bh, DWORD fileType)
{
    FileInfo info;
    info.folder = (bh.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.regular = !info.folder && fileType == FILE_TYPE_DISK;
    info.size = (static_cast<std::uint64_t>(bh.nFileSizeHigh) << 32) | bh.nFileSizeLow;
    info.links = bh.nNumberOfLinks;
    info.id = {bh.dwVolumeSerialNumber, (static_cast<std::uint64_t>(bh.nFileIndexHigh) << 32) | bh.nFileIndexLow};
    info.modifiedNs = NsSince1970(bh.ftLastWriteTime);
    return info;
}

Result<FileInfo> InfoOfHandle(HANDLE h, const fs::path& path, ErrorCode code)
{
    BY_HANDLE_FILE_INFORMATION bh{};
    if (!::GetFileInformationByHandle(h, &bh)) return Fail(code, path, "읽을", ::GetLastError());
    return InfoOf(bh, ::GetFileType(h));
}

// A rename or removal of a file that another program holds without sharing
// its deletion; a file on its way out reads as "access denied".
bool IsSharingFailure(DWORD err) { return err == ERROR_SHARING_VIOLATION || err == ERROR_ACCESS_DENIED || err == ERROR_LOCK_VIOLATION; }
// An open of a file another program holds without sharing it. Not "access
// denied": that is a read-only file, which waiting does not change.
bool IsHeldByAnother(DWORD err) { return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION; }

// Runs a call again for a moment while another program holds the file
// without sharing (retry tells which errors mean that); yields the last
// error, or 0.
template <class Call>
DWORD WithRetries(Call call, bool (*retry)(DWORD) = IsSharingFailure)
{
    for (int attempt = 0;; ++attempt) {
        if (call()) return 0;
        const DWORD err = ::GetLastError();
        if (!retry(err) || attempt == kSharingRetries) return err;
        std::this_thread::sleep_for(kSharingPause);
    }
}

bool NameExists(const fs::path& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsTakenError(DWORD err) { return err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS; }

// The name of the object that a writer holds while it replaces the file
// with this identity by a rename (ReplaceHeld).
std::wstring ReplaceGuardName(const FileId& id)
{
    wchar_t name[80];
    ::swprintf(name, 80, L"Local\\mrvmaker-replacing-%llx-%llx", static_cast<unsigned long long>(id.device),
               static_cast<unsigned long long>(id.index));
    return name;
}

// A named mutex, held from Enter until the object goes. Abandoned by a
// writer that died holding it, it counts as free.
class ReplaceGuard {
public:
    explicit ReplaceGuard(const FileId& id) : m_mutex(::CreateMutexW(nullptr, FALSE, ReplaceGuardName(id).c_str())) {}
    ReplaceGuard(const ReplaceGuard&) = delete;
    ReplaceGuard& operator=(const ReplaceGuard&) = delete;
    ~ReplaceGuard()
    {
        if (m_held) ::ReleaseMutex(m_mutex);
        if (m_mutex) ::CloseHandle(m_mutex);
    }
    bool Enter(DWORD waitMs)
    {
        if (!m_mutex) return false;
        const DWORD r = ::WaitForSingleObject(m_mutex, waitMs);
        m_held = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
        return m_held;
    }

private:
    HANDLE m_mutex;
    bool m_held = false;
};

OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}

} // namespace

Result<File> File::Open(const fs::path& path, Access access)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return NotRegularFileError(path);
    const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    HANDLE h = INVALID_HANDLE_VALUE;
    // A virus scanner or another program holding the file without sharing
    // it is waited for, as renames and removals wait.
    const DWORD err = WithRetries([&] {
        h = ::CreateFileW(path.c_str(), rights, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h != INVALID_HANDLE_VALUE;
    }, IsHeldByAnother);
    if (h == INVALID_HANDLE_VALUE) return Fail(ErrorCode::OpenFailed, path, access == Access::Read ? "열" : "읽고 쓰기로 열", err);
    File file(path, reinterpret_cast<std::intptr_t>(h));
    // Devices (CON, NUL, COM1) and pipes are no files.
    if (::GetFileType(h) != FILE_TYPE_DISK) return NotRegularFileError(path);
    return file;
}

Result<File> File::CreateNew(const fs::path& path, std::uint32_t /*mode*/)
{
    if (FaultInjected(FaultPoint::Create, path)) return Fail(ErrorCode::WriteFailed, path, "만들", kInjectedError);
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        // A folder of that name reads as "access denied".
        const bool taken = IsTakenError(err) || (err == ERROR_ACCESS_DENIED && NameExists(path));
        return Fail(taken ? ErrorCode::Exists : ErrorCode::WriteFailed, path, "만들", err);
    }
    return File(path, reinterpret_cast<std::intptr_t>(h));
}

void File::Close()
{
    if (m_handle != -1) ::CloseHandle(Handle(m_handle));
    m_handle = -1;
}

Result<FileInfo> File::Info() const { return InfoOfHandle(Handle(m_handle), m_path, ErrorCode::ReadFailed); }

Result<std::size_t> File::ReadSome(std::uint64_t offset, std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        OVERLAPPED ov = At(offset + done);
        DWORD n = 0;
        const auto piece = static_cast<DWORD>(std::min(out.size() - done, kMaxPiece));
        if (!::ReadFile(Handle(m_handle), out.data() + done, piece, &n, &ov)) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_HANDLE_EOF) break;
            return AtOffset(Fail(ErrorCode::ReadFailed, m_path, "읽을", err), offset + done);
        }
        if (n == 0) break;
        done += n;
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
        OVERLAPPED ov = At(offset + done);
        DWORD n = 0;
        const auto piece = static_cast<DWORD>(std::min(limit - done, kMaxPiece));
        if (!::WriteFile(Handle(m_handle), bytes.data() + done, piece, &n, &ov) || n == 0) {
            const DWORD err = ::GetLastError();
            return AtOffset(Fail(ErrorCode::WriteFailed, m_path, "쓸", err != 0 ? err : ERROR_WRITE_FAULT), offset + done);
        }
        done += n;
    }
    if (injected) return AtOffset(Fail(ErrorCode::WriteFailed, m_path, "쓸", ERROR_DISK_FULL), offset + done);
    return Ok{};
}

Status File::Truncate(std::uint64_t size)
{
    if (FaultInjected(FaultPoint::Truncate, m_path)) return Fail(ErrorCode::WriteFailed, m_path, "줄일", kInjectedError);
    // A full disk refuses even an end of file that does not move: then
    // putting back a file whose length never changed would fail.
    LARGE_INTEGER now{};
    if (::GetFileSizeEx(Handle(m_handle), &now) && static_cast<std::uint64_t>(now.QuadPart) == size) return Ok{};
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(Handle(m_handle), FileEndOfFileInfo, &end, sizeof end))
        return Fail(ErrorCode::WriteFailed, m_path, "줄일", ::GetLastError());
    return Ok{};
}

Status File::Sync()
{
    if (FaultInjected(FaultPoint::Sync, m_path)) return Fail(ErrorCode::WriteFailed, m_path, "디스크에 쓸", kInjectedError);
    if (!::FlushFileBuffers(Handle(m_handle))) return Fail(ErrorCode::WriteFailed, m_path, "디스크에 쓸", ::GetLastError());
    return Ok{};
}

// Windows has no asynchronous write-back request for a range; the flush does it all.
void File::StartWriteBack(std::uint64_t /*offset*/, std::uint64_t /*length*/) {}

// A new file takes its permissions from its folder, as every file the user
// makes there does; there are no owner or permission bits to carry over.
Status File::TakeOwnershipOf(const FileInfo& /*info*/) { return Ok{}; }

Status File::SetModified(std::int64_t ns)
{
    constexpr std::int64_t k1601To1970 = 116444736000000000;
    const auto ticks = static_cast<std::uint64_t>(ns / 100 + k1601To1970);
    FILETIME t{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    if (!::SetFileTime(Handle(m_handle), nullptr, nullptr, &t))
        return Fail(ErrorCode::WriteFailed, m_path, "시각을 바꿀", ::GetLastError());
    return Ok{};
}

Result<bool> File::TryLock()
{
    if (FaultInjected(FaultPoint::Lock, m_path)) return Fail(ErrorCode::OpenFailed, m_path, "잠글", kInjectedError);
    OVERLAPPED ov{};
    ov.Offset = kLockOffsetLow;
    ov.OffsetHigh = kLockOffsetHigh;
    if (::LockFileEx(Handle(m_handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov)) return true;
    const DWORD err = ::GetLastError();
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return false;
    // Network shares and file systems that keep no locks.
    if (err == ERROR_NOT_SUPPORTED || err == ERROR_INVALID_FUNCTION || err == ERROR_INVALID_PARAMETER) return true;
    return Fail(ErrorCode::OpenFailed, m_path, "잠글", err);
}

bool File::BeingReplaced() const
{
    const auto info = Info();
    if (!info) return false;
    ReplaceGuard guard(info->id);
    return !guard.Enter(0);
}

Status ReplaceHeld(File& held, const fs::path& from, const fs::path& to)
{
    const auto info = held.Info();
    if (!info) return info.error();
    // From here until the rename is done, a writer that takes the lock we
    // give up with the handle sees the file as being replaced.
    ReplaceGuard guard(info->id);
    if (!guard.Enter(5000)) return Fail(ErrorCode::WriteFailed, to, "바꿀", ERROR_BUSY);
    held.Close();
    return RenameReplacing(from, to);
}

Result<fs::path> FinalPath(const fs::path& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    // A symbolic link: the name of the file it leads to.
    const HANDLE h = ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    std::wstring target(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(h, target.data(), static_cast<DWORD>(target.size()), FILE_NAME_NORMALIZED);
    if (n >= target.size()) {
        target.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(h, target.data(), static_cast<DWORD>(target.size()), FILE_NAME_NORMALIZED);
    }
    const DWORD err = ::GetLastError();
    ::CloseHandle(h);
    if (n == 0 || n >= target.size()) return Fail(ErrorCode::OpenFailed, path, "따라갈", err);
    target.resize(n);
    // "\\?\C:\x" and "\\?\UNC\server\share\x" as the user writes them.
    if (target.starts_with(L"\\\\?\\UNC\\")) target = L"\\\\" + target.substr(8);
    else if (target.starts_with(L"\\\\?\\")) target = target.substr(4);
    return fs::path(target);
}

Result<FileInfo> Stat(const fs::path& path)
{
    // No access rights asked: this works on files others hold open.
    const HANDLE h = ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail(ErrorCode::OpenFailed, path, "찾을", ::GetLastError());
    auto info = InfoOfHandle(h, path, ErrorCode::OpenFailed);
    if (info && info->folder) {
        // FAT keeps no time of a folder's last change of names.
        wchar_t system[MAX_PATH + 1] = {};
        if (::GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1)) {
            const std::wstring_view name = system;
            info->namesMoveTime = name == L"NTFS" || name == L"ReFS";
        }
    }
    ::CloseHandle(h);
    return info;
}

Status RenameReplacing(const fs::path& from, const fs::path& to)
{
    if (FaultInjected(FaultPoint::Rename, to)) return Fail(ErrorCode::WriteFailed, to, "바꿀", kInjectedError);
    // Write-through: the call returns once the new name is on the disk.
    const DWORD err = WithRetries(
        [&] { return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH); });
    if (err != 0) return Fail(ErrorCode::WriteFailed, to, "바꿀", err);
    return Ok{};
}

Status RenameNoReplace(const fs::path& from, const fs::path& to)
{
    if (FaultInjected(FaultPoint::Rename, to)) return Fail(ErrorCode::WriteFailed, to, "만들", kInjectedError);
    const DWORD err = WithRetries([&] { return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH); });
    if (err == 0) return Ok{};
    if (IsTakenError(err) || (err == ERROR_ACCESS_DENIED && NameExists(to)))
        return Fail(ErrorCode::Exists, to, "만들", ERROR_ALREADY_EXISTS);
    return Fail(ErrorCode::WriteFailed, to, "만들", err);
}

Status LinkNoReplace(const fs::path& existing, const fs::path& link)
{
    if (FaultInjected(FaultPoint::Rename, link)) return Fail(ErrorCode::WriteFailed, link, "만들", kInjectedError);
    if (::CreateHardLinkW(link.c_str(), existing.c_str(), nullptr)) return Ok{};
    const DWORD err = ::GetLastError();
    if (IsTakenError(err)) return Fail(ErrorCode::Exists, link, "만들", err);
    // FAT memory cards, other volumes, network shares, too many names.
    if (err == ERROR_NOT_SAME_DEVICE || err == ERROR_INVALID_FUNCTION || err == ERROR_NOT_SUPPORTED ||
        err == ERROR_TOO_MANY_LINKS || err == ERROR_CALL_NOT_IMPLEMENTED || err == ERROR_ACCESS_DENIED)
        return Fail(ErrorCode::Unsupported, link, "만들", err);
    return Fail(ErrorCode::WriteFailed, link, "만들", err);
}

Status RemoveFile(const fs::path& path)
{
    if (FaultInjected(FaultPoint::Remove, path)) return Fail(ErrorCode::WriteFailed, path, "지울", kInjectedError);
    const DWORD err = WithRetries([&] { return ::DeleteFileW(path.c_str()); });
    if (err != 0) return Fail(ErrorCode::WriteFailed, path, "지울", err);
    return Ok{};
}

// Renames are written through to the disk as they happen (above); a folder
// has nothing more to flush.
Status SyncFolder(const fs::path& folder)
{
    if (FaultInjected(FaultPoint::Sync, folder)) return Fail(ErrorCode::WriteFailed, folder, "디스크에 쓸", kInjectedError);
    return Ok{};
}

Status ListFolder(const fs::path& folder, const std::function<bool(std::string_view, EntryType)>& visit)
{
    const fs::path pattern = (folder.empty() ? fs::path(L".") : folder) / L"*";
    WIN32_FIND_DATAW found{};
    const HANDLE h = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                        FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        // The root of an empty drive lists nothing at all.
        if (err == ERROR_FILE_NOT_FOUND) return Ok{};
        return Fail(ErrorCode::OpenFailed, folder, "열", err);
    }
    do {
        const std::wstring_view wide = found.cFileName;
        if (wide == L"." || wide == L"..") continue;
        const std::string name = Utf8FromWide(wide);
        const DWORD a = found.dwFileAttributes;
        EntryType type = EntryType::File;
        if (a & FILE_ATTRIBUTE_DIRECTORY) type = EntryType::Folder;
        else if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
            const auto target = Stat(folder / fs::path(std::wstring(wide)));
            type = !target ? EntryType::Other : target->folder ? EntryType::Folder : target->regular ? EntryType::File : EntryType::Other;
        }
        if (type == EntryType::File && (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) type = EntryType::HiddenFile;
        if (!visit(name, type)) break;
    } while (::FindNextFileW(h, &found));
    ::FindClose(h);
    return Ok{};
}

std::uint32_t NewFileMode() { return 0666; }

std::string FoldName(std::string_view utf8)
{
    std::wstring wide = WideFromUtf8(utf8);
    if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8FromWide(wide);
}

fs::path PathFromUtf8(std::string_view utf8) { return fs::path(WideFromUtf8(utf8)); }

std::string PathText(const fs::path& path)
{
    std::wstring text = path.native();
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return Utf8FromWide(text);
}

std::string SystemErrorText(int error)
{
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n == 0 || !text) return "오류 " + std::to_string(error);
    std::wstring_view view(text, n);
    while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' ' || view.back() == L'.'))
        view.remove_suffix(1);
    std::string utf8 = Utf8FromWide(view);
    ::LocalFree(text);
    return utf8;
}

} // namespace mrv::os
