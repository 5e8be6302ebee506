#include "tests/support/ScriptedServices.h"

#include "text/Cp949.h"

#include <gtest/gtest.h>

#include <system_error>

namespace mrv::testing {
namespace fs = std::filesystem;
using platform::BrowseEvent;
using platform::BrowseRequest;
using platform::BrowseResult;

namespace {

std::string Utf8(const std::string& cp949) { return text::Cp949ToUtf8Lossy(cp949); }

const char* ResultName(int result)
{
    switch (result) {
    case CommandId::Ok: return "CommandId::Ok";
    case CommandId::Cancel: return "CommandId::Cancel";
    case CommandId::Yes: return "CommandId::Yes";
    case CommandId::No: return "CommandId::No";
    default: return "an unknown result";
    }
}

bool BoxOffers(unsigned type, int result)
{
    if ((type & MsgBox::TypeMask) == MsgBox::YesNo) return result == CommandId::Yes || result == CommandId::No;
    return result == CommandId::Ok;
}

// The answer a box gets when nobody scripted one: the one that changes least.
int SafeAnswer(unsigned type) { return (type & MsgBox::TypeMask) == MsgBox::YesNo ? CommandId::No : CommandId::Ok; }

// A folder as a browser reports it: no trailing separator except for the root.
fs::path AsReported(const fs::path& folder)
{
    fs::path p = folder.lexically_normal();
    if (!p.has_filename() && p != p.root_path()) p = p.parent_path();
    return p;
}

// The browser window as the callback sees it: it records what the callback
// sets, and a selection it can make reports back as a selection change.
class FakeBrowser : public platform::FolderBrowser {
public:
    FakeBrowser(const BrowseRequest& request, BrowseCall& record) : m_request(request), m_record(record) {}

    void SetSelection(const fs::path& folder) override
    {
        m_record.selectionsSet.push_back(folder);
        std::error_code ec;
        if (folder.empty() || !fs::is_directory(folder, ec)) return;   // the browser cannot go there
        MoveTo(AsReported(folder));
    }
    void SetStatusText(const std::string& cp949) override { m_record.statusTexts.push_back(cp949); }

    void Initialize() { Notify(BrowseEvent::Initialized, nullptr); }
    void MoveTo(const fs::path& folder)
    {
        if (m_current && *m_current == folder) return;
        m_current = folder;
        const fs::path reported = folder;
        Notify(BrowseEvent::SelectionChanged, &reported);
    }
    void MoveToItemWithoutPath()
    {
        m_current.reset();
        Notify(BrowseEvent::SelectionChanged, nullptr);
    }

private:
    void Notify(BrowseEvent event, const fs::path* selection)
    {
        if (m_request.callback) m_request.callback(*this, event, selection);
    }

    const BrowseRequest& m_request;
    BrowseCall& m_record;
    std::optional<fs::path> m_current;
};

} // namespace

const char* ToString(CallKind kind)
{
    switch (kind) {
    case CallKind::MessageBoxCp949: return "MessageBoxCp949";
    case CallKind::GetOpenFilePath: return "GetOpenFilePath";
    case CallKind::BrowseForFolder: return "BrowseForFolder";
    case CallKind::OpenWithAssociatedProgram: return "OpenWithAssociatedProgram";
    case CallKind::OpenFolder: return "OpenFolder";
    }
    return "?";
}

std::string MessageBoxCall::TextUtf8() const { return Utf8(text); }
std::string MessageBoxCall::CaptionUtf8() const { return Utf8(caption); }
std::string OpenFileCall::TitleUtf8() const { return Utf8(request.title); }
std::string OpenFileCall::FilterUtf8() const { return Utf8(request.filter); }
std::string BrowseCall::PromptUtf8() const { return Utf8(prompt); }
std::string BrowseCall::LastStatusUtf8() const { return statusTexts.empty() ? "" : Utf8(statusTexts.back()); }

// ---- ScriptedServices ------------------------------------------------------------

ScriptedServices::ScriptedServices()
    : m_time{2024, 3, 5, 14, 7, 9, 250},
      m_userName("tester"),
      m_programFolder("/opt/mrvmaker/"),
      m_tempFolder("/tmp/mrvmaker-tester/"),
      m_homeFolder("/home/tester/")
{
}

ScriptedServices::~ScriptedServices()
{
    if (!m_expectAllUsed) return;
    if (!m_messageBoxAnswers.empty())
        ADD_FAILURE() << m_messageBoxAnswers.size() << " scripted message box answer(s) never asked for";
    if (!m_openFileAnswers.empty())
        ADD_FAILURE() << m_openFileAnswers.size() << " scripted file dialog answer(s) never asked for";
    if (!m_browseAnswers.empty())
        ADD_FAILURE() << m_browseAnswers.size() << " scripted folder browser answer(s) never asked for";
}

ScriptedServices& ScriptedServices::AnswerMessageBox(int result)
{
    return AnswerMessageBox([result](const MessageBoxCall&) { return result; });
}

ScriptedServices& ScriptedServices::AnswerMessageBox(std::function<int(const MessageBoxCall&)> answer)
{
    m_messageBoxAnswers.push_back(std::move(answer));
    return *this;
}

ScriptedServices& ScriptedServices::AcceptUnscriptedOkBoxes(bool accept)
{
    m_acceptOkBoxes = accept;
    return *this;
}

ScriptedServices& ScriptedServices::AnswerOpenFile(std::optional<fs::path> chosen)
{
    m_openFileAnswers.push_back(std::move(chosen));
    return *this;
}

ScriptedServices& ScriptedServices::AnswerBrowse(BrowseResult chosen, std::vector<BrowseAction> script)
{
    m_browseAnswers.push_back({std::move(chosen), std::move(script)});
    return *this;
}

ScriptedServices& ScriptedServices::SetOpenFileSucceeds(bool ok)
{
    m_openFileSucceeds = ok;
    return *this;
}

ScriptedServices& ScriptedServices::SetOpenFolderSucceeds(bool ok)
{
    m_openFolderSucceeds = ok;
    return *this;
}

ScriptedServices& ScriptedServices::SetLocalTime(const platform::LocalTime& time)
{
    m_time = time;
    return *this;
}

ScriptedServices& ScriptedServices::SetUserName(std::string cp949)
{
    m_userName = std::move(cp949);
    return *this;
}

ScriptedServices& ScriptedServices::SetProgramFolder(fs::path folder)
{
    m_programFolder = std::move(folder);
    return *this;
}

ScriptedServices& ScriptedServices::SetTempFolder(fs::path folder)
{
    m_tempFolder = std::move(folder);
    return *this;
}

ScriptedServices& ScriptedServices::SetHomeFolder(fs::path folder)
{
    m_homeFolder = std::move(folder);
    return *this;
}

std::size_t ScriptedServices::PromptCount() const
{
    return m_messageBoxes.size() + m_openFiles.size() + m_browses.size();
}

void ScriptedServices::ClearRecords()
{
    m_calls.clear();
    m_messageBoxes.clear();
    m_openFiles.clear();
    m_browses.clear();
    m_openedFiles.clear();
    m_openedFolders.clear();
}

std::size_t ScriptedServices::PendingAnswers() const
{
    return m_messageBoxAnswers.size() + m_openFileAnswers.size() + m_browseAnswers.size();
}

// ---- The services ------------------------------------------------------------------

int ScriptedServices::MessageBoxCp949(CWnd* owner, const std::string& text, const std::string& caption, unsigned type)
{
    m_calls.push_back(CallKind::MessageBoxCp949);
    MessageBoxCall call{owner, text, caption, type, 0};
    if (!m_messageBoxAnswers.empty()) {
        auto answer = std::move(m_messageBoxAnswers.front());
        m_messageBoxAnswers.pop_front();
        call.answer = answer(call);
        if (!BoxOffers(type, call.answer)) {
            ADD_FAILURE() << "scripted answer " << ResultName(call.answer)
                          << " is not a button of the message box \"" << call.TextUtf8() << "\"";
        }
    } else if (m_acceptOkBoxes && (type & MsgBox::TypeMask) == MsgBox::Ok) {
        call.answer = CommandId::Ok;
    } else {
        call.answer = SafeAnswer(type);
        ADD_FAILURE() << "unscripted message box: \"" << call.TextUtf8() << "\", caption \""
                      << call.CaptionUtf8() << "\", type 0x" << std::hex << type << std::dec
                      << "; answered " << ResultName(call.answer);
    }
    m_messageBoxes.push_back(call);
    return call.answer;
}

std::optional<fs::path> ScriptedServices::GetOpenFilePath(CWnd* owner, const platform::OpenFileRequest& request)
{
    m_calls.push_back(CallKind::GetOpenFilePath);
    OpenFileCall call{owner, request, std::nullopt};
    if (!m_openFileAnswers.empty()) {
        call.answer = std::move(m_openFileAnswers.front());
        m_openFileAnswers.pop_front();
    } else {
        ADD_FAILURE() << "unscripted file dialog: \"" << call.TitleUtf8() << "\", filter \"" << call.FilterUtf8()
                      << "\", folder " << request.initialFolder << "; cancelled";
    }
    m_openFiles.push_back(call);
    return call.answer;
}

void ScriptedServices::RunBrowseScript(const BrowseRequest& request, const std::vector<BrowseAction>& script,
                                       BrowseCall& record)
{
    FakeBrowser browser(request, record);
    for (const BrowseAction& action : script) {
        switch (action.kind) {
        case BrowseAction::Kind::Initialize: browser.Initialize(); break;
        case BrowseAction::Kind::Select: browser.MoveTo(AsReported(action.folder)); break;
        case BrowseAction::Kind::SelectWithoutPath: browser.MoveToItemWithoutPath(); break;
        }
    }
}

BrowseResult ScriptedServices::BrowseForFolder(CWnd* owner, const BrowseRequest& request)
{
    m_calls.push_back(CallKind::BrowseForFolder);
    // Recorded before the script runs, so the callback's effects land in this record
    // even when the callback itself asks for further prompts.
    m_browses.push_back({owner, request.prompt, request.root, static_cast<bool>(request.callback), {}, {}, {}});
    const std::size_t index = m_browses.size() - 1;
    if (m_browseAnswers.empty()) {
        ADD_FAILURE() << "unscripted folder browser: \"" << m_browses[index].PromptUtf8() << "\"; cancelled";
        return std::nullopt;
    }
    BrowseAnswer answer = std::move(m_browseAnswers.front());
    m_browseAnswers.pop_front();
    BrowseCall record = m_browses[index];
    RunBrowseScript(request, answer.script, record);
    record.answer = answer.chosen;
    m_browses[index] = std::move(record);
    return answer.chosen;
}

bool ScriptedServices::OpenWithAssociatedProgram(const fs::path& file)
{
    m_calls.push_back(CallKind::OpenWithAssociatedProgram);
    m_openedFiles.push_back(file);
    return m_openFileSucceeds;
}

bool ScriptedServices::OpenFolder(const fs::path& folder)
{
    m_calls.push_back(CallKind::OpenFolder);
    m_openedFolders.push_back(folder);
    return m_openFolderSucceeds;
}

// ---- ScopedServices -------------------------------------------------------------------

ScopedServices::ScopedServices(platform::Services& services)
    : m_previous(&platform::GetServices() == &platform::RealServices() ? nullptr : &platform::GetServices())
{
    platform::SetServices(&services);
}

ScopedServices::~ScopedServices() { platform::SetServices(m_previous); }

} // namespace mrv::testing
