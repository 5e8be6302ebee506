// Rules over window handles that every windowing backend keeps alike. A
// backend's WindowHandle names its dialog window (`window`, which holds the
// `dialog`, its own handle `self`, its `controls` in template order and the
// dialogs it `owned`), its control's template (`control`, nullptr for the
// dialog window itself), its place among the controls (`index`) and the
// `wrapper` of a control without an object of its own; these templates work
// over any handle and window of that shape.
#pragma once

#include "platform/Dialog.h"
#include "platform/Backend.h"

#include <algorithm>
#include <memory>

namespace mrv::platform::backend {

// The object that stands for a handle: the dialog for its window; for a
// control the dialog's member object attached to it, else the object
// GetDlgItem gives for the first control with its id; a further control with
// the same id (labels have none) gets a wrapper of its own.
template <class Handle>
CWnd* ObjectOf(Handle& handle)
{
    CDialog* dialog = handle.window ? handle.window->dialog : nullptr;
    if (!dialog) return nullptr;
    if (!handle.control) return dialog;
    if (CWnd* object = dialog->ControlObject(handle.control->id); object && object->GetSafeHwnd() == &handle)
        return object;
    if (FindControl(&handle.window->self, handle.control->id) == &handle) return dialog->GetDlgItem(handle.control->id);
    if (!handle.wrapper) {
        handle.wrapper = std::make_unique<CWnd>();
        handle.wrapper->Attach(&handle);
    }
    return handle.wrapper.get();
}

// The object of the control after this one in its dialog's template, or nullptr.
template <class Handle>
CWnd* NextControlObject(const Handle* handle)
{
    if (!handle || !handle->control) return nullptr;
    auto& controls = handle->window->controls;
    const auto next = static_cast<std::size_t>(handle->index) + 1;
    return next < controls.size() ? ObjectOf(*controls[next]) : nullptr;
}

// The dialog whose window holds the handle, or nullptr.
template <class Handle>
CDialog* DialogOf(const Handle* handle)
{
    return handle && handle->window ? handle->window->dialog : nullptr;
}

// A member object that dies before its dialog's window lets its control go.
template <class Handle>
void ForgetObject(const Handle* handle, const CWnd* object)
{
    if (!handle || !handle->control) return;
    CDialog* dialog = handle->window ? handle->window->dialog : nullptr;
    const int id = handle->control->id;
    if (dialog && dialog->ControlObject(id) == object) dialog->RegisterControlObject(id, nullptr);
}

// The owner's window lists the dialogs it owns while they are up, so that
// they are hidden, shown and closed with it.
template <class Window>
void Own(Window* ownerWindow, CDialog& owned)
{
    if (ownerWindow) ownerWindow->owned.push_back(&owned);
}

template <class Window>
void Disown(Window* ownerWindow, CDialog& owned)
{
    if (!ownerWindow) return;
    auto& list = ownerWindow->owned;
    list.erase(std::remove(list.begin(), list.end(), &owned), list.end());
}

} // namespace mrv::platform::backend
