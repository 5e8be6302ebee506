#include "platform/FitLayout.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mrv::platform::fit {

namespace {

// The rules below work along x; heights are made room for on the layout
// turned on its side.
CRect Transposed(const CRect& r) { return {r.top, r.left, r.bottom, r.right}; }

void Transpose(Layout& layout)
{
    std::swap(layout.client.cx, layout.client.cy);
    for (Box& box : layout.boxes) {
        box.rect = Transposed(box.rect);
        std::swap(box.need.cx, box.need.cy);
    }
}

bool Contains(const CRect& outer, const CRect& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right && outer.bottom >= inner.bottom;
}

bool Across(const CRect& a, const CRect& b) { return a.top < b.bottom && b.top < a.bottom; }

int Missing(const Box& box) { return box.need.cx > 0 ? std::max(0, box.need.cx - box.rect.Width()) : 0; }

// How far the box may grow to its right (toRight) or left before it comes
// within gap of a control beside it, of the frame of a group box it lies in,
// or of the dialog's edge. Never negative.
int FreeBeside(const Layout& layout, std::size_t index, bool toRight, int gap)
{
    const CRect& r = layout.boxes[index].rect;
    int limit = toRight ? layout.client.cx - gap : gap;
    for (std::size_t j = 0; j < layout.boxes.size(); ++j) {
        if (j == index) continue;
        const Box& other = layout.boxes[j];
        if (other.kind == ControlKind::GroupBox && Contains(other.rect, r)) {
            limit = toRight ? std::min(limit, other.rect.right - gap) : std::max(limit, other.rect.left + gap);
        } else if (Across(other.rect, r)) {
            if (toRight && other.rect.left >= r.right) limit = std::min(limit, other.rect.left - gap);
            if (!toRight && other.rect.right <= r.left) limit = std::max(limit, other.rect.right + gap);
        }
    }
    return std::max(0, toRight ? limit - r.right : r.left - limit);
}

// Puts a strip `width` pixels wide into the dialog at x = cut.
void InsertStrip(Layout& layout, int cut, int width)
{
    for (Box& box : layout.boxes) {
        if (box.rect.left >= cut) {
            box.rect.left += width;
            box.rect.right += width;
        } else if (box.rect.right >= cut) {
            box.rect.right += width;
        }
    }
    layout.client.cx += width;
}

bool MakeRoomAlongX(Layout& layout, int gap, bool aligned)
{
    bool moved = false;
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        int missing = Missing(layout.boxes[i]);
        if (missing == 0) continue;
        moved = true;
        const std::uint32_t style = aligned ? layout.boxes[i].style : 0;
        // A centred text grows to both sides alike, a right-aligned one to the
        // left first: its right edge is where it meets what it labels.
        if (style & ControlStyle::Center) {
            const int half = std::min(missing / 2, FreeBeside(layout, i, false, gap));
            layout.boxes[i].rect.left -= half;
            missing -= half;
        } else if (style & ControlStyle::Right) {
            const int grow = std::min(missing, FreeBeside(layout, i, false, gap));
            layout.boxes[i].rect.left -= grow;
            missing -= grow;
        }
        const int right = std::min(missing, FreeBeside(layout, i, true, gap));
        layout.boxes[i].rect.right += right;
        missing -= right;
        if (missing > 0 && (style & (ControlStyle::Center | ControlStyle::Right))) {
            const int left = std::min(missing, FreeBeside(layout, i, false, gap));
            layout.boxes[i].rect.left -= left;
            missing -= left;
        }
        if (missing > 0) InsertStrip(layout, layout.boxes[i].rect.right, missing);
    }
    return moved;
}

int Scaled(int v, double scale) { return static_cast<int>(std::lround(v * scale)); }

} // namespace

bool MakeRoom(Layout& layout, int gap)
{
    bool moved = MakeRoomAlongX(layout, gap, true);
    Transpose(layout);
    moved = MakeRoomAlongX(layout, gap, false) || moved;
    Transpose(layout);
    return moved;
}

bool FitHeight(Layout& layout, int maxHeight, double minScale)
{
    if (layout.client.cy <= maxHeight || layout.client.cy <= 0) return false;
    const double scale = std::clamp(static_cast<double>(maxHeight) / layout.client.cy, std::min(minScale, 1.0), 1.0);
    if (scale >= 1.0) return false;
    for (Box& box : layout.boxes) {
        const int kept = std::min(box.rect.Height(), box.need.cy);
        const int bottom = box.rect.bottom;
        box.rect.top = Scaled(box.rect.top, scale);
        box.rect.bottom = std::max(Scaled(bottom, scale), box.rect.top + kept);
    }
    layout.client.cy = Scaled(layout.client.cy, scale);
    return true;
}

} // namespace mrv::platform::fit
