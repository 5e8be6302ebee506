// Data exchange between dialog members and controls. A pass runs the steps of
// DoDataExchange in order; the first step that fails shows its message, puts
// the focus on its control (selecting an edit's whole text) and every later
// step of that pass does nothing, so later members keep their values.
#pragma once

#include "platform/Dialog.h"

#include <filesystem>
#include <string>

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate);

    bool m_bSaveAndValidate;   // true: controls → members
    CDialog* m_pDlgWnd;

    bool Failed() const { return m_failed; }
    // Notes the control that the next DDV step checks.
    CWnd* PrepareCtrl(int id);
    CWnd* PrepareEditCtrl(int id);
    // Shows nothing itself: moves the focus to the last prepared control,
    // selects all of an edit's text, and stops the pass.
    void Fail();
    // The control of the latest Prepare step (0: none yet) and whether it is an edit.
    int LastControlId() const { return m_idLastControl; }
    bool LastControlIsEdit() const { return m_bEditLastControl; }

private:
    bool m_failed = false;
    int m_idLastControl = 0;
    bool m_bEditLastControl = false;
};

// Attaches a member object to its control on the first pass; later passes do nothing.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Text: write sets the control only when its text differs; read takes the whole text.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Integer: write shows "%d"; read takes at most the first 31 characters, skips
// blanks and tabs, reads an optionally signed decimal number (clamped to the
// 32-bit limits), skips blanks and tabs again and must be at the end. A text
// that reads as 0 but does not begin with '0' fails. On failure: "정수를 입력하십시오.".
void DDX_Text(CDataExchange* pDX, int id, int& value);
// A host path shown in a static: converted for display only; reading keeps
// the path unless the control shows a different text.
void DDX_Text(CDataExchange* pDX, int id, std::filesystem::path& value);
// Check box: write maps values outside 0..2 to 0; read stores the check state.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// Radio group from the button id to the next control that starts a group,
// counting only radio buttons, from 0. Write checks value's button (-1: none);
// read stores the checked button's index or -1.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// At most nChars CP949 bytes: read fails beyond it ("%1 이하의 문자를 입력하십시오.");
// write sets the edit's input limit to nChars bytes.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);
// Read fails outside min..max ("%1와(과) %2 사이의 정수를 입력하십시오.").
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);

namespace mrv::platform {
// The integer rule of DDX_Text on its own, for tests and for callers that parse
// the same way. Returns false when the text is not an integer by that rule.
bool ParseDialogInteger(const std::string& text, int& value);
} // namespace mrv::platform
