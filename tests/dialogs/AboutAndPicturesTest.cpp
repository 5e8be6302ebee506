// The About box behind the main window's system-menu item, and the hidden
// picture windows that presses at three fixed points of the main window open.
#include "res/Resource.h"
#include "tests/dialogs/MakerDlgFixture.h"

#include <functional>

namespace t = mrv::platform::testing;

namespace {

using Templates = std::vector<int>;

constexpr const char* kAboutItem = "Morvanta 정보(&A)...";
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
            dialog->EndDialog(IDCANCEL);
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
    // The points are pixels, placed for base units of 7 × 12, with which they
    // lie on the picture in the bottom group box. With taller base units (the
    // Korean fonts here give 7 × 14) the registry list reaches down over them
    // and takes such presses itself; out of its way they fall on the group box
    // and the picture, which let presses through to the dialog.
    void MoveTheListOutOfTheWay() { Item(IDC_REGISTRY_LIST).ShowWindow(SW_HIDE); }
    // A point of the dialog's own background.
    CPoint Background()
    {
        const CRect list = t::ClientRect(Item(IDC_REGISTRY_LIST));
        return {list.right - 10, list.bottom + 6};
    }
    void ChooseAboutByKeyboard()
    {
        t::PressShiftF10(*m_dlg);
        EXPECT_TRUE(t::PressMenuMnemonic('a'));
    }

    std::vector<bool> m_mainBlocked;
};

CPoint Offset(CPoint p, int dx, int dy) { return {p.x + dx, p.y + dy}; }

} // namespace

TEST_F(AboutAndPicturesTest, TheSystemMenuItemOpensTheAboutBoxOverTheBlockedMainWindow)
{
    t::RightClick(*m_dlg, Background());
    EXPECT_EQ(t::OpenMenuItems(), (std::vector<std::string>{kAboutItem}));
    EXPECT_EQ(Opens([] { t::ClickMenuItem(kAboutItem); }), Templates{IDD_ABOUTBOX});
    EXPECT_EQ(m_mainBlocked, std::vector<bool>{true});

    EXPECT_EQ(Opens([&] { ChooseAboutByKeyboard(); }), Templates{IDD_ABOUTBOX});
    EXPECT_FALSE(t::IsBlockedByModal(*m_dlg));
    EXPECT_TRUE(t::OpenMenuItems().empty());
}

TEST_F(AboutAndPicturesTest, TheAboutCommandIsTheItemsIdWhateverTheLowBitsAndOtherCommandsAreTheDefaults)
{
    EXPECT_EQ(Opens([&] { m_dlg->DispatchSysCommand(IDM_ABOUTBOX | 0x3, 0); }), Templates{IDD_ABOUTBOX});
    EXPECT_EQ(Opens([&] { m_dlg->DispatchSysCommand(0x20, 0); }), Templates{});
    EXPECT_TRUE(m_dlg->IsWindowVisible());
    // The menu's Close is the close box: the cancel command ends the main window.
    EXPECT_EQ(Opens([&] { m_dlg->DispatchSysCommand(SC_CLOSE, 0); }), Templates{});
    EXPECT_FALSE(m_dlg->IsWindowVisible());
}

TEST_F(AboutAndPicturesTest, EachWindowEndsWithEnterEscapeAndItsCloseBoxTheAboutBoxAlsoWithOk)
{
    MoveTheListOutOfTheWay();
    const std::vector<std::function<void(CDialog&)>> closers{
        [](CDialog& d) { t::PressEnter(d); },
        [](CDialog& d) { t::PressEscape(d); },
        [](CDialog& d) { t::ClickCloseBox(d); },
    };
    for (const auto& close : closers) {
        EXPECT_EQ(Opens([&] { ChooseAboutByKeyboard(); }, close), Templates{IDD_ABOUTBOX});
        for (const HiddenPicture& picture : kPictures)
            EXPECT_EQ(Opens([&] { t::MousePress(*m_dlg, picture.at); }, close), Templates{picture.templateId});
    }
    const auto clickOk = [](CDialog& d) { t::Click(*d.GetDlgItem(IDOK)); };
    EXPECT_EQ(Opens([&] { ChooseAboutByKeyboard(); }, clickOk), Templates{IDD_ABOUTBOX});
}

TEST_F(AboutAndPicturesTest, APressAnywhereInTheThreeByThreeAreaOpensItsWindowAndOnePixelOutsideNothing)
{
    MoveTheListOutOfTheWay();
    for (const HiddenPicture& picture : kPictures) {
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const bool inside = std::abs(dx) <= 1 && std::abs(dy) <= 1;
                const bool besideTheArea = std::abs(dx) <= 1 || std::abs(dy) <= 1;
                if (!inside && !besideTheArea) continue;  // the corners lie two pixels off
                const CPoint at = Offset(picture.at, dx, dy);
                EXPECT_EQ(Press(at), inside ? Templates{picture.templateId} : Templates{})
                    << "press at " << at.x << "," << at.y;
            }
        }
    }
    EXPECT_EQ(Press({20, 20}), Templates{});
}

TEST_F(AboutAndPicturesTest, ADoubleClickOpensAgainOnlyOnTheExactPoint)
{
    MoveTheListOutOfTheWay();
    for (const HiddenPicture& picture : kPictures) {
        const int id = picture.templateId;
        // The first press opens the window already; the double click once more.
        EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, picture.at); }), (Templates{id, id}));
        EXPECT_EQ(m_mainBlocked, (std::vector<bool>{true, true}));
        EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, Offset(picture.at, 1, 0)); }), Templates{id});
        EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, Offset(picture.at, 0, -1)); }), Templates{id});
    }
    EXPECT_EQ(Opens([&] { t::MouseDoubleClick(*m_dlg, {20, 20}); }), Templates{});
}

TEST_F(AboutAndPicturesTest, APressOnAControlThatTakesClicksIsTheControlsAlone)
{
    const CRect list = t::ClientRect(Item(IDC_REGISTRY_LIST));
    for (const HiddenPicture& picture : kPictures) {
        const bool onTheList = picture.at.x >= list.left && picture.at.x < list.right && picture.at.y >= list.top &&
                               picture.at.y < list.bottom;
        EXPECT_EQ(Press(picture.at), onTheList ? Templates{} : Templates{picture.templateId})
            << "press at " << picture.at.x << "," << picture.at.y << (onTheList ? " on the list" : "");
    }
}
