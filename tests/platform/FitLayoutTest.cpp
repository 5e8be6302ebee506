// Making room for texts that do not fit their controls, keeping the template's
// arrangement; and fitting a tall dialog onto the screen.
#include "platform/FitLayout.h"

#include <gtest/gtest.h>

namespace {

using mrv::platform::fit::Box;
using mrv::platform::fit::FitHeight;
using mrv::platform::fit::Layout;
using mrv::platform::fit::MakeRoom;

constexpr int kGap = 2;

Box Label(CRect rect, int needWidth = 0, std::uint32_t style = ControlStyle::None)
{
    return Box{rect, {needWidth, 0}, ControlKind::Static, style};
}

Box Group(CRect rect, int needWidth = 0) { return Box{rect, {needWidth, 0}, ControlKind::GroupBox, 0}; }

bool Overlap(const CRect& a, const CRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

TEST(FitLayout, LeavesAlonePlacesWhereEveryTextFits)
{
    Layout layout{{300, 200}, {Label({10, 10, 60, 22}, 50), Label({70, 10, 120, 22}, 20), Group({5, 0, 200, 100})}};
    const Layout before = layout;
    EXPECT_FALSE(MakeRoom(layout, kGap));
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) EXPECT_EQ(layout.boxes[i].rect, before.boxes[i].rect);
    EXPECT_EQ(layout.client, before.client);
}

TEST(FitLayout, AControlGrowsIntoTheFreeSpaceBesideItAndStopsShortOfItsNeighbour)
{
    Layout layout{{300, 200}, {Label({10, 10, 60, 22}, 70), Label({100, 10, 150, 22})}};
    EXPECT_TRUE(MakeRoom(layout, kGap));
    EXPECT_EQ(layout.boxes[0].rect, (CRect{10, 10, 80, 22}));
    EXPECT_EQ(layout.boxes[1].rect, (CRect{100, 10, 150, 22}));
    EXPECT_EQ(layout.client, (CSize{300, 200}));

    // More than the free space: the neighbour keeps its gap and moves aside.
    layout.boxes[0].need.cx = 120;
    MakeRoom(layout, kGap);
    EXPECT_EQ(layout.boxes[0].rect, (CRect{10, 10, 130, 22}));
    EXPECT_EQ(layout.boxes[1].rect.left, 132);
    EXPECT_EQ(layout.boxes[1].rect.Width(), 50);
}

// The strip goes through the whole dialog: a control in another row right of
// it moves too, one that crosses it grows, one left of it stays.
TEST(FitLayout, WhatIsStillMissingWidensTheDialogAsAWholeKeepingItsColumns)
{
    Layout layout{{200, 100},
                  {
                      Group({5, 5, 110, 60}),                   // 0: frames 1 and 2
                      Label({10, 20, 50, 30}, 80),              // 1: needs 30 more
                      Label({55, 20, 105, 30}),                 // 2: beside it, in the group
                      Label({120, 20, 190, 30}),                // 3: right of the group
                      Label({60, 40, 100, 50}),                 // 4: another row, right of 1's edge
                      Label({10, 70, 190, 90}),                 // 5: a wide control below
                      Label({10, 40, 40, 50}),                  // 6: left of the cut
                  }};
    MakeRoom(layout, kGap);
    // Three pixels are free short of label 2's gap; the other 37 come from a strip at x = 53.
    EXPECT_EQ(layout.boxes[1].rect, (CRect{10, 20, 90, 30}));
    EXPECT_EQ(layout.boxes[2].rect, (CRect{92, 20, 142, 30}));
    EXPECT_EQ(layout.boxes[3].rect, (CRect{157, 20, 227, 30}));
    EXPECT_EQ(layout.boxes[4].rect, (CRect{97, 40, 137, 50}));
    EXPECT_EQ(layout.boxes[0].rect, (CRect{5, 5, 147, 60}));
    EXPECT_EQ(layout.boxes[5].rect, (CRect{10, 70, 227, 90}));
    EXPECT_EQ(layout.boxes[6].rect, (CRect{10, 40, 40, 50}));
    EXPECT_EQ(layout.client, (CSize{237, 100}));
}

TEST(FitLayout, ARightAlignedLabelGrowsLeftAndACentredOneToBothSides)
{
    // "노래제목 :" right-aligned before its edit, inside a group box.
    Layout right{{300, 100}, {Group({5, 5, 200, 90}), Label({30, 20, 60, 30}, 45, ControlStyle::Right), Label({64, 20, 150, 30})}};
    MakeRoom(right, kGap);
    EXPECT_EQ(right.boxes[1].rect, (CRect{15, 20, 60, 30}));
    EXPECT_EQ(right.boxes[2].rect.left, 64);
    // Past the group's frame it cannot go: the rest pushes the edit right.
    right.boxes[1].need.cx = 60;
    MakeRoom(right, kGap);
    EXPECT_EQ(right.boxes[1].rect.left, 7);
    EXPECT_EQ(right.boxes[1].rect.Width(), 60);
    EXPECT_GE(right.boxes[2].rect.left, right.boxes[1].rect.right);

    Layout centred{{300, 100}, {Label({100, 20, 140, 30}, 60, ControlStyle::Center)}};
    MakeRoom(centred, kGap);
    EXPECT_EQ(centred.boxes[0].rect, (CRect{90, 20, 150, 30}));
}

TEST(FitLayout, ATextThatNeedsMoreHeightPushesWhatLiesBelowDown)
{
    Layout layout{{200, 100}, {Label({10, 10, 100, 20}), Label({10, 22, 100, 32}), Label({10, 40, 100, 50})}};
    layout.boxes[0].need = {50, 16};
    MakeRoom(layout, kGap);
    EXPECT_EQ(layout.boxes[0].rect, (CRect{10, 10, 100, 26}));
    EXPECT_EQ(layout.boxes[1].rect.top, 28);
    EXPECT_GE(layout.boxes[2].rect.top, layout.boxes[1].rect.bottom);
    EXPECT_EQ(layout.client.cy, 106);
}

// Many controls each wanting more, as with a Korean font whose Hangul is
// wide: afterwards each has its room, and no two that were apart touch.
TEST(FitLayout, AfterMakingRoomEveryTextFitsAndControlsThatWereApartStayApart)
{
    Layout layout{{440, 200}, {}};
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 4; ++col)
            layout.boxes.push_back(Box{CRect{10 + col * 100, 10 + row * 30, 90 + col * 100, 30 + row * 30},
                                       CSize{70 + (row * 7 + col * 13) % 60, 14 + (row + col) % 3 * 6},
                                       ControlKind::Static, (row + col) % 3 == 0 ? ControlStyle::Right : ControlStyle::None});
    layout.boxes.push_back(Group({5, 5, 415, 160}));
    const Layout before = layout;
    MakeRoom(layout, kGap);
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const Box& box = layout.boxes[i];
        EXPECT_GE(box.rect.Width(), box.need.cx) << i;
        EXPECT_GE(box.rect.Height(), box.need.cy) << i;
        EXPECT_LE(box.rect.right, layout.client.cx) << i;
        EXPECT_LE(box.rect.bottom, layout.client.cy) << i;
        for (std::size_t j = 0; j < i; ++j) {
            if (!Overlap(before.boxes[i].rect, before.boxes[j].rect)) {
                EXPECT_FALSE(Overlap(box.rect, layout.boxes[j].rect)) << i << " " << j;
            }
            if (before.boxes[j].rect.right <= before.boxes[i].rect.left) {
                EXPECT_LE(layout.boxes[j].rect.right, box.rect.left) << i << " " << j;
            }
        }
    }
    // The group still frames what it framed.
    for (std::size_t i = 0; i + 1 < layout.boxes.size(); ++i) {
        const CRect& g = layout.boxes.back().rect;
        const CRect& r = layout.boxes[i].rect;
        EXPECT_TRUE(g.left <= r.left && g.top <= r.top && g.right >= r.right && g.bottom >= r.bottom) << i;
    }
}

TEST(FitLayout, ATallDialogShrinksToTheScreenButNotBelowTheFontsEm)
{
    Layout layout{{400, 1000}, {Label({10, 100, 100, 120}, 50), Label({10, 900, 100, 917}), Box{{10, 500, 100, 517}, {50, 17}, ControlKind::Static, 0}}};
    EXPECT_TRUE(FitHeight(layout, 800, 0.7));
    EXPECT_EQ(layout.client, (CSize{400, 800}));
    EXPECT_EQ(layout.boxes[0].rect, (CRect{10, 80, 100, 96}));
    EXPECT_EQ(layout.boxes[1].rect, (CRect{10, 720, 100, 734}));
    // Its text needs its 17 pixels: it keeps them.
    EXPECT_EQ(layout.boxes[2].rect, (CRect{10, 400, 100, 417}));

    // The screen is smaller still: no smaller than the em allows.
    Layout tall{{400, 1000}, {}};
    EXPECT_TRUE(FitHeight(tall, 500, 0.7));
    EXPECT_EQ(tall.client.cy, 700);
    // One that fits stays as it is.
    EXPECT_FALSE(FitHeight(tall, 700, 0.7));
}
