// The About box behind the main window's system-menu item, and the hidden
// picture windows that presses at three fixed points of the main window open.
#include "res/Resource.h"
#include "tests/dialogs/MakerDlgFixture.h"

#include <functional>

namespace t = mrv::platform::testing;

namespace {

using Templates = std::vector<int>;

constexpr const char* kAboutItem = "Morvanta 정보(&A)...";
constexpr const char* kRestoreItem = "백업에서 되살리기(&R)...";
constexpr const char* kImportItem = "여러 곡 한꺼번에 추가(&M)...";
constexpr int kPollLimit = 1000;

struct HiddenPicture {
    int templateId;
    CPoint at;
};
constexpr HiddenPicture kPictures[] = {
    {IDD_PICTURE_ILLUSTRATION, {701, 412}},
    {IDD_PICTURE_2, {616, 380}},
    {IDD_PICTURE_3, {709, 382}},
};

void PressEscapeIn(CDialog& dialog) { t::PressEscape(dialog); }

// Notes and ends every modal dialog while an action runs. The action opens them
// from inside itself, so an answer armed before it runs in their loops; it
// arms itself again until the action has returned.
struct ModalAnswers {
    std::function<void(CDialog&)> close;
    CDialog* main = nullptr;
    bool over = false;
    int idlePolls = 0;
    Templates opened;
    std::vector<bool> mainBlocked;
};

void AnswerModals(std::shared_ptr<ModalAnswers> answers)
{
    t::RunAfter(0, [answers] {
        if (answers->over) return;
        CDialog* dialog = t::ActiveModalDialog();
        if (!dialog) {
            if (++answers->idlePolls < kPollLimit) AnswerModals(answers);
            return;
        }
        answers->idlePolls = 0;
        answers->opened.push_back(dialog->GetTemplateId());
        answers->mainBlocked.push_back(t::IsBlockedByModal(*answers->main));
        answers->close(*dialog);
        if (t::ActiveModalDialog() == dialog) {
            ADD_FAILURE() << "dialog " << dialog->GetTemplateId() << " did not end";
            dialog->EndDialog(CommandId::Cancel);
        }
        AnswerModals(answers);
    });
}

class AboutAndPicturesTest : public MakerDlgTest {
protected:
    // The templates of the modal dialogs the action opened, in order; each is
    // ended with close.
    Templates Opens(const std::function<void()>& action, std::function<void(CDialog&)> close = PressEscapeIn)
    {
        auto answers = std::make_shared<ModalAnswers>();
        answers->close = std::move(close);
        answers->main = m_dlg.get();
        AnswerModals(answers);
        action();
        answers->over = true;
        t::ProcessEvents();
        m_mainBlocked = answers->mainBlocked;
        return answers->opened;
    }
    Templates Press(CPoint at)
    {
        return Opens([&] { t::MousePress(*m_dlg, at); });
    }
    // A picture's point in this window: pixels for 굴림, where they lie on the
    // picture; the font that stands in for it and the DPI move them with the picture.
    CPoint At(const HiddenPicture& picture) const { return m_dlg->HiddenPicturePoint(picture.at); }
    // A point of the dialog's own background.
    CPoint Background()
    {
        const CRect list = t::ClientRect(Item(IDC_REGISTRY_LIST));
        return {list.right - 10, list.bottom + 6};
    }
    // Opens the system menu from the keyboard and acts in it: on Windows the
    // menu runs until a choice, so the choice comes from a timer; on Linux the
    // menu is still open when the call returns.
    void ChooseFromSystemMenu(const std::function<bool()>& choose)
    {
        auto chosen = std::make_shared<bool>(false);
        t::RunAfter(20, [chosen, choose] {
            if (!*chosen) *chosen = choose();
        });
        t::OpenSystemMenu(*m_dlg);
        if (!*chosen) *chosen = choose();
        EXPECT_TRUE(*chosen);
    }
    void ChooseAboutByKeyboard()
    {
        ChooseFromSystemMenu([] { return t::PressMenuMnemonic('a'); });
    }

    std::vector<bool> m_mainBlocked;
};

CPoint Offset(CPoint p, int dx, int dy) { return {p.x + dx, p.y + dy}; }

} // namespace

TEST_F(AboutAndPicturesTest, TheSystemMenuItemOpensTheAboutBoxOverTheBlockedMainWindow)
{
    std::vector<std::string> items;
    EXPECT_EQ(Opens([&] {
                  ChooseFromSystemMenu([&] {
                      items = t::OpenMenuItems();
                      return t::ClickMenuItem(kAboutItem);
                  });
              }),
              Templates{IDD_ABOUTBOX});
    EXPECT_EQ(m_mainBlocked, std::vector<bool>{true});
#ifdef _WIN32
    // The title bar's menu: the system's items, a separator, then ours.
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(items.end() - 4, items.end()),
              (std::vector<std::string>{"-", kAboutItem, kRestoreItem, kImportItem}));
#else
    EXPECT_EQ(items, (std::vector<std::string>{kAboutItem, kRestoreItem, kImportItem}));
    // The dialog's own menu opens on its background too.
    t::RightClick(*m_dlg, Background());
    EXPECT_EQ(t::OpenMenuItems(), (std::vector<std::string>{kAboutItem, kRestoreItem, kImportItem}));
    t::CloseOpenMenu();
#endif

    EXPECT_EQ(Opens([&] { ChooseAboutByKeyboard(); }), Templates{IDD_ABOUTBOX});
    EXPECT_FALSE(t::IsBlockedByModal(*m_dlg));
    EXPECT_TRUE(t::OpenMenuItems().empty());
}

TEST_F(AboutAndPicturesTest, TheAboutCommandIsTheItemsIdWhateverTheLowBitsAndOtherCommandsAreTheDefaults)
{
    EXPECT_EQ(Opens([&] { m_dlg->DispatchSysCommand(IDM_ABOUTBOX | 0x3, 0); }), Templates{IDD_ABOUTBOX});
    EXPECT_EQ(Opens([&] { m_dlg->DispatchSysCommand(0x40, 0); }), Templates{});
    EXPECT_TRUE(m_dlg->IsWindowVisible());
    // The menu's Close is the close box: the cancel command ends the main window.
    EXPECT_EQ(Opens([&] { m_dlg->DispatchSysCommand(SysCommand::Close, 0); }), Templates{});
    EXPECT_FALSE(m_dlg->IsWindowVisible());
}

TEST_F(AboutAndPicturesTest, EachWindowEndsWithEnterEscapeAndItsCloseBoxTheAboutBoxAlsoWithOk)
{
    const std::vector<std::function<void(CDialog&)>> closers{
        [](CDialog& d) { t::PressEnter(d); },
        [](CDialog& d) { t::PressEscape(d); },
        [](CDialog& d) { t::ClickCloseBox(d); },
    };
    for (const auto& close : closers) {
        EXPECT_EQ(Opens([&] { ChooseAboutByKeyboard(); }, close), Templates{IDD_ABOUTBOX});
        for (const HiddenPicture& picture : kPictures)
            EXPECT_EQ(Opens([&] { t::MousePress(*m_dlg, At(picture)); }, close), Templates{picture.templateId});
    }
    const auto clickOk = [](CDialog& d) { t::Click(*d.GetDlgItem(CommandId::Ok)); };
    EXPECT_EQ(Opens([&] { ChooseAboutByKeyboard(); }, clickOk), Templates{IDD_ABOUTBOX});
}

TEST_F(AboutAndPicturesTest, APressAnywhereInTheThreeByThreeAreaOpensItsWindowAndOnePixelOutsideNothing)
{
    for (const HiddenPicture& picture : kPictures) {
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const bool inside = std::abs(dx) <= 1 && std::abs(dy) <= 1;
                const bool besideTheArea = std::abs(dx) <= 1 || std::abs(dy) <= 1;
                if (!inside && !besideTheArea) continue;  // the corners lie two pixels off
                const CPoint at = Offset(At(picture), dx, dy);
                EXPECT_EQ(Press(at), inside ? Templates{picture.templateId} : Templates{})
                    << "press at " << at.x << "," << at.y;
            }
        }
    }
    EXPECT_EQ(Press({20, 20}), Templates{});
}

TEST_F(AboutAndPicturesTest, ADoubleClickOpensAgainOnlyOnTheExactPoint)
{
    for (const HiddenPicture& picture : kPictures) {
        const int id = picture.templateId;
        // The first press opens the window already; the double click once more.
        EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, At(picture)); }), (Templates{id, id}));
        EXPECT_EQ(m_mainBlocked, (std::vector<bool>{true, true}));
        EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, Offset(At(picture), 1, 0)); }), Templates{id});
        EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, Offset(At(picture), 0, -1)); }), Templates{id});
    }
    EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, {20, 20}); }), Templates{});
}

// The points lie on the picture, which lets presses through to the dialog,
// and not on the registry list beside it, which takes them itself.
TEST_F(AboutAndPicturesTest, ThePointsLieOnThePictureWhereAPressReachesTheDialog)
{
    const CRect list = t::ClientRect(Item(IDC_REGISTRY_LIST));
    const auto inside = [](CPoint p, const CRect& r) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; };
    const CRect picture = [&] {
        // The one control that shows the bitmap.
        CRect r;
        for (CWnd* c = &Item(CommandId::Ok); c; c = c->GetNextControl())
            if (c->GetControlKind() == ControlKind::Bitmap) r = t::ClientRect(*c);
        return r;
    }();
    ASSERT_FALSE(picture.IsRectEmpty());
    for (const HiddenPicture& p : kPictures) {
        EXPECT_TRUE(inside(At(p), picture)) << At(p).x << "," << At(p).y;
        EXPECT_FALSE(inside(At(p), list)) << At(p).x << "," << At(p).y;
    }
    // A press on the list is the list's: it opens nothing.
    EXPECT_EQ(Press({list.left + 20, list.top + 40}), Templates{});
}
