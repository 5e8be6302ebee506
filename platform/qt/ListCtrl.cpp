// The report list: CListCtrl over a QTreeWidget, owner-drawn rows painted
// through a CDC over the view's QPainter, and the system colours.
#include "platform/ListCtrl.h"

#include "platform/qt/Controls.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <vector>

namespace mrv::platform::qt {

namespace {

QColor ToQColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }
COLORREF ToColorref(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }
QRect ToQRect(const CRect& rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }
CRect ToCRect(const QRect& rect) { return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()}; }

// The drawing surface handed to a row painter: a QPainter whose coordinates
// are the list's client pixels, with the text and background colours, the
// background mode and the saved states of a device context.
class PainterDC : public CDC {
public:
    PainterDC(QPainter& painter, COLORREF background, COLORREF text)
        : m_painter(painter), m_state{background, text, OPAQUE, TA_LEFT | TA_TOP}
    {
    }

    int SaveDC() override
    {
        m_painter.save();
        m_saved.push_back(m_state);
        return static_cast<int>(m_saved.size());
    }
    bool RestoreDC(int saved) override
    {
        // A negative value counts back from the latest save.
        const int level = saved < 0 ? static_cast<int>(m_saved.size()) + 1 + saved : saved;
        if (level <= 0 || level > static_cast<int>(m_saved.size())) return false;
        while (static_cast<int>(m_saved.size()) >= level) {
            m_state = m_saved.back();
            m_saved.pop_back();
            m_painter.restore();
        }
        return true;
    }
    COLORREF GetBkColor() const override { return m_state.background; }
    COLORREF GetTextColor() const override { return m_state.text; }
    COLORREF SetTextColor(COLORREF color) override { return std::exchange(m_state.text, color); }
    int SetBkMode(int mode) override { return std::exchange(m_state.mode, mode); }
    unsigned SetTextAlign(unsigned align) override { return std::exchange(m_state.align, align); }

    void FillRect(const CRect& rect, const CBrush& brush) override
    {
        if (!rect.IsRectEmpty()) m_painter.fillRect(ToQRect(rect), ToQColor(brush.color));
    }

    bool ExtTextOut(int x, int y, unsigned options, const CRect* clip, const std::string& cp949) override
    {
        const bool clipped = (options & ETO_CLIPPED) && clip;
        if (clipped && clip->IsRectEmpty()) return true;  // nothing can show
        const QString text = ToQString(cp949);
        m_painter.save();
        if (clipped) m_painter.setClipRect(ToQRect(*clip), Qt::IntersectClip);
        const QFontMetrics metrics(m_painter.font());
        if (m_state.mode == OPAQUE)
            m_painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), ToQColor(m_state.background));
        m_painter.setPen(ToQColor(m_state.text));
        m_painter.drawText(QPoint(x, y + metrics.ascent()), text);
        m_painter.restore();
        return true;
    }

    void DrawFocusRect(const CRect& rect) override
    {
        if (rect.IsRectEmpty()) return;
        // A dotted frame that inverts what lies beneath, so a second call removes it.
        m_painter.save();
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
        m_painter.restore();
    }

private:
    struct State {
        COLORREF background;
        COLORREF text;
        int mode;
        unsigned align;
    };
    QPainter& m_painter;
    State m_state;
    std::vector<State> m_saved;
};

ListView* ListOf(HWND handle) { return handle ? dynamic_cast<ListView*>(handle->widget) : nullptr; }

} // namespace

// ---- The view -------------------------------------------------------------------------------

ListView::ListView(std::shared_ptr<DialogWindow> window, int id, std::uint32_t style, QWidget* parent)
    : QTreeWidget(parent), m_window(std::move(window)), m_id(id), m_ownerDraw((style & CS_OWNERDRAW) != 0)
{
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode((style & CS_SINGLESEL) ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    setFrameStyle((style & CS_BORDER) ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // A column may be dragged down to nothing, as in the platform's list view.
    header()->setMinimumSectionSize(0);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QPoint ListView::ViewportOffset() const { return viewport()->geometry().topLeft() - contentsRect().topLeft(); }

QRect ListView::RowRect(int row) const
{
    const QRect cell = visualRect(model()->index(row, 0));
    if (cell.isNull()) return {};
    return QRect(-horizontalOffset(), cell.top(), header()->length(), cell.height());
}

QRect ListView::CellRect(int row, int column) const
{
    const QRect band = RowRect(row);
    if (band.isNull() || column < 0 || column >= columnCount()) return {};
    return QRect(header()->sectionViewportPosition(column), band.top(), header()->sectionSize(column), band.height());
}

void ListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!m_ownerDraw) {
        QTreeWidget::drawRow(painter, option, index);
        return;
    }
    if (!m_window->dialog) return;
    DispatchScope scope(m_window);
    auto* list = dynamic_cast<CListCtrl*>(scope.Dialog()->GetDlgItem(m_id));
    if (!list) return;

    const int row = index.row();
    const QPoint offset = ViewportOffset();
    DrawItemStruct item;
    item.itemID = static_cast<unsigned>(row);
    if (selectionModel()->isRowSelected(row, QModelIndex())) item.itemState |= ODS_SELECTED;
    if (currentIndex().isValid() && currentIndex().row() == row && hasFocus()) item.itemState |= ODS_FOCUS;
    item.rcItem = ToCRect(RowRect(row).translated(offset));

    painter->save();
    painter->translate(-offset);  // the painter now takes client pixels
    PainterDC dc(*painter, ToColorref(palette().color(QPalette::Base)), ToColorref(palette().color(QPalette::Text)));
    item.pDC = &dc;
    LRESULT result = 0;
    list->OnChildNotify(WM_DRAWITEM, static_cast<std::uintptr_t>(m_id), reinterpret_cast<std::intptr_t>(&item), &result);
    painter->restore();
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    m_afterDoubleClick = false;
    QTreeWidget::mousePressEvent(event);
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    // The view has selected the row by now; the dialog hears of the click after.
    QTreeWidget::mouseReleaseEvent(event);
    if (std::exchange(m_afterDoubleClick, false)) return;  // the second click of a double click
    if (event->button() == Qt::LeftButton) Notify(NM_CLICK);
    if (event->button() == Qt::RightButton) Notify(NM_RCLICK);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    m_afterDoubleClick = true;
    if (event->button() == Qt::LeftButton) Notify(NM_DBLCLK);
}

void ListView::Notify(int code)
{
    if (!m_window->dialog) return;
    DispatchScope scope(m_window);
    NMHDR header{scope.Dialog()->GetDlgItem(m_id), m_id, code};
    LRESULT result = 0;
    scope.Dialog()->DispatchNotify(&header, &result);
}

} // namespace mrv::platform::qt

// ---- CListCtrl ----------------------------------------------------------------------------------

using mrv::platform::qt::ListOf;
using mrv::platform::qt::ToCp949;
using mrv::platform::qt::ToQString;

int CListCtrl::InsertColumn(int column, const std::string& heading, int /*format*/, int width)
{
    auto* view = ListOf(m_hWnd);
    if (!view || column < 0) return -1;
    const int count = view->columnCount();
    const int at = std::min(column, count);
    // Shift the texts of the columns at and after the new one.
    view->setColumnCount(count + 1);
    QTreeWidgetItem* header = view->headerItem();
    for (int c = count; c > at; --c) header->setText(c, header->text(c - 1));
    header->setText(at, ToQString(heading));
    for (int row = 0; row < view->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = view->topLevelItem(row);
        for (int c = count; c > at; --c) item->setText(c, item->text(c - 1));
        item->setText(at, QString());
    }
    const int pixels = width >= 0 ? width : view->fontMetrics().horizontalAdvance(header->text(at)) + 12;
    view->header()->resizeSection(at, pixels);
    return at;
}

int CListCtrl::GetColumnWidth(int column) const
{
    auto* view = ListOf(m_hWnd);
    if (!view || column < 0 || column >= view->columnCount()) return 0;
    return view->header()->sectionSize(column);
}

bool CListCtrl::SetColumnWidth(int column, int width)
{
    auto* view = ListOf(m_hWnd);
    if (!view || column < 0 || column >= view->columnCount() || width < 0) return false;
    view->header()->resizeSection(column, width);
    return true;
}

int CListCtrl::GetItemCount() const
{
    auto* view = ListOf(m_hWnd);
    return view ? view->topLevelItemCount() : 0;
}

int CListCtrl::InsertItem(int item, const std::string& text)
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0) return -1;
    const int at = std::min(item, view->topLevelItemCount());
    auto* row = new QTreeWidgetItem();
    row->setText(0, ToQString(text));
    view->insertTopLevelItem(at, row);
    return at;
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text)
{
    auto* view = ListOf(m_hWnd);
    if (!view || subItem < 0 || subItem >= std::max(1, view->columnCount())) return false;
    QTreeWidgetItem* row = view->topLevelItem(item);
    if (!row) return false;
    row->setText(subItem, ToQString(text));
    return true;
}

std::string CListCtrl::GetItemText(int item, int subItem) const
{
    auto* view = ListOf(m_hWnd);
    QTreeWidgetItem* row = view && item >= 0 ? view->topLevelItem(item) : nullptr;
    return row && subItem >= 0 ? ToCp949(row->text(subItem)) : std::string();
}

bool CListCtrl::DeleteItem(int item)
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->topLevelItemCount()) return false;
    delete view->takeTopLevelItem(item);
    return true;
}

bool CListCtrl::DeleteAllItems()
{
    auto* view = ListOf(m_hWnd);
    if (!view) return false;
    view->clear();
    return true;
}

unsigned CListCtrl::GetItemState(int item, unsigned mask) const
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->topLevelItemCount()) return 0;
    unsigned state = 0;
    if (view->selectionModel()->isRowSelected(item, QModelIndex())) state |= LVIS_SELECTED;
    if (view->currentIndex().isValid() && view->currentIndex().row() == item) state |= LVIS_FOCUSED;
    return state & mask;
}

bool CListCtrl::SetItemState(int item, unsigned state, unsigned mask)
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->topLevelItemCount()) return false;
    const QModelIndex index = view->model()->index(item, 0);
    if (mask & LVIS_FOCUSED) {
        if (state & LVIS_FOCUSED)
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        else if (view->currentIndex().row() == item)
            view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    if (mask & LVIS_SELECTED) {
        const auto flags = (state & LVIS_SELECTED) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
        // A list with one selected row gives up the old one.
        const bool single = view->selectionMode() == QAbstractItemView::SingleSelection && (state & LVIS_SELECTED);
        view->selectionModel()->select(index, (single ? QItemSelectionModel::ClearAndSelect : flags) | QItemSelectionModel::Rows);
    }
    return true;
}

bool CListCtrl::GetSubItemRect(int item, int subItem, int area, CRect& rect) const
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->topLevelItemCount()) return false;
    // Column 0's bounds are the whole row, as the platform reports them.
    const QRect cell = subItem == 0 && area == LVIR_BOUNDS ? view->RowRect(item) : view->CellRect(item, subItem);
    if (cell.isNull()) return false;
    rect = mrv::platform::qt::ToCRect(cell.translated(view->ViewportOffset()));
    return true;
}

COLORREF GetSysColor(int index)
{
    // Without a toolkit (a test of the painting alone), the classic colours.
    if (!qApp) {
        switch (index) {
        case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
        case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
        case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
        default: return RGB(255, 255, 255);
        }
    }
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_HIGHLIGHT: return mrv::platform::qt::ToColorref(palette.color(QPalette::Active, QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT: return mrv::platform::qt::ToColorref(palette.color(QPalette::Active, QPalette::HighlightedText));
    case COLOR_WINDOWTEXT: return mrv::platform::qt::ToColorref(palette.color(QPalette::Active, QPalette::Text));
    case COLOR_WINDOW: return mrv::platform::qt::ToColorref(palette.color(QPalette::Active, QPalette::Base));
    default: return mrv::platform::qt::ToColorref(palette.color(QPalette::Active, QPalette::Window));
    }
}
