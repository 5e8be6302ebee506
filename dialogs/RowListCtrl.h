// The report list of all three lists: every row painted as one full-width band,
// selected rows in the highlight colours, the two columns' texts with 5-pixel
// margins and clipped to their columns.
#pragma once

#include "platform/ListCtrl.h"

class CRowListCtrl : public CListCtrl {
public:
    ~CRowListCtrl() override = default;
    bool OnChildNotify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, MessageResult* pResult) override;
    void DrawItem(DrawItemStruct* pDrawItem) override;
};
