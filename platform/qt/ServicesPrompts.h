// How the services' prompts are parented and run: modal to their owner's
// window only, in a nested event loop, so other windows and timers go on.
#pragma once

#include <QStringList>

#include <string>

class CWnd;
class QDialog;
class QWidget;

namespace mrv::platform::qt {

// The Qt parent of a prompt owned by owner: its top-level window, or nullptr.
QWidget* PromptParent(CWnd* owner);

// Shows the prompt and returns its result once it is closed. With a parent it
// blocks that window alone; without one it blocks nothing.
int RunPrompt(QDialog& prompt);

// "Name|pattern;pattern|Name|pattern||" (CP949) as Qt name filters. Patterns
// match as on the original platform: without regard to case, "*.*" every name.
QStringList NameFiltersFromBarNotation(const std::string& cp949Filter);

// The property of the file-open dialog that holds the request's default
// extension, for the tests that look at the dialog.
inline constexpr const char* kDefaultExtensionProperty = "mrvDefaultExtension";

} // namespace mrv::platform::qt
