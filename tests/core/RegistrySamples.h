// Registry bytes written out by hand for the tests, and a scratch folder.
#pragma once

#include "core/FileSystem.h"
#include "registry/RegistryFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

namespace mrv::registry::test {

namespace fs = std::filesystem;

// The entry the form starts with: MRV, "MRV_Dat00001", title "노래제목입력",
// default audio texts, 60 s, 1048576 bytes. 155 bytes, as the handset has it.
inline const Bytes kWorkedRecord = {
    0x97, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x1A, 0x00, 0x00,
    0x00, 0x5A, 0x51, 0x54, 0x2F, 0x4D, 0x4F, 0x52, 0x56, 0x41, 0x4E, 0x54, 0x41, 0x2F, 0x4D, 0x52,
    0x56, 0x5F, 0x44, 0x61, 0x74, 0x30, 0x30, 0x30, 0x30, 0x31, 0x00, 0x0C, 0xB3, 0xEB, 0xB7, 0xA1,
    0xC1, 0xA6, 0xB8, 0xF1, 0xC0, 0xD4, 0xB7, 0xC2, 0x0D, 0xB8, 0xF0, 0xC5, 0xE4, 0xB7, 0xD1, 0xB6,
    0xF3, 0x4D, 0x53, 0x34, 0x30, 0x30, 0x0A, 0x30, 0x30, 0x30, 0x30, 0x2D, 0x30, 0x30, 0x2D, 0x30,
    0x30, 0x06, 0x31, 0x32, 0x38, 0x2E, 0x30, 0x30, 0x0C, 0x48, 0x45, 0x2D, 0x41, 0x41, 0x43, 0x20,
    0x28, 0x4D, 0x50, 0x34, 0x29, 0x06, 0x31, 0x32, 0x38, 0x2E, 0x30, 0x30, 0x05, 0x34, 0x34, 0x2E,
    0x31, 0x30, 0x08, 0xC1, 0xA4, 0xBA, 0xB8, 0xBE, 0xF8, 0xC0, 0xBD, 0x04, 0x30, 0x2E, 0x30, 0x30,
    0x02, 0x44, 0x4C, 0x00, 0xFF, 0x00, 0x3C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x04, 0x00,
    0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x4C, 0x09, 0x86, 0x42,
};

// "노래제목입력" (enter song title) in CP949.
inline const std::string kWorkedTitle = "\xB3\xEB\xB7\xA1\xC1\xA6\xB8\xF1\xC0\xD4\xB7\xC2";

inline EntryFields WorkedFields()
{
    EntryFields f;
    f.kind = LinkKind::Mrv;
    f.linkName = "MRV_Dat00001";
    f.title = kWorkedTitle;
    f.audio = DefaultAudioInfo();
    f.playTime = 60;
    f.fileSize = 1048576;
    return f;
}

// MOD, "MOD_Dat00003", title "T", copyright "C", bitrate "B", kbps "K",
// sampling rate "S", format "F", play time 0x01020304, file size -1, location 4.
inline const Bytes kModCardRecord = {
    0x62, 0x00, 0x00, 0x00,                                      // body 98 = 72 + 20 + 6
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,        // lead bytes
    0x15, 0x00, 0x00, 0x00,                                      // path size 21
    'Z', 'Q', 'T', '/', 'M', 'O', 'D', '/', 'M', 'O', 'D', '_', 'D', 'a', 't', '0', '0', '0', '0', '3', 0x00,
    0x01, 'T',                                                   // title
    0x01, 'C',                                                   // copyright holder
    0x0A, '0', '0', '0', '0', '-', '0', '0', '-', '0', '0',      // date
    0x01, 'B',                                                   // bitrate
    0x01, 'F',                                                   // audio format
    0x01, 'K',                                                   // kbps
    0x01, 'S',                                                   // sampling rate
    0x08, 0xC1, 0xA4, 0xBA, 0xB8, 0xBE, 0xF8, 0xC0, 0xBD,        // "정보없음"
    0x04, '0', '.', '0', '0',
    0x02, 'D', 'L',
    0x00,
    0xFF, 0x00,
    0x04, 0x03, 0x02, 0x01,                                      // play time
    0xFF, 0xFF, 0xFF, 0xFF,                                      // file size -1
    0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x10, 0x00, 0x9F, 0x3D, 0xD5, 0x12,
};

inline EntryFields ModCardFields()
{
    EntryFields f;
    f.kind = LinkKind::Mod;
    f.linkName = "MOD_Dat00003";
    f.title = "T";
    f.audio = {"C", "B", "K", "S", "F"}; // copyright, bitrate, kbps, sampling rate, format
    f.playTime = 0x01020304;
    f.fileSize = -1;
    f.location = 4;
    return f;
}

inline void PutLe32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline Bytes Header(std::int32_t count, std::int32_t size)
{
    Bytes b;
    PutLe32(b, static_cast<std::uint32_t>(count));
    PutLe32(b, static_cast<std::uint32_t>(size));
    return b;
}

// A record holding only what the listing reads: lead bytes, path (pathSize
// bytes taken as given, so it may hold inner zeros) and title, then `extra`
// filler bytes standing for the remaining fields.
inline Bytes MiniRecord(std::string_view pathWithZero, std::string_view title, std::size_t extra = 3)
{
    Bytes body = {0, 0, 0, 0, 0, 0, 0, 0, 1};
    PutLe32(body, static_cast<std::uint32_t>(pathWithZero.size()));
    body.insert(body.end(), pathWithZero.begin(), pathWithZero.end());
    body.push_back(static_cast<std::uint8_t>(title.size()));
    body.insert(body.end(), title.begin(), title.end());
    for (std::size_t i = 0; i < extra; ++i) body.push_back(static_cast<std::uint8_t>(0xE0 + i));
    Bytes rec;
    PutLe32(rec, static_cast<std::uint32_t>(body.size()));
    rec.insert(rec.end(), body.begin(), body.end());
    return rec;
}

// Two small records and a moment, shared by the tests of changes.
inline const Bytes kA = MiniRecord(std::string_view("ZQT/A\0", 6), "a");        // 28 bytes
inline const Bytes kB = MiniRecord(std::string_view("ZQT/BB\0", 7), "bb", 10);  // 37 bytes
inline const LocalTime kNoon{2005, 8, 9, 12, 0, 5};

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A registry of the given records, header filled in.
inline Bytes Registry(std::initializer_list<Bytes> records, const Bytes& leftovers = {})
{
    Bytes recs = Cat(records);
    return Cat({Header(static_cast<std::int32_t>(records.size()), static_cast<std::int32_t>(recs.size())), recs, leftovers});
}

inline Bytes Slice(const Bytes& b, std::size_t from, std::size_t to)
{
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

inline Bytes FileBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& p, const Bytes& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    ASSERT_TRUE(out.good()) << p;
}

// Each test works in a fresh folder of its own, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (auto& c : name) {
            if (c == '/') c = '_';
        }
        dir = fs::temp_directory_path() / ("mrv-" + name + "-" + os::RandomName(8));
        fs::remove_all(dir);
        fs::create_directories(dir);
        reg = dir / "modreg.dat";
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    std::size_t FileCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
    fs::path reg;
};

} // namespace mrv::registry::test
