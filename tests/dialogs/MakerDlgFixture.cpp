#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/CacheSearchDlg.h"
#include "res/Resource.h"

#include <fstream>
#include <random>
#include <iterator>

namespace fs = std::filesystem;

void MakerDlgTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A folder of this run's own: process ids come round again (under Wine
    // within minutes), and a killed run leaves its folders behind.
    static const std::string run = std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    m_dir = fs::temp_directory_path() / ("mrvmaker-dlg-" + run) /
            (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_dir /= "";  // a folder as the services give it, with a trailing separator
    m_services.SetProgramFolder(m_dir).SetHomeFolder(m_dir).SetTempFolder(m_dir / "tmp" / "");
    m_services.SetLocalTime({2005, 8, 9, 7, 3, 5, 0});
    m_services.SetUserName("tester");
    m_installed = std::make_unique<mrv::testing::ScopedServices>(m_services);

    m_dlg = std::make_unique<CMakerDlg>();
    ASSERT_TRUE(m_dlg->Create(IDD_MAKER_DIALOG));
    m_dlg->ShowWindow(ShowCmd::Show);
    mrv::platform::testing::ProcessEvents();
}

void MakerDlgTest::TearDown()
{
    if (m_dlg) m_dlg->DestroyWindow();
    m_dlg.reset();
    mrv::platform::testing::ProcessEvents();
    m_installed.reset();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

CWnd& MakerDlgTest::Item(int id)
{
    CWnd* item = m_dlg->GetDlgItem(id);
    if (!item) {
        ADD_FAILURE() << "no control " << id;
        static CWnd none;
        return none;
    }
    return *item;
}

fs::path MakerDlgTest::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    const fs::path file = m_dir / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::vector<std::uint8_t> MakerDlgTest::ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void MakerDlgTest::LoadRegistry(const fs::path& file)
{
    m_services.AnswerOpenFile(file);
    Click(IDC_LOAD_REGISTRY);
}

std::vector<std::pair<std::string, std::string>> MakerDlgTest::Rows()
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < m_dlg->m_listRegistry.GetItemCount(); ++i)
        rows.emplace_back(Utf8(m_dlg->m_listRegistry.GetItemText(i, 0)), Utf8(m_dlg->m_listRegistry.GetItemText(i, 1)));
    return rows;
}

std::vector<std::string> MakerDlgTest::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const auto& box : m_services.MessageBoxes()) texts.push_back(box.TextUtf8());
    return texts;
}
