// A main dialog for each test: scripted prompts, a fresh temporary folder as
// the program's folder, the dialog created and shown as at start-up.
#pragma once

#include "dialogs/MakerDlg.h"
#include "core/FileSystem.h"
#include "text/Cp949.h"
#include "platform/Testing.h"
#include "tests/support/ScriptedServices.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class MakerDlgTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The control with this id (fails the test when there is none).
    CWnd& Item(int id);
    CButton& Button(int id) { return static_cast<CButton&>(Item(id)); }
    // What the control shows, as UTF-8.
    std::string Shown(int id) { return mrv::platform::testing::TextUtf8(Item(id)); }
    // The user replaces an edit's text (select all, type).
    void Enter(int id, std::string_view utf8) { mrv::platform::testing::ReplaceTextUtf8(Item(id), utf8); }
    void Click(int id) { mrv::platform::testing::Click(Item(id)); }

    // A file in the temporary folder, written with these bytes.
    std::filesystem::path WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
    static std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
    // Chooses a registry file through "레지스트리화일 불러오기" as the user would.
    void LoadRegistry(const std::filesystem::path& file);
    // The list's rows as UTF-8 (title, path).
    std::vector<std::pair<std::string, std::string>> Rows();
    // The texts of the message boxes shown so far, as UTF-8.
    std::vector<std::string> MessageTexts() const;

    static std::string Utf8(const std::string& cp949) { return mrv::text::Cp949ToUtf8Lossy(cp949); }
    static std::string Cp949(std::string_view utf8) { return mrv::text::K(utf8); }

    std::filesystem::path m_dir;   // the program's folder, with a trailing '/'
    mrv::testing::ScriptedServices m_services;
    std::unique_ptr<mrv::testing::ScopedServices> m_installed;
    std::unique_ptr<CMakerDlg> m_dlg;

    // The main dialog's search window.
    CCacheSearchDlg& Search() { return m_dlg->SearchDlgForTesting(); }
};
