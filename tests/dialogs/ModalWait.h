// Acting in a modal dialog that an action opens, from the event loop that runs
// it, as a user acts in a dialog that has come up.
#pragma once

#include "platform/Testing.h"

#include <functional>
#include <memory>

namespace mrv::testing {

// Whether the dialog waited for came up; over once the test has moved on, so
// that a wait left from one test never acts in the next.
struct Waiting {
    bool done = false;
    bool over = false;
};

// Acts in the modal dialog of templateId once it is up; Escape afterwards
// unless the act ended it. Gives up after polls tries, 5 ms apart.
inline void WhenUp(int templateId, std::function<void(CDialog&)> act, std::shared_ptr<Waiting> waiting, int polls = 2000)
{
    namespace t = mrv::platform::testing;
    t::RunAfter(5, [=] {
        if (waiting->over) return;
        CDialog* dialog = t::ActiveModalDialog();
        if (!dialog || dialog->GetTemplateId() != templateId) {
            if (polls > 0) WhenUp(templateId, act, waiting, polls - 1);
            return;
        }
        waiting->done = true;
        act(*dialog);
        if (t::ActiveModalDialog() == dialog) t::PressEscape(*dialog);
    });
}

} // namespace mrv::testing
