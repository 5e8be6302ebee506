// Dialog classes of the platform tests: each records what reaches it.
#pragma once

#include "platform/DataExchange.h"
#include "tests/platform/TestTemplates.h"

#include <map>
#include <new>
#include <string>
#include <vector>

// Records its commands, presses, ticks and the framework's default handlers.
class RecordingDlg : public CDialog {
public:
    explicit RecordingDlg(int templateId = test_ids::IDD_LAYOUT, CWnd* parent = nullptr) : CDialog(templateId, parent) {}

    std::vector<std::string> log;
    std::map<unsigned, int> ticks;
    unsigned killAfterTicks = 0;   // > 0: a timer kills itself on that tick
    bool exchangeName = false;     // DoDataExchange binds IDC_NAME to m_name
    bool runThrows = false;        // OnRun fails as an exhausted memory would
    std::string m_name;

    void DoDataExchange(CDataExchange* pDX) override
    {
        if (exchangeName) DDX_Text(pDX, test_ids::IDC_NAME, m_name);
    }
    void OnOK() override
    {
        log.push_back("OnOK");
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        log.push_back("OnCancel");
        CDialog::OnCancel();
    }

    void OnRun()
    {
        if (runThrows) throw std::bad_alloc();
        log.push_back("run");
    }
    void OnNameChanged() { log.push_back("change " + GetDlgItem(test_ids::IDC_NAME)->GetWindowTextCp949()); }
    void OnRadio() { log.push_back("radio"); }
    void OnPress(unsigned flags, CPoint at) { log.push_back("down " + Point(at) + Flags(flags)); }
    void OnDoubleClick(unsigned flags, CPoint at) { log.push_back("dblclk " + Point(at) + Flags(flags)); }
    void OnTimer(unsigned id)
    {
        if (++ticks[id] == static_cast<int>(killAfterTicks)) KillTimer(id);
    }
    void OnDestroy() { log.push_back("destroy"); }

    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {
            OnBnClicked(test_ids::IDC_RUN, &RecordingDlg::OnRun),
            OnEnChange(test_ids::IDC_NAME, &RecordingDlg::OnNameChanged),
            OnBnClicked(test_ids::IDC_B, &RecordingDlg::OnRadio),
            OnWmLButtonDown(&RecordingDlg::OnPress),
            OnWmLButtonDblClk(&RecordingDlg::OnDoubleClick),
            OnWmTimer(&RecordingDlg::OnTimer),
            OnWmDestroy(&RecordingDlg::OnDestroy),
        };
        static const MessageMap map{CDialog::GetThisMessageMap(), entries};
        return &map;
    }

private:
    static std::string Point(CPoint at) { return std::to_string(at.x) + "," + std::to_string(at.y); }
    static std::string Flags(unsigned flags) { return flags ? " flags " + std::to_string(flags) : ""; }
};

// A window with a close handler of its own, as the search window has.
class ClosingDlg : public RecordingDlg {
public:
    using RecordingDlg::RecordingDlg;
    bool closeAsDefault = false;   // the handler goes on with the default handling

    void OnCloseBox()
    {
        log.push_back("close");
        if (closeAsDefault) OnClose();
    }
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {OnWmClose(&ClosingDlg::OnCloseBox)};
        static const MessageMap map{RecordingDlg::GetThisMessageMap(), entries};
        return &map;
    }
};

// Two levels of tables: the derived table comes first, the base fills in.
class BaseTableDlg : public CDialog {
public:
    BaseTableDlg() : CDialog(test_ids::IDD_LAYOUT) {}
    std::vector<std::string> log;
    void OnBaseRun() { log.push_back("base run"); }
    void OnBaseOnly() { log.push_back("base only"); }
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {
            OnBnClicked(test_ids::IDC_RUN, &BaseTableDlg::OnBaseRun),
            OnBnClicked(test_ids::IDC_BASE_ONLY, &BaseTableDlg::OnBaseOnly),
        };
        static const MessageMap map{CDialog::GetThisMessageMap(), entries};
        return &map;
    }
};

class DerivedTableDlg : public BaseTableDlg {
public:
    void OnDerivedRun() { log.push_back("derived run"); }
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {OnBnClicked(test_ids::IDC_RUN, &DerivedTableDlg::OnDerivedRun)};
        static const MessageMap map{BaseTableDlg::GetThisMessageMap(), entries};
        return &map;
    }
};
