// The templates and images the platform tests build their windows from, in
// place of the program's resources.
#include "tests/platform/TestTemplates.h"

#include <array>

namespace {

using namespace test_ids;
using K = ControlKind;
namespace S = ControlStyle;
constexpr int kLabel = -1;
constexpr std::uint32_t kEdit = S::Border | S::AutoHScroll | S::TabStop;

// A 12 × 9 PNG, every pixel of colour (200, 30, 40).
constexpr unsigned char kSmallPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x0c, 0x00, 0x00, 0x00, 0x09, 0x08, 0x02, 0x00, 0x00, 0x00, 0x89, 0xda, 0x5a, 0x03, 0x00, 0x00, 0x00, 0x13, 0x49,
    0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0x38, 0x21, 0xa7, 0x41, 0x10, 0x31, 0x8c, 0x2a, 0x22, 0x4a, 0x11, 0x00, 0x5e,
    0x87, 0x71, 0xe9, 0xb6, 0x61, 0x9e, 0x4a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};
const std::array kSmallImages{ImageResource{kSmallPng}};

const std::array kLayoutControls{
    ControlTemplate{K::Static, IDC_PROBE, "", 0, 0, 4, 8, S::None},
    ControlTemplate{K::PushButton, CommandId::Ok, "확인", 10, 100, 50, 14, S::Default | S::TabStop},
    ControlTemplate{K::PushButton, CommandId::Cancel, "취소", 70, 100, 50, 14, S::TabStop},
    ControlTemplate{K::GroupBox, kLabel, "그룹", 5, 5, 150, 60, S::None},
    ControlTemplate{K::Edit, IDC_NAME, "", 10, 15, 60, 12, kEdit},
    ControlTemplate{K::Static, kLabel, "이름 :", 75, 17, 30, 8, S::Right},
    ControlTemplate{K::Edit, IDC_NUMBER, "", 10, 30, 60, 12, kEdit},
    ControlTemplate{K::Edit, IDC_CENTERED, "", 75, 30, 40, 12, kEdit | S::Center | S::Disabled},
    ControlTemplate{K::RadioButton, IDC_A, "A", 10, 45, 25, 10, S::Group},
    ControlTemplate{K::RadioButton, IDC_B, "B", 40, 45, 25, 10, S::None},
    ControlTemplate{K::RadioButton, IDC_C, "C", 70, 45, 25, 10, S::None},
    ControlTemplate{K::RadioButton, IDC_X, "X", 10, 70, 25, 10, S::Group},
    ControlTemplate{K::RadioButton, IDC_Y, "Y", 40, 70, 25, 10, S::None},
    ControlTemplate{K::CheckBox, IDC_CHECK, "체크", 80, 70, 40, 10, S::TabStop | S::Group},
    ControlTemplate{K::Bitmap, IDC_PICTURE, "", 160, 10, 40, 40, S::None, IDB_SMALL},
    ControlTemplate{K::Static, IDC_FIELD, "", 10, 85, 100, 12, S::Sunken | S::VCenter},
    ControlTemplate{K::PushButton, IDC_RUN, "실행", 130, 100, 40, 14, S::TabStop},
    ControlTemplate{K::PushButton, IDC_BASE_ONLY, "기본", 175, 100, 30, 14, S::TabStop},
};

const std::array kListControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "OK", 10, 150, 50, 14, S::Default | S::TabStop},
    ControlTemplate{K::ListView, IDC_SINGLE, "", 5, 5, 200, 80, S::SingleSel | S::OwnerDraw | S::Border | S::TabStop},
    ControlTemplate{K::ListView, IDC_MULTI, "", 5, 90, 200, 55, S::OwnerDraw | S::Border | S::TabStop},
};

const std::array kPromptControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "OK", 5, 20, 40, 14, S::Default | S::TabStop},
    ControlTemplate{K::PushButton, CommandId::Cancel, "Cancel", 50, 20, 40, 14, S::TabStop},
};

const std::array kToolControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "닫기", 5, 20, 40, 14, S::Default | S::TabStop},
    ControlTemplate{K::PushButton, IDC_RUN, "실행", 50, 20, 40, 14, S::TabStop},
};

namespace exchange_ids = test_ids::exchange;
const std::array kExchangeControls{
    ControlTemplate{K::Edit, exchange_ids::IDC_TITLE, "", 10, 10, 150, 12, kEdit},
    ControlTemplate{K::Edit, exchange_ids::IDC_NUMBER, "", 10, 26, 60, 12, kEdit},
    ControlTemplate{K::Edit, exchange_ids::IDC_RANGED, "", 80, 26, 60, 12, kEdit},
    ControlTemplate{K::CheckBox, exchange_ids::IDC_CHECK, "체크", 10, 42, 35, 10, S::TabStop},
    ControlTemplate{K::RadioButton, exchange_ids::IDC_RADIO_A0, "A0", 10, 56, 30, 10, S::Group},
    ControlTemplate{K::PushButton, exchange_ids::IDC_BUTTON, "버튼", 45, 55, 40, 12, S::TabStop},
    ControlTemplate{K::RadioButton, exchange_ids::IDC_RADIO_A1, "A1", 90, 56, 30, 10, S::None},
    ControlTemplate{K::Static, kLabel, "->", 125, 57, 12, 8, S::Group},
    ControlTemplate{K::RadioButton, exchange_ids::IDC_RADIO_B0, "B0", 10, 70, 30, 10, S::Group},
    ControlTemplate{K::RadioButton, exchange_ids::IDC_RADIO_B1, "B1", 45, 70, 30, 10, S::None},
    ControlTemplate{K::Static, exchange_ids::IDC_PATH, "", 10, 84, 150, 12, S::Sunken | S::VCenter | S::Group},
    ControlTemplate{K::Edit, exchange_ids::IDC_LAST, "", 10, 100, 80, 12, kEdit},
    ControlTemplate{K::PushButton, CommandId::Ok, "확인", 110, 100, 50, 14, S::Default | S::TabStop},
};

constexpr std::uint32_t kPopup = DialogStyle::Caption | DialogStyle::SysMenu | DialogStyle::ModalFrame;

const std::array kTemplates{
    DialogTemplate{IDD_LAYOUT, 215, 120, "굴림", 9, "배치", kPopup, kLayoutControls},
    DialogTemplate{IDD_LISTS, 210, 170, "굴림", 9, "목록", kPopup, kListControls},
    DialogTemplate{IDD_PROMPT, 100, 40, "굴림", 9, "질문", kPopup, kPromptControls},
    DialogTemplate{IDD_TOOL, 100, 40, "굴림", 9, "도구", kPopup, kToolControls},
    DialogTemplate{IDD_SHOWN, 100, 40, "System", 10, "보이는 창", kPopup | DialogStyle::Visible, kToolControls},
    // ---- templates of the data-exchange tests follow ----
    DialogTemplate{exchange_ids::IDD_EXCHANGE, 170, 120, "굴림", 9, "교환", kPopup, kExchangeControls},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& t : kTemplates)
        if (t.id == id) return &t;
    return nullptr;
}

std::span<const ImageResource> FindImageResource(int id)
{
    if (id == IDB_SMALL) return kSmallImages;
    return {};
}
