// A temporary folder for running the real mrvtool in, and its files.
#pragma once

#include "core/FileSystem.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace mrv::test {

class ToolFolder : public ::testing::Test {
protected:
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("mrvtool-" + os::RandomName(10));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        // Windows may hold the folder a moment after the last tool in it ended.
        std::error_code ec;
        for (int attempt = 0; attempt < 100 && std::filesystem::exists(dir); ++attempt) {
            if (std::filesystem::remove_all(dir, ec) == static_cast<std::uintmax_t>(-1))
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // The mrvtool built beside this test program, run in the folder with stdin
    // read from input (no terminal).
    Finished Run(std::vector<std::string> args, const std::string& input = "") const
    {
        return RunProcess({TestProgram().parent_path() / MRVTOOL_RELATIVE, std::move(args), dir, input});
    }
    void Write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(dir / os::PathFromUtf8(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes Read(const std::string& name) const
    {
        std::ifstream in(dir / os::PathFromUtf8(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path dir;
};

} // namespace mrv::test
