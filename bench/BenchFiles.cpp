#include "bench/BenchFiles.h"

#include "core/ByteIO.h"
#include "registry/RegistryFile.h"

#include <cstdio>
#include <vector>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace mrv::bench {

namespace fs = std::filesystem;

Scratch::Scratch() : m_dir(fs::temp_directory_path() / ("mrv-bench-" + std::to_string(::getpid())))
{
    fs::create_directories(m_dir);
}

Scratch::~Scratch()
{
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

namespace {

// Written piece by piece: this process must not grow by the registry's size,
// or the processes it starts would count that as their own peak memory.
void WriteRegistryOf(const fs::path& file, int entries)
{
    // "노래제목입력" and a number: twelve bytes of Hangul, as most titles are.
    const std::string title = "\xB3\xEB\xB7\xA1\xC1\xA6\xB8\xF1\xC0\xD4\xB7\xC2";
    auto pending = PendingFile::Create(file.parent_path(), os::NewFileMode());
    if (!pending) std::abort();
    Bytes piece(registry::kHeaderSize);
    std::uint64_t recordsSize = 0;
    for (int i = 0; i < entries; ++i) {
        registry::EntryFields f;
        f.linkName = "MRV_Dat" + std::to_string(100000 + i % 100000).substr(1);
        f.title = title + std::to_string(i);
        f.audio = registry::DefaultAudioInfo();
        const Bytes record = registry::BuildRecord(f).value();
        piece.insert(piece.end(), record.begin(), record.end());
        recordsSize += record.size();
        if (piece.size() >= (std::size_t{1} << 20)) {
            if (!pending->Append(piece)) std::abort();
            piece.clear();
        }
    }
    if (!pending->Append(piece)) std::abort();
    std::uint8_t header[registry::kHeaderSize];
    StoreI32le(header, entries);
    StoreI32le(header + 4, static_cast<std::int32_t>(recordsSize));
    if (!pending->File().WriteAt(0, header) || !pending->Replace(file)) std::abort();
}

// A copy of a file in pieces, written whole and flushed.
void CopyFlushed(const fs::path& from, const fs::path& to)
{
    auto source = os::File::Open(from, os::File::Access::Read);
    if (!source) std::abort();
    const Producer content = [&source](const std::function<Status(std::span<const std::uint8_t>)>& write) -> Status {
        std::vector<std::uint8_t> piece(std::size_t{1} << 20);
        for (std::uint64_t at = 0;;) {
            auto got = source->ReadSome(at, piece);
            if (!got) return got.error();
            if (*got == 0) return Ok{};
            if (auto s = write(std::span(piece).first(*got)); !s) return s;
            at += *got;
        }
    };
    if (!WriteFileWhole(to, content)) std::abort();
}

} // namespace

fs::path Scratch::WriteRegistry(const std::string& name, int entries)
{
    auto made = m_made.find(entries);
    if (made == m_made.end()) {
        const fs::path original = m_dir / ("original-" + std::to_string(entries) + ".dat");
        WriteRegistryOf(original, entries);
        made = m_made.emplace(entries, original).first;
    }
    const fs::path file = m_dir / name;
    CopyFlushed(made->second, file);
    return file;
}

Scratch& TheScratch()
{
    static Scratch scratch;
    return scratch;
}

void WriteFlushed(const fs::path& file, const Bytes& bytes)
{
    if (!WriteFileWhole(file, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        std::abort();
    }
}

} // namespace mrv::bench
