#include "platform/DataExchange.h"

#include "core/FileSystem.h"
#include "text/Cp949.h"
#include "platform/Backend.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace {

// The framework's prompts of a failed read. %1 and %2 stand for the limits.
constexpr std::string_view kParseIntPrompt = "정수를 입력하십시오.";
constexpr std::string_view kStringSizePrompt = "%1 이하의 문자를 입력하십시오.";
constexpr std::string_view kIntRangePrompt = "%1와(과) %2 사이의 정수를 입력하십시오.";

// An integer is read from at most this many characters of the control's text;
// whatever follows is never looked at.
constexpr std::size_t kIntegerTextLimit = 31;

// kStringSizePrompt / kIntRangePrompt with their placeholders filled in, as CP949.
std::string FormatPrompt(std::string_view utf8Template, const std::string& arg1, const std::string& arg2 = {})
{
    std::string out;
    for (std::size_t i = 0; i < utf8Template.size(); ++i) {
        if (utf8Template[i] == '%' && i + 1 < utf8Template.size()
            && (utf8Template[i + 1] == '1' || utf8Template[i + 1] == '2')) {
            out += utf8Template[i + 1] == '1' ? arg1 : arg2;
            ++i;
        } else {
            out += utf8Template[i];
        }
    }
    return mrv::text::K(out);
}

void FailWithPrompt(CDataExchange* pDX, const std::string& cp949Prompt)
{
    AfxMessageBox(cp949Prompt, MsgBox::IconExclamation | MsgBox::Ok);
    pDX->Fail();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text a static shows for a host path: its characters as far as CP949
// holds them, '?' for each one it cannot (bytes that are not UTF-8 included).
std::string PathDisplayText(const std::filesystem::path& path)
{
    return mrv::text::Utf8ToCp949Lossy(mrv::os::PathText(path));
}

// A path typed or set as CP949 text, back on the host.
std::filesystem::path PathFromDisplayText(const std::string& cp949)
{
    return mrv::os::PathFromUtf8(mrv::text::Cp949ToUtf8Lossy(cp949));
}

} // namespace

namespace mrv::platform {

bool ParseDialogInteger(const std::string& fullText, int& value)
{
    const std::string_view text = std::string_view(fullText).substr(0, kIntegerTextLimit);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return false;
    const char first = text[i];

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    // Thirty digits overflow 64 bits, so the magnitude saturates just past the
    // 32-bit range instead of growing without bound.
    constexpr std::int64_t kSaturated = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    const std::size_t digitsBegin = i;
    while (i < text.size() && IsDigit(text[i])) {
        magnitude = std::min(kSaturated, magnitude * 10 + (text[i] - '0'));
        ++i;
    }
    if (i == digitsBegin) return false;  // a sign alone, or no number at all

    std::int64_t signedValue = negative ? -magnitude : magnitude;
    signedValue = std::clamp<std::int64_t>(signedValue, std::numeric_limits<int>::min(),
                                          std::numeric_limits<int>::max());
    // A zero has to be written as one: "-0" and "+0" do not read as 0.
    if (signedValue == 0 && first != '0') return false;

    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i != text.size()) return false;
    value = static_cast<int>(signedValue);
    return true;
}

} // namespace mrv::platform

// ---- CDataExchange ------------------------------------------------------------

CDataExchange::CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

CWnd* CDataExchange::PrepareCtrl(int id)
{
    m_idLastControl = id;
    m_bEditLastControl = false;
    return m_pDlgWnd->GetDlgItem(id);
}

CWnd* CDataExchange::PrepareEditCtrl(int id)
{
    CWnd* control = PrepareCtrl(id);
    m_bEditLastControl = control && control->GetControlKind() == ControlKind::Edit;
    return control;
}

void CDataExchange::Fail()
{
    m_failed = true;
    if (!m_bSaveAndValidate) return;  // a write has nothing for the user to correct
    CWnd* control = m_pDlgWnd->GetDlgItem(m_idLastControl);
    if (!control) return;
    control->SetFocus();
    if (m_bEditLastControl) control->SetSel(0, -1);
}

// ---- Exchange steps ------------------------------------------------------------

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (pDX->Failed() || control.IsAttached()) return;
    CDialog* dialog = pDX->m_pDlgWnd;
    WindowHandle* const handle = mrv::platform::backend::FindControl(dialog->GetSafeHwnd(), id);
    if (!handle) return;
    control.Attach(handle);
    dialog->RegisterControlObject(id, &control);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    if (pDX->Failed()) return;
    CWnd* control = pDX->PrepareEditCtrl(id);
    if (!control) return;
    if (pDX->m_bSaveAndValidate)
        value = control->GetWindowTextCp949();
    else
        control->SetWindowTextCp949(value);
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed()) return;
    CWnd* control = pDX->PrepareEditCtrl(id);
    if (!control) return;
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowTextCp949(std::to_string(value));
        return;
    }
    int parsed = 0;
    if (!mrv::platform::ParseDialogInteger(control->GetWindowTextCp949(), parsed)) {
        FailWithPrompt(pDX, mrv::text::K(kParseIntPrompt));
        return;
    }
    value = parsed;
}

void DDX_Text(CDataExchange* pDX, int id, std::filesystem::path& value)
{
    if (pDX->Failed()) return;
    CWnd* control = pDX->PrepareEditCtrl(id);
    if (!control) return;
    const std::string shown = PathDisplayText(value);
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowTextCp949(shown);
        return;
    }
    // The display text is lossy: reading it back would turn every character
    // CP949 lacks into '?'. Only a text that differs from it is a new path.
    const std::string text = control->GetWindowTextCp949();
    if (text != shown) value = PathFromDisplayText(text);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed()) return;
    auto* button = static_cast<CButton*>(pDX->PrepareCtrl(id));
    if (!button) return;
    if (pDX->m_bSaveAndValidate) {
        value = button->GetCheck();
        return;
    }
    if (value < 0 || value > 2) value = 0;
    button->SetCheck(value);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed()) return;
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control) return;
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    do {
        if (control->GetControlKind() == ControlKind::RadioButton) {
            auto* button = static_cast<CButton*>(control);
            if (pDX->m_bSaveAndValidate) {
                if (button->GetCheck() != 0) value = index;
            } else {
                button->SetCheck(index == value ? 1 : 0);
            }
            ++index;
        }
        control = control->GetNextControl();
    } while (control && (control->GetStyle() & ControlStyle::Group) == 0);
}

// ---- Validation steps ----------------------------------------------------------

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars)
{
    if (pDX->Failed()) return;
    if (pDX->m_bSaveAndValidate && value.size() > static_cast<std::size_t>(nChars)) {
        FailWithPrompt(pDX, FormatPrompt(kStringSizePrompt, std::to_string(nChars)));
        return;
    }
    // The edit itself then refuses input past the limit, so a read seldom fails.
    if (!pDX->LastControlIsEdit()) return;
    if (CWnd* edit = pDX->m_pDlgWnd->GetDlgItem(pDX->LastControlId())) edit->LimitText(nChars);
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate) return;
    if (value < minVal || value > maxVal)
        FailWithPrompt(pDX, FormatPrompt(kIntRangePrompt, std::to_string(minVal), std::to_string(maxVal)));
}
