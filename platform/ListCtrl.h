// Report-style list view with owner-drawn rows, and the drawing surface handed
// to the program for painting a row.
#pragma once

#include "platform/Wnd.h"

#include <cstdint>
#include <string>
#include <string_view>

// A solid brush: only its colour matters here.
struct CBrush {
    Color color = 0;
};

// Stand-in for a device context: the few operations a row painter needs.
// The backend paints with it; tests can record with a fake of their own.
class CDC {
public:
    virtual ~CDC() = default;
    virtual int SaveDC() = 0;
    virtual bool RestoreDC(int saved) = 0;
    virtual Color GetBkColor() const = 0;
    virtual Color GetTextColor() const = 0;
    virtual Color SetTextColor(Color color) = 0;         // returns the previous colour
    virtual int SetBkMode(int mode) = 0;                 // BkMode::Transparent or Opaque
    virtual unsigned SetTextAlign(unsigned align) = 0;   // TextAlign::Left | TextAlign::Top
    virtual void FillRect(const CRect& rect, const CBrush& brush) = 0;
    // Draws CP949 text with its top-left at (x, y); with TextOutOption::Clipped
    // nothing falls outside clip.
    virtual bool ExtTextOutCp949(int x, int y, unsigned options, const CRect* clip, const std::string& cp949) = 0;
    // The width and the height in pixels that ExtTextOutCp949 covers with this
    // text in the context's font.
    virtual CSize GetTextExtentCp949(const std::string& cp949) const = 0;
    virtual void DrawFocusRect(const CRect& rect) = 0;
};

// The system colours of the current theme (SysColor::Highlight, ...).
Color GetSystemColor(int index);

// What the list hands its owner-draw code for one row.
struct DrawItemStruct {
    unsigned itemID = 0;      // row index
    unsigned itemState = 0;   // OwnerDrawState bits
    CDC* pDC = nullptr;
    CRect rcItem;             // the row across all columns, client pixels
};

// The rows of a list in owner-data mode: the list holds only their count and
// asks for a text when it shows one, as the platform's owner-data list views
// do. Texts are CP949 and stay valid until the rows are set again.
class ListRowSource {
public:
    virtual ~ListRowSource() = default;
    virtual std::string_view ItemText(int item, int subItem) const = 0;
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int column, const std::string& heading, int format = ColumnFormat::Left, int width = -1);
    int GetColumnWidth(int column) const;
    // The user drags a column's border (or the program sets the width), in pixels.
    bool SetColumnWidth(int column, int width);

    // Owner-data mode: the list shows count rows whose texts come from source
    // (not owned), so that setting a hundred thousand rows costs no more than
    // setting ten. Rows cannot be inserted, changed or deleted one by one in
    // this mode. A null source returns to an empty list of ordinary rows.
    void SetVirtualRows(const ListRowSource* source, int count);

    int GetItemCount() const;
    int InsertItem(int item, const std::string& text);   // returns the new row's index, -1 on failure
    bool SetItemText(int item, int subItem, const std::string& text);
    std::string GetItemText(int item, int subItem) const;
    bool DeleteItem(int item);
    bool DeleteAllItems();

    unsigned GetItemState(int item, unsigned mask) const;
    bool SetItemState(int item, unsigned state, unsigned mask);

    // Rectangle of one cell of a row, client pixels; area ListItemRect::Label or Bounds.
    bool GetSubItemRect(int item, int subItem, int area, CRect& rect) const;

    // Messages the parent reflects back to the control (WindowMsg::DrawItem for
    // an owner-drawn list). Returns true when handled. lParam of DrawItem points
    // at a DrawItemStruct. The default handles nothing.
    virtual bool OnChildNotify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, MessageResult* pResult);
    // Paints one owner-drawn row. The default paints nothing.
    virtual void DrawItem(DrawItemStruct* pDrawItem);
};
