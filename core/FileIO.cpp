#include "core/FileIO.h"

#include <algorithm>
#include <thread>

namespace mrv {
namespace fs = std::filesystem;

namespace {

// Temporary files are ".mrv" + 8 random letters or digits + ".tmp": short, so
// that a file beside a name of the file system's full length can still be
// written, and hidden from the search window's listing.
constexpr std::string_view kTempPrefix = ".mrv";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandom = 8;
// A file being written is handed to the disk in steps of this size.
constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;
// Tries before giving up on finding a free temporary name.
constexpr int kTempTries = 64;
// How often a writer looks again whether the lock is free.
constexpr std::chrono::milliseconds kLockPoll{20};

bool IsTempName(std::string_view name)
{
    if (name.size() != kTempPrefix.size() + kTempRandom + kTempSuffix.size()) return false;
    if (name.substr(0, kTempPrefix.size()) != kTempPrefix) return false;
    if (name.substr(name.size() - kTempSuffix.size()) != kTempSuffix) return false;
    const std::string_view middle = name.substr(kTempPrefix.size(), kTempRandom);
    return std::all_of(middle.begin(), middle.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

fs::path FolderOf(const fs::path& file)
{
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// True when path still names the open file.
bool StillNames(const fs::path& path, const os::File& file)
{
    const auto named = os::Stat(path);
    const auto open = file.Info();
    return named && open && named->id == open->id;
}

// Rewrites target in place: the new content from its first byte, then the
// file cut to the new length and flushed. Used only where a rename would
// break the file's other names or give it to another owner.
Status RewriteInPlace(const fs::path& target, const Producer& content)
{
    auto file = os::File::Open(target, os::File::Access::ReadWrite);
    if (!file) return file.error();
    std::uint64_t at = 0;
    auto written = content([&](std::span<const std::uint8_t> piece) -> Status {
        if (auto s = file->WriteAt(at, piece); !s) return s;
        at += piece.size();
        return Ok{};
    });
    if (!written) return written;
    if (auto s = file->Truncate(at); !s) return s;
    return file->Sync();
}

} // namespace

std::string Quoted(const fs::path& file)
{
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "'" + string.
    std::string s(1, '\'');
    s += os::PathText(file);
    s += '\'';
    return s;
}

Error FileError(ErrorCode code, const fs::path& file, const char* action, int systemError)
{
    Error e;
    e.code = code;
    e.file = file;
    e.message = Quoted(file);
    e.message += " 화일을 ";
    e.message += action;
    e.message += " 수 없습니다: ";
    e.message += os::SystemErrorText(systemError);
    return e;
}

Error NotRegularFileError(const fs::path& file)
{
    return Error{ErrorCode::NotRegularFile, Quoted(file) + " 은(는) 보통 화일이 아닙니다.", -1, file};
}

Error ShortFileError(const fs::path& file, std::uint64_t offset)
{
    return Error{ErrorCode::ReadFailed, Quoted(file) + " 화일이 읽는 도중에 짧아졌습니다.",
                 static_cast<std::int64_t>(offset), file};
}

Error TooLargeError(const fs::path& file, std::uint64_t size, std::uint64_t limit)
{
    return Error{ErrorCode::TooLarge,
                 Quoted(file) + " 화일이 너무 큽니다: " + std::to_string(size) + "바이트인데 " + std::to_string(limit) +
                     "바이트까지만 다룰 수 있습니다.",
                 -1, file};
}

Result<Bytes> ReadWholeFile(const fs::path& file, std::uint64_t limit)
{
    auto opened = os::File::Open(file, os::File::Access::Read);
    if (!opened) return opened.error();
    const auto info = opened->Info();
    if (!info) return info.error();
    if (info->size > limit) return TooLargeError(file, info->size, limit);
    // Sized by the file's length; a file that grows meanwhile is read on
    // until its end, or up to the limit.
    Bytes bytes(static_cast<std::size_t>(info->size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit) return TooLargeError(file, used, limit);
            bytes.resize(std::max<std::size_t>(bytes.size() * 2, 4096));
        }
        auto got = opened->ReadSome(used, std::span(bytes).subspan(used));
        if (!got) return got.error();
        if (*got == 0) break;
        used += *got;
    }
    if (used > limit) return TooLargeError(file, used, limit);
    bytes.resize(used);
    return bytes;
}

Producer BytesProducer(std::span<const std::uint8_t> bytes)
{
    return [bytes](const std::function<Status(std::span<const std::uint8_t>)>& write) { return write(bytes); };
}

// ---- PendingFile ------------------------------------------------------------------

Result<PendingFile> PendingFile::Create(const fs::path& folder, std::uint32_t mode)
{
    Error last{ErrorCode::WriteFailed, "", -1, folder};
    for (int attempt = 0; attempt < kTempTries; ++attempt) {
        std::string name(kTempPrefix);
        name += os::RandomName(kTempRandom);
        name += kTempSuffix;
        const fs::path path = folder / name;
        auto file = os::File::CreateNew(path, mode);
        if (!file) {
            if (file.error().code != ErrorCode::Exists) return file.error();
            last = file.error();
            continue;
        }
        // The lock tells a later run's clean-up that this file is still being
        // written. Between the create and the lock a clean-up may have taken
        // the file for a leftover: then start over under another name.
        auto locked = file->TryLock();
        if (!locked) {
            // Nothing may stay behind of a write that never began.
            file->Close();
            (void)os::RemoveFile(path);
            return locked.error();
        }
        if (*locked && StillNames(path, *file)) return PendingFile(path, std::move(*file));
    }
    return last;
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        m_path = std::move(other.m_path);
        m_file = std::move(other.m_file);
        m_size = other.m_size;
        m_writtenBack = other.m_writtenBack;
        m_synced = other.m_synced;
        other.m_file.reset();
    }
    return *this;
}

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard()
{
    if (!m_file) return;
    m_file.reset();
    (void)os::RemoveFile(m_path);
}

Status PendingFile::Append(std::span<const std::uint8_t> bytes)
{
    if (auto s = m_file->WriteAt(m_size, bytes); !s) return s;
    m_size += bytes.size();
    // A large file starts on its way to the disk while the rest is written,
    // so that the flush before its rename does not wait for all of it.
    if (m_size - m_writtenBack >= kWriteBackStep) {
        m_file->StartWriteBack(m_writtenBack, m_size - m_writtenBack);
        m_writtenBack = m_size;
    }
    return Ok{};
}

Status PendingFile::Write(const Producer& content)
{
    return content([this](std::span<const std::uint8_t> piece) { return Append(piece); });
}

Status PendingFile::Replace(const fs::path& target, os::File* heldTarget)
{
    if (auto s = m_file->Sync(); !s) return s;
    if (auto s = heldTarget ? os::ReplaceHeld(*heldTarget, m_path, target) : os::RenameReplacing(m_path, target); !s)
        return s;
    m_file.reset();  // it has its final name now: nothing to remove
    if (auto s = os::SyncFolder(FolderOf(target)); !s) {
        Error e = s.error();
        e.code = ErrorCode::NotConfirmed;
        return e;
    }
    return Ok{};
}

Status PendingFile::Place(const fs::path& target)
{
    if (!m_synced) {
        if (auto s = m_file->Sync(); !s) return s;
        m_synced = true;
    }
    if (auto s = os::RenameNoReplace(m_path, target); !s) return s;
    m_file.reset();
    if (auto s = os::SyncFolder(FolderOf(target)); !s) {
        // The file is under its name, which may not outlive a crash.
        Error e = s.error();
        e.code = ErrorCode::NotConfirmed;
        e.file = target;
        return e;
    }
    return Ok{};
}

// ---- whole files ------------------------------------------------------------------

Status WriteFileWhole(const fs::path& target, const Producer& content, std::optional<std::uint32_t> newMode)
{
    auto resolved = os::FinalPath(target);
    if (!resolved) return resolved.error();
    const fs::path& file = *resolved;
    const auto existing = os::Stat(file);
    if (existing && !existing->regular) return NotRegularFileError(file);
    // Several names share the file: a rename would part them.
    if (existing && existing->links > 1) return RewriteInPlace(file, content);

    const fs::path folder = FolderOf(file);
    RemoveLeftovers(folder);
    {
        auto pending = PendingFile::Create(folder, existing ? existing->mode : newMode.value_or(os::NewFileMode()));
        if (!pending) return pending.error();
        // A file of another owner, or of a group, that this process cannot
        // give a new file: it is kept by writing in place below.
        if (!existing || pending->File().TakeOwnershipOf(*existing)) {
            if (auto s = pending->Write(content); !s) return s;
            return pending->Replace(file);
        }
    }
    return RewriteInPlace(file, content);
}

Status WriteFileWhole(const fs::path& target, std::span<const std::uint8_t> bytes, std::optional<std::uint32_t> newMode)
{
    return WriteFileWhole(target, BytesProducer(bytes), newMode);
}

Result<fs::path> PendingFile::PlaceFirstFree(const std::function<fs::path(int)>& names, int maxNames)
{
    Error taken;
    for (int n = 1; n <= maxNames; ++n) {
        const fs::path name = names(n);
        auto placed = Place(name);
        if (placed) return name;
        if (placed.error().code != ErrorCode::Exists) return placed.error();
        taken = placed.error();
    }
    return taken;
}

Result<fs::path> WriteNewFile(const std::function<fs::path(int)>& names, int maxNames, const Producer& content,
                              std::uint32_t mode)
{
    const fs::path folder = FolderOf(names(1));
    RemoveLeftovers(folder);
    auto pending = PendingFile::Create(folder, mode);
    if (!pending) return pending.error();
    if (auto s = pending->Write(content); !s) return s.error();
    return pending->PlaceFirstFree(names, maxNames);
}

void RemoveLeftovers(const fs::path& folder)
{
    std::vector<std::string> candidates;
    (void)os::ListFolder(folder, [&candidates](std::string_view name, os::EntryType type) {
        const bool file = type == os::EntryType::File || type == os::EntryType::HiddenFile;
        if (file && IsTempName(name)) candidates.emplace_back(name);
        return true;
    });
    for (const std::string& name : candidates) {
        const fs::path path = folder / name;
        auto file = os::File::Open(path, os::File::Access::ReadWrite);
        if (!file) continue;
        // A writer that is still at work holds the lock on its file.
        const auto locked = file->TryLock();
        if (locked && *locked && StillNames(path, *file)) (void)os::RemoveFile(path);
    }
}

Result<os::File> OpenForChange(const fs::path& path, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        auto file = os::File::Open(path, os::File::Access::ReadWrite);
        if (!file) return file.error();
        auto locked = file->TryLock();
        if (!locked) return locked.error();
        // The writer before us may have replaced the file under this name:
        // then the lock belongs on the new file.
        if (*locked && !file->BeingReplaced() && StillNames(path, *file)) return std::move(*file);
        // A writer renaming its new file over this one needs it closed.
        file->Close();
        if (std::chrono::steady_clock::now() >= deadline) {
            return Error{ErrorCode::Busy,
                         Quoted(path) + " 화일을 다른 프로그램이 바꾸고 있습니다. 잠시 뒤에 다시 해 보세요.", -1, path};
        }
        std::this_thread::sleep_for(kLockPoll);
    }
}

} // namespace mrv
