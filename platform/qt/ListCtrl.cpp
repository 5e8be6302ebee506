// The report list: CListCtrl over a QTreeView and a model of its own, owner-drawn rows painted
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

QColor ToQColor(Color color) { return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color)); }
Color ToColor(const QColor& color) { return ColorRgb(color.red(), color.green(), color.blue()); }
QRect ToQRect(const CRect& rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }
CRect ToCRect(const QRect& rect) { return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()}; }

// The drawing surface handed to a row painter: a QPainter whose coordinates
// are the list's client pixels, with the text and background colours, the
// background mode and the saved states of a device context.
class PainterDC : public CDC {
public:
    PainterDC(QPainter& painter, Color background, Color text)
        : m_painter(painter), m_state{background, text, BkMode::Opaque, TextAlign::Left | TextAlign::Top}
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
    Color GetBkColor() const override { return m_state.background; }
    Color GetTextColor() const override { return m_state.text; }
    Color SetTextColor(Color color) override { return std::exchange(m_state.text, color); }
    int SetBkMode(int mode) override { return std::exchange(m_state.mode, mode); }
    unsigned SetTextAlign(unsigned align) override { return std::exchange(m_state.align, align); }

    void FillRect(const CRect& rect, const CBrush& brush) override
    {
        if (!rect.IsRectEmpty()) m_painter.fillRect(ToQRect(rect), ToQColor(brush.color));
    }

    bool ExtTextOutCp949(int x, int y, unsigned options, const CRect* clip, const std::string& cp949) override
    {
        const bool clipped = (options & TextOutOption::Clipped) && clip;
        if (clipped && clip->IsRectEmpty()) return true;  // nothing can show
        const QString text = ToQString(cp949);
        m_painter.save();
        if (clipped) m_painter.setClipRect(ToQRect(*clip), Qt::IntersectClip);
        const QFontMetrics metrics(m_painter.font());
        if (m_state.mode == BkMode::Opaque)
            m_painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), ToQColor(m_state.background));
        m_painter.setPen(ToQColor(m_state.text));
        m_painter.drawText(QPoint(x, y + metrics.ascent()), text);
        m_painter.restore();
        return true;
    }

    CSize GetTextExtentCp949(const std::string& cp949) const override
    {
        const QFontMetrics metrics(m_painter.font());
        return {metrics.horizontalAdvance(ToQString(cp949)), metrics.height()};
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
        Color background;
        Color text;
        int mode;
        unsigned align;
    };
    QPainter& m_painter;
    State m_state;
    std::vector<State> m_saved;
};

ListView* ListOf(WindowHandle* handle) { return handle ? dynamic_cast<ListView*>(handle->widget) : nullptr; }

} // namespace

// ---- The model ------------------------------------------------------------------------------

int ListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return m_source ? m_virtualRows : static_cast<int>(m_rows.size());
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return ToQString(Text(index.row(), index.column()));
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(m_headings.size())) return {};
    if (role == Qt::DisplayRole) return ToQString(m_headings[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

int ListModel::InsertColumn(int column, const std::string& heading)
{
    const int at = std::min(column, static_cast<int>(m_headings.size()));
    beginInsertColumns(QModelIndex(), at, at);
    m_headings.insert(m_headings.begin() + at, heading);
    for (auto& row : m_rows) row.insert(row.begin() + std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(row.size())), std::string());
    endInsertColumns();
    return at;
}

int ListModel::InsertRow(int row, const std::string& text)
{
    if (m_source) return -1;
    const int at = std::min(row, static_cast<int>(m_rows.size()));
    beginInsertRows(QModelIndex(), at, at);
    std::vector<std::string> texts(std::max<std::size_t>(m_headings.size(), 1));
    texts[0] = text;
    m_rows.insert(m_rows.begin() + at, std::move(texts));
    endInsertRows();
    return at;
}

bool ListModel::SetText(int row, int column, const std::string& text)
{
    if (m_source || row < 0 || row >= static_cast<int>(m_rows.size())) return false;
    if (column < 0 || column >= std::max(1, static_cast<int>(m_headings.size()))) return false;
    auto& texts = m_rows[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(column) >= texts.size()) texts.resize(static_cast<std::size_t>(column) + 1);
    texts[static_cast<std::size_t>(column)] = text;
    emit dataChanged(index(row, column), index(row, column));
    return true;
}

std::string ListModel::Text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0) return {};
    if (m_source) return std::string(m_source->ItemText(row, column));
    const auto& texts = m_rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < texts.size() ? texts[static_cast<std::size_t>(column)] : std::string();
}

bool ListModel::RemoveRow(int row)
{
    if (m_source || row < 0 || row >= static_cast<int>(m_rows.size())) return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void ListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_source = nullptr;
    m_virtualRows = 0;
    endResetModel();
}

void ListModel::SetVirtual(const ListRowSource* source, int count)
{
    beginResetModel();
    m_rows.clear();
    m_source = source;
    m_virtualRows = source ? std::max(count, 0) : 0;
    endResetModel();
}

// ---- The view -------------------------------------------------------------------------------

ListView::ListView(std::shared_ptr<DialogWindow> window, int id, std::uint32_t style, QWidget* parent)
    : QTreeView(parent), m_window(std::move(window)), m_id(id), m_ownerDraw((style & ControlStyle::OwnerDraw) != 0)
{
    setModel(&m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode((style & ControlStyle::SingleSel) ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    setFrameStyle((style & ControlStyle::Border) ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
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
    if (band.isNull() || column < 0 || column >= m_model.columnCount()) return {};
    return QRect(header()->sectionViewportPosition(column), band.top(), header()->sectionSize(column), band.height());
}

void ListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!m_ownerDraw) {
        QTreeView::drawRow(painter, option, index);
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
    if (selectionModel()->isRowSelected(row, QModelIndex())) item.itemState |= OwnerDrawState::Selected;
    if (currentIndex().isValid() && currentIndex().row() == row && hasFocus()) item.itemState |= OwnerDrawState::Focus;
    item.rcItem = ToCRect(RowRect(row).translated(offset));

    painter->save();
    painter->translate(-offset);  // the painter now takes client pixels
    PainterDC dc(*painter, ToColor(palette().color(QPalette::Base)), ToColor(palette().color(QPalette::Text)));
    item.pDC = &dc;
    MessageResult result = 0;
    list->OnChildNotify(WindowMsg::DrawItem, static_cast<std::uintptr_t>(m_id), reinterpret_cast<std::intptr_t>(&item), &result);
    painter->restore();
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    m_afterDoubleClick = false;
    QTreeView::mousePressEvent(event);
    // A press beside every row takes the selection away, as the platform's list
    // views do (Qt keeps it in a single-selection list): what then follows acts
    // on no row.
    if (!indexAt(event->position().toPoint()).isValid()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    // The view has selected the row by now; the dialog hears of the click after.
    QTreeView::mouseReleaseEvent(event);
    if (std::exchange(m_afterDoubleClick, false)) return;  // the second click of a double click
    if (event->button() == Qt::LeftButton) Notify(NotifyCode::Click);
    if (event->button() == Qt::RightButton) Notify(NotifyCode::RightClick);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    m_afterDoubleClick = true;
    if (event->button() == Qt::LeftButton) Notify(NotifyCode::DoubleClick);
}

void ListView::Notify(int code)
{
    if (!m_window->dialog) return;
    DispatchScope scope(m_window);
    NotifyHeader header{scope.Dialog()->GetDlgItem(m_id), m_id, code};
    MessageResult result = 0;
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
    const int at = view->Model().InsertColumn(column, heading);
    const int pixels = width >= 0 ? width : view->fontMetrics().horizontalAdvance(ToQString(heading)) + 12;
    view->header()->resizeSection(at, pixels);
    return at;
}

int CListCtrl::GetColumnWidth(int column) const
{
    auto* view = ListOf(m_hWnd);
    if (!view || column < 0 || column >= view->Model().columnCount()) return 0;
    return view->header()->sectionSize(column);
}

bool CListCtrl::SetColumnWidth(int column, int width)
{
    auto* view = ListOf(m_hWnd);
    if (!view || column < 0 || column >= view->Model().columnCount() || width < 0) return false;
    view->header()->resizeSection(column, width);
    return true;
}

void CListCtrl::SetVirtualRows(const ListRowSource* source, int count)
{
    if (auto* view = ListOf(m_hWnd)) view->Model().SetVirtual(source, count);
}

int CListCtrl::GetItemCount() const
{
    auto* view = ListOf(m_hWnd);
    return view ? view->Model().rowCount() : 0;
}

int CListCtrl::InsertItem(int item, const std::string& text)
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0) return -1;
    return view->Model().InsertRow(item, text);
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text)
{
    auto* view = ListOf(m_hWnd);
    return view && view->Model().SetText(item, subItem, text);
}

std::string CListCtrl::GetItemText(int item, int subItem) const
{
    auto* view = ListOf(m_hWnd);
    return view ? view->Model().Text(item, subItem) : std::string();
}

bool CListCtrl::DeleteItem(int item)
{
    auto* view = ListOf(m_hWnd);
    return view && view->Model().RemoveRow(item);
}

bool CListCtrl::DeleteAllItems()
{
    auto* view = ListOf(m_hWnd);
    if (!view) return false;
    view->Model().Clear();
    return true;
}

unsigned CListCtrl::GetItemState(int item, unsigned mask) const
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->Model().rowCount()) return 0;
    unsigned state = 0;
    if (view->selectionModel()->isRowSelected(item, QModelIndex())) state |= ListItemState::Selected;
    if (view->currentIndex().isValid() && view->currentIndex().row() == item) state |= ListItemState::Focused;
    return state & mask;
}

bool CListCtrl::SetItemState(int item, unsigned state, unsigned mask)
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->Model().rowCount()) return false;
    const QModelIndex index = view->model()->index(item, 0);
    if (mask & ListItemState::Focused) {
        if (state & ListItemState::Focused)
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        else if (view->currentIndex().row() == item)
            view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    if (mask & ListItemState::Selected) {
        const auto flags = (state & ListItemState::Selected) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
        // A list with one selected row gives up the old one.
        const bool single = view->selectionMode() == QAbstractItemView::SingleSelection && (state & ListItemState::Selected);
        view->selectionModel()->select(index, (single ? QItemSelectionModel::ClearAndSelect : flags) | QItemSelectionModel::Rows);
    }
    return true;
}

bool CListCtrl::GetSubItemRect(int item, int subItem, int area, CRect& rect) const
{
    auto* view = ListOf(m_hWnd);
    if (!view || item < 0 || item >= view->Model().rowCount()) return false;
    // Column 0's bounds are the whole row, as the platform reports them.
    const QRect cell = subItem == 0 && area == ListItemRect::Bounds ? view->RowRect(item) : view->CellRect(item, subItem);
    if (cell.isNull()) return false;
    rect = mrv::platform::qt::ToCRect(cell.translated(view->ViewportOffset()));
    return true;
}

Color GetSystemColor(int index)
{
    // Without a toolkit (a test of the painting alone), the classic colours.
    if (!qApp) {
        switch (index) {
        case SysColor::Highlight: return ColorRgb(0, 120, 215);
        case SysColor::HighlightText: return ColorRgb(255, 255, 255);
        case SysColor::WindowText: return ColorRgb(0, 0, 0);
        default: return ColorRgb(255, 255, 255);
        }
    }
    const QPalette palette = QApplication::palette();
    switch (index) {
    case SysColor::Highlight: return mrv::platform::qt::ToColor(palette.color(QPalette::Active, QPalette::Highlight));
    case SysColor::HighlightText: return mrv::platform::qt::ToColor(palette.color(QPalette::Active, QPalette::HighlightedText));
    case SysColor::WindowText: return mrv::platform::qt::ToColor(palette.color(QPalette::Active, QPalette::Text));
    case SysColor::Window: return mrv::platform::qt::ToColor(palette.color(QPalette::Active, QPalette::Base));
    default: return mrv::platform::qt::ToColor(palette.color(QPalette::Active, QPalette::Window));
    }
}
