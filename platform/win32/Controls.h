// What the dialog procedure asks of the controls: edits that count CP949
// bytes, and report lists whose rows the program holds.
#pragma once

#include "platform/win32/Window.h"

#include <commctrl.h>

namespace mrv::platform::win32 {

// Called once the dialog manager has made the control.
void PrepareEdit(WindowHandle& edit);
// Called for every change of an edit's text before the dialog hears of it
// (EN_UPDATE): a change that breaks the edit's rules (more CP949 bytes than its
// limit, a character CP949 lacks) is undone, whatever brought it, with a beep.
void HoldEditRules(WindowHandle& edit);
// True when a change notification (EN_CHANGE) belongs to a change that was
// undone, or to its undoing: the dialog does not hear of it.
bool IsRefusedChange(WindowHandle& edit);
void PrepareList(DialogWindow& window, WindowHandle& list);

// The rows of a list control, nullptr for another control.
ListRows* RowsOf(WindowHandle* list);

// A list's requests for texts; true when handled (result is then the answer).
bool HandleListNotify(DialogWindow& window, NMHDR* header, MessageResult* result);
// Paints an owner-drawn list row through the list object's DrawItem.
bool DrawListItem(DialogWindow& window, DRAWITEMSTRUCT* item);

// A CP949 text's length in bytes as an edit counts it ('?' for a character
// CP949 cannot hold).
std::size_t Cp949Bytes(const std::wstring& text);

} // namespace mrv::platform::win32
