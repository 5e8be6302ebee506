// The Qt widget behind a window object, for code in platform/qt/ that opens
// its own Qt windows (the services' prompts).
//
// A prompt owned by a window takes WidgetOf(owner)->window() as its Qt parent
// and Qt::WindowModal: it then blocks that window alone, and the other windows
// (the modeless search window) and all timers go on. A prompt without owner has
// no Qt parent and runs with show() and a nested QEventLoop, blocking nothing.
// Never use application-modal exec() for a prompt.
#pragma once

class CWnd;
class QWidget;

namespace mrv::platform::qt {

// The widget of a dialog or control, or nullptr for nullptr or a window object
// that has no window (not created yet, or destroyed).
QWidget* WidgetOf(const CWnd* window);

} // namespace mrv::platform::qt
