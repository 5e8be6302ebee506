// A stand-in for the prompts and operating-system services, for dialog tests.
// Every call is recorded; every prompt takes its answer from a queue the test
// filled beforehand. A prompt nobody scripted fails the test (and gets the
// answer that changes least: No, cancel), and so does an answer left unused
// when the stand-in goes away.
//
//     ScriptedServices services;
//     ScopedServices installed(services);
//     services.AnswerMessageBox(CommandId::Yes);
//     Click(deleteButton);
//     ASSERT_EQ(services.MessageBoxes().size(), 1u);
//     EXPECT_EQ(services.MessageBoxes()[0].TextUtf8(), "삭제하시겠습니까?");
#pragma once

#include "platform/Services.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mrv::testing {

enum class CallKind { MessageBoxCp949, GetOpenFilePath, BrowseForFolder, OpenWithAssociatedProgram, OpenFolder };
const char* ToString(CallKind kind);

struct MessageBoxCall {
    CWnd* owner = nullptr;
    std::string text;      // CP949, as the program passed it
    std::string caption;   // CP949
    unsigned type = 0;     // MsgBox flags
    int answer = 0;        // what the stand-in returned

    std::string TextUtf8() const;
    std::string CaptionUtf8() const;
    unsigned Buttons() const { return type & MsgBox::TypeMask; }
    unsigned Icon() const { return type & MsgBox::IconMask; }
};

struct OpenFileCall {
    CWnd* owner = nullptr;
    platform::OpenFileRequest request;   // texts CP949
    std::optional<std::filesystem::path> answer;

    std::string TitleUtf8() const;
    std::string FilterUtf8() const;
};

// What the browser's callback did while the stand-in browser was up.
struct BrowseCall {
    CWnd* owner = nullptr;
    std::string prompt;                  // CP949
    std::optional<std::filesystem::path> root;
    bool hasCallback = false;
    std::vector<std::filesystem::path> selectionsSet;     // FolderBrowser::SetSelection, in order
    std::vector<std::string> statusTexts;  // FolderBrowser::SetStatusText (CP949), in order
    platform::BrowseResult answer;

    std::string PromptUtf8() const;
    // The status line as the user would last have seen it (UTF-8), "" when never set.
    std::string LastStatusUtf8() const;
};

// One thing the stand-in browser does with the request's callback before it answers.
struct BrowseAction {
    enum class Kind { Initialize, Select, SelectWithoutPath } kind;
    std::filesystem::path folder;   // for Select

    // The browser comes up: the callback runs with Initialized.
    static BrowseAction Initialized() { return {Kind::Initialize, {}}; }
    // The user moves the selection to a folder: SelectionChanged with its path.
    static BrowseAction Select(std::filesystem::path folder) { return {Kind::Select, std::move(folder)}; }
    // The user moves to an item without a file-system path: SelectionChanged with nullptr.
    static BrowseAction SelectWithoutPath() { return {Kind::SelectWithoutPath, {}}; }
};

class ScriptedServices : public platform::Services {
public:
    ScriptedServices();
    ~ScriptedServices() override;
    ScriptedServices(const ScriptedServices&) = delete;
    ScriptedServices& operator=(const ScriptedServices&) = delete;

    // ---- Scripting the prompts (answers are used in the order given) -----------
    ScriptedServices& AnswerMessageBox(int result);
    // An answer worked out while the box is "up": the test can act there as a
    // user could (other windows keep running while a prompt waits).
    ScriptedServices& AnswerMessageBox(std::function<int(const MessageBoxCall&)> answer);
    // A box with only an OK button needs no script when this is on; it is still recorded.
    ScriptedServices& AcceptUnscriptedOkBoxes(bool accept = true);

    ScriptedServices& AnswerOpenFile(std::optional<std::filesystem::path> chosen);
    ScriptedServices& CancelOpenFile() { return AnswerOpenFile(std::nullopt); }

    // The stand-in browser first runs script with the request's callback (by
    // default just Initialized, as a real browser does when it comes up), then
    // answers chosen. A SetSelection of an existing folder from the callback
    // moves the selection there and runs the callback with SelectionChanged,
    // as the real browser does.
    ScriptedServices& AnswerBrowse(platform::BrowseResult chosen,
                                   std::vector<BrowseAction> script = {BrowseAction::Initialized()});
    ScriptedServices& CancelBrowse(std::vector<BrowseAction> script = {BrowseAction::Initialized()})
    {
        return AnswerBrowse(std::nullopt, std::move(script));
    }

    // Results of starting a program (true unless set).
    ScriptedServices& SetOpenFileSucceeds(bool ok);
    ScriptedServices& SetOpenFolderSucceeds(bool ok);

    // ---- The fixed world the program sees -------------------------------------
    ScriptedServices& SetLocalTime(const platform::LocalTime& time);
    ScriptedServices& SetUserName(std::string cp949);
    ScriptedServices& SetProgramFolder(std::filesystem::path folder);   // give it with a trailing separator
    ScriptedServices& SetTempFolder(std::filesystem::path folder);
    ScriptedServices& SetHomeFolder(std::filesystem::path folder);

    // ---- What happened -------------------------------------------------------
    const std::vector<CallKind>& Calls() const { return m_calls; }
    const std::vector<MessageBoxCall>& MessageBoxes() const { return m_messageBoxes; }
    const std::vector<OpenFileCall>& OpenFileDialogs() const { return m_openFiles; }
    const std::vector<BrowseCall>& Browses() const { return m_browses; }
    const std::vector<std::filesystem::path>& OpenedFiles() const { return m_openedFiles; }
    const std::vector<std::filesystem::path>& OpenedFolders() const { return m_openedFolders; }
    // Message boxes, file dialogs and folder browsers shown so far.
    std::size_t PromptCount() const;
    // Forgets the records (not the scripted answers).
    void ClearRecords();
    // Answers scripted but not asked for yet.
    std::size_t PendingAnswers() const;
    // Off: unused answers at destruction are not a failure.
    void ExpectAllAnswersUsed(bool expect) { m_expectAllUsed = expect; }

    // ---- platform::Services ----------------------------------------------------
    int MessageBoxCp949(CWnd* owner, const std::string& text, const std::string& caption, unsigned type) override;
    std::optional<std::filesystem::path> GetOpenFilePath(CWnd* owner, const platform::OpenFileRequest& request) override;
    platform::BrowseResult BrowseForFolder(CWnd* owner, const platform::BrowseRequest& request) override;
    bool OpenWithAssociatedProgram(const std::filesystem::path& file) override;
    bool OpenFolder(const std::filesystem::path& folder) override;
    platform::LocalTime GetLocalTime() override { return m_time; }
    std::string GetUserNameCp949() override { return m_userName; }
    std::filesystem::path GetProgramFolder() override { return m_programFolder; }
    std::filesystem::path GetTempFolder() override { return m_tempFolder; }
    std::filesystem::path GetHomeFolder() override { return m_homeFolder; }

private:
    struct BrowseAnswer {
        platform::BrowseResult chosen;
        std::vector<BrowseAction> script;
    };
    void RunBrowseScript(const platform::BrowseRequest& request, const std::vector<BrowseAction>& script,
                         BrowseCall& record);

    std::deque<std::function<int(const MessageBoxCall&)>> m_messageBoxAnswers;
    std::deque<std::optional<std::filesystem::path>> m_openFileAnswers;
    std::deque<BrowseAnswer> m_browseAnswers;
    bool m_acceptOkBoxes = false;
    bool m_expectAllUsed = true;
    bool m_openFileSucceeds = true;
    bool m_openFolderSucceeds = true;

    platform::LocalTime m_time;
    std::string m_userName;
    std::filesystem::path m_programFolder;
    std::filesystem::path m_tempFolder;
    std::filesystem::path m_homeFolder;

    std::vector<CallKind> m_calls;
    std::vector<MessageBoxCall> m_messageBoxes;
    std::vector<OpenFileCall> m_openFiles;
    std::vector<BrowseCall> m_browses;
    std::vector<std::filesystem::path> m_openedFiles;
    std::vector<std::filesystem::path> m_openedFolders;
};

// Installs services for the scope and puts back the ones in force before.
class ScopedServices {
public:
    explicit ScopedServices(platform::Services& services);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    platform::Services* m_previous;   // nullptr: the real services
};

} // namespace mrv::testing
