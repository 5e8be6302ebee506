// The dialog templates of the program, in dialog units. Template order is the
// tab order. Captions are the texts the user sees.
#include "platform/Template.h"
#include "platform/Types.h"
#include "res/Resource.h"

#include <array>

namespace {

using K = ControlKind;
namespace S = ControlStyle;
constexpr int kLabel = -1;  // a static text without identifier

constexpr std::uint32_t kEdit = S::Border | S::AutoHScroll | S::TabStop;
constexpr std::uint32_t kButton = S::TabStop;
constexpr std::uint32_t kField = S::Sunken | S::VCenter;  // a sunken static that shows a member

constexpr const char* kGulim = "굴림";

// What the number and name fields show at start and at their widest: the
// controls are made wide enough for these in whatever font stands in for 굴림.
constexpr const char* kLinkNames = "MRV_Dat00001\nMOD_Dat00001";
constexpr const char* kNumbers = "1\n99999";

// ---- 102: the main dialog --------------------------------------------------------

constexpr const char* kInstructions =
    "\n"
    "  1) BITPIM이나 QPST를 이용하여 wipi/sys/shared/mod/modreg.dat 화일을빼내세요. \n"
    "  2) 화일크기나 재생시간은 틀리게 입력해도 관계없습니다. 대충비슷하게만 입력하면됩니다.\n"
    "  3) modreg.dat수정후 원본은 modreg.dat_year_day_hour_min 화일로 자동 백업됩니다.\n"
    "  4) 목록을 마우스 오른쪽 클릭하면 삭제도 가능합니다.";

const std::array kMakerControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "끝내기", 360, 321, 55, 17, S::Default | kButton},
    ControlTemplate{K::Static, IDC_LINK_FILE_NAME, "", 81, 40, 54, 13, kField | S::Center, 0, kLinkNames},
    ControlTemplate{K::PushButton, IDC_MAKE_LINK, "만들기", 109, 60, 82, 26, S::Raised | kButton},
    ControlTemplate{K::Edit, IDC_LINK_NUMBER, "", 49, 41, 26, 12, kEdit, 0, kNumbers},
    ControlTemplate{K::Edit, IDC_LINK_TITLE, "", 49, 25, 127, 12, kEdit},
    ControlTemplate{K::Static, kLabel, "노래제목 :", 11, 27, 34, 8, S::Right},
    ControlTemplate{K::GroupBox, kLabel, "MRV/MOD_Dat Maker VEXO Edtion", 8, 9, 191, 105, S::None},
    ControlTemplate{K::Static, kLabel, "구분번호 :", 11, 43, 34, 8, S::Right},
    ControlTemplate{K::Static, kLabel, "만드는데 협조해주신 사용자여러분께 감사드립니다.", 19, 135, 161, 8, S::None},
    ControlTemplate{K::Static, IDC_TARGET_NAME, "", 140, 40, 36, 13, kField | S::Center, 0, "1.zqm\n1.dcf"},
    ControlTemplate{K::Static, IDC_SAVE_FOLDER, "", 15, 95, 141, 12, kField},
    ControlTemplate{K::Static, kLabel, "저장위치 ↓", 53, 82, 36, 8, S::None},
    ControlTemplate{K::PushButton, IDC_CHANGE_FOLDER, "폴더변경", 158, 94, 33, 14, kButton},
    ControlTemplate{K::GroupBox, kLabel, "모르반타 목록에 넣기", 8, 149, 197, 89, S::None},
    ControlTemplate{K::Static, kLabel,
                    "경고 : 이프로그램을 사용하여 발생하는 모든 문제에대하여서는 모두 자기자신에게 책임이 있습니다.",
                    9, 323, 334, 14, S::Border | S::Sunken | S::Center | S::VCenter},
    ControlTemplate{K::GroupBox, kLabel, "", 8, 233, 423, 83, S::None},
    ControlTemplate{K::PushButton, IDC_LOAD_REGISTRY, "레지스트리화일 불러오기", 20, 242, 90, 18, kButton},
    ControlTemplate{K::Static, IDC_REGISTRY_PATH, "", 118, 245, 216, 12, kField},
    ControlTemplate{K::PushButton, IDC_ADD_ENTRY, "추가 -->", 146, 200, 46, 22, S::Raised | kButton},
    ControlTemplate{K::Static, kLabel, "노래제목 :", 20, 164, 33, 8, S::None},
    ControlTemplate{K::Edit, IDC_ENTRY_TITLE, "", 59, 162, 135, 12, kEdit},
    ControlTemplate{K::Static, kLabel, "_Dat", 43, 182, 15, 8, S::None},
    ControlTemplate{K::Edit, IDC_ENTRY_LINK_NAME, "", 117, 180, 74, 12, kEdit | S::Center | S::Disabled, 0, kLinkNames},
    ControlTemplate{K::Static, kLabel, "화일크기 :", 22, 202, 33, 8, S::None},
    ControlTemplate{K::Edit, IDC_FILE_SIZE, "", 60, 200, 30, 12, kEdit, 0, "1048576"},
    ControlTemplate{K::Static, kLabel, "Bytes", 93, 202, 19, 8, S::None},
    ControlTemplate{K::Static, kLabel, kInstructions, 20, 264, 314, 46, S::Sunken | S::MultiLine},
    ControlTemplate{K::Static, kLabel, "재생시간 :", 22, 222, 33, 8, S::None},
    ControlTemplate{K::Edit, IDC_PLAY_TIME, "", 60, 219, 30, 12, kEdit, 0, "60"},
    ControlTemplate{K::Static, kLabel, "초", 94, 221, 8, 8, S::None},
    ControlTemplate{K::Bitmap, kLabel, "", 347, 248, 69, 58, S::None, IDB_PICTURE},
    ControlTemplate{K::ListView, IDC_REGISTRY_LIST, "", 204, 13, 226, 225,
                    S::SingleSel | S::OwnerDraw | S::Border | S::TabStop},
    ControlTemplate{K::PushButton, IDC_EXTRA_INFO, "추가옵션", 115, 200, 31, 22, kButton},
    ControlTemplate{K::PushButton, IDC_SHOW_SEARCH, "ZQM", 179, 25, 12, 30, S::MultiLine | kButton},
    ControlTemplate{K::PushButton, IDC_OPEN_FOLDER, "폴더열기", 14, 79, 36, 14, kButton},
    ControlTemplate{K::CheckBox, IDC_NO_BACKUP, "백업화일 만들지 않기", 116, 225, 82, 8, S::TabStop},
    ControlTemplate{K::RadioButton, IDC_ENTRY_KIND_MRV, "MRV", 15, 177, 25, 8, S::Group},
    ControlTemplate{K::RadioButton, IDC_ENTRY_KIND_MOD, "MOD", 15, 188, 28, 8, S::None},
    ControlTemplate{K::Edit, IDC_ENTRY_NUMBER, "", 59, 180, 29, 12, kEdit, 0, kNumbers},
    ControlTemplate{K::Static, kLabel, "->", 95, 181, 11, 8, S::Center | S::Group},
    ControlTemplate{K::RadioButton, IDC_LINK_KIND_MRV, "MRV", 18, 56, 26, 8, S::Group},
    ControlTemplate{K::RadioButton, IDC_LINK_KIND_MOD, "MOD", 18, 66, 26, 8, S::None},
    ControlTemplate{K::PushButton, IDC_MOD_OPTION, "MOD Option", 49, 64, 45, 12, kButton},
};

// ---- 100: About box ----------------------------------------------------------------

const std::array kAboutControls{
    ControlTemplate{K::Icon, kLabel, "", 11, 17, 20, 21, S::None, IDR_MAINFRAME},
    ControlTemplate{K::Static, kLabel, "MRV/MOD_Dat000xx Maker VEXO Edtion 3.0", 40, 10, 152, 8,
                    S::NoPrefix | S::Group},
    ControlTemplate{K::PushButton, CommandId::Ok, "확인", 198, 20, 53, 19, S::Default | S::Group | S::TabStop},
};

// ---- 130: audio information ("추가사항") ---------------------------------------------

const std::array kExtraInfoControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "OK", 137, 11, 50, 14, S::Default | kButton},
    ControlTemplate{K::PushButton, CommandId::Cancel, "Cancel", 137, 29, 50, 14, kButton},
    ControlTemplate{K::Edit, IDC_COPYRIGHT_HOLDER, "", 50, 13, 77, 12, kEdit},
    ControlTemplate{K::Edit, IDC_BITRATE, "", 50, 32, 54, 12, kEdit, 0, "128.00"},
    ControlTemplate{K::GroupBox, kLabel, "오디오 정보", 15, 52, 173, 55, S::None},
    ControlTemplate{K::Edit, IDC_AUDIO_KBPS, "", 33, 85, 48, 12, kEdit, 0, "128.00"},
    ControlTemplate{K::Edit, IDC_SAMPLE_RATE, "", 113, 84, 46, 12, kEdit, 0, "44.10"},
    ControlTemplate{K::Static, kLabel, "저작권자 :", 14, 15, 33, 8, S::None},
    ControlTemplate{K::Static, kLabel, "Bitrate :", 21, 34, 26, 8, S::None},
    ControlTemplate{K::Static, kLabel, "kbps", 108, 33, 16, 8, S::None},
    ControlTemplate{K::Static, kLabel, "kbps / ", 86, 86, 24, 8, S::None},
    ControlTemplate{K::Static, kLabel, "kHz", 165, 86, 13, 8, S::None},
    ControlTemplate{K::Edit, IDC_AUDIO_FORMAT, "", 113, 66, 66, 12, kEdit, 0, "HE-AAC (MP4)"},
    ControlTemplate{K::Static, kLabel, "오디오 음원 포멧 방식 :", 34, 68, 74, 8, S::None},
};

// ---- 140: MOD Option -----------------------------------------------------------------

const std::array kModOptionControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "OK", 51, 94, 50, 14, S::Default | kButton},
    ControlTemplate{K::RadioButton, IDC_LOCATION_0, "내장메모리 oem/mod : ZQM File", 12, 9, 121, 8, S::Group},
    ControlTemplate{K::RadioButton, IDC_LOCATION_1, "내장메모리 oem/MP3 : ZQM File", 12, 21, 130, 8, S::None},
    ControlTemplate{K::RadioButton, IDC_LOCATION_2, "내장메모리 oem/mod : DCF File", 12, 33, 138, 8, S::None},
    ControlTemplate{K::RadioButton, IDC_LOCATION_3, "내장메모리 oem/MP3 : DCF File", 12, 45, 131, 8, S::None},
    ControlTemplate{K::RadioButton, IDC_LOCATION_4, "왜장메모리 mmc1/MP3 : ZQM File", 12, 65, 140, 8, S::None},
    ControlTemplate{K::RadioButton, IDC_LOCATION_5, "왜장메모리 mmc1/MP3 : DCF File", 12, 77, 125, 8, S::None},
    ControlTemplate{K::Line, kLabel, "", 2, 58, 155, 1, S::None},
};

// ---- 138: the ZQM search window, 139: its rename popup --------------------------------

const std::array kCacheSearchControls{
    ControlTemplate{K::PushButton, CommandId::Ok, "닫기", 140, 66, 35, 14, S::Default | kButton},
    ControlTemplate{K::ListView, IDC_CACHE_LIST, "", 10, 11, 125, 77, S::OwnerDraw | S::Border | S::TabStop},
    ControlTemplate{K::ListView, IDC_SAVED_LIST, "", 179, 11, 125, 126,
                    S::SingleSel | S::OwnerDraw | S::Border | S::TabStop},
    ControlTemplate{K::PushButton, IDC_COPY_TO_SAVE, "->", 142, 30, 31, 14, kButton},
    ControlTemplate{K::PushButton, IDC_SAVE_LOCATION, "저장위치", 12, 161, 41, 14, kButton},
    ControlTemplate{K::Static, IDC_SAVE_LOCATION_TEXT, "", 59, 162, 247, 12, kField},
    ControlTemplate{K::GroupBox, kLabel, "오른쪽 저장된 ZQM화일 이름 바꾸는법..", 11, 97, 155, 60, S::None},
    ControlTemplate{K::Static, kLabel, "(1) 자동으로 바꾸기는 마우스를 더블클릭", 23, 115, 129, 8, S::None},
    ControlTemplate{K::Static, kLabel, "(2) 수동으로 바꾸기는 오른쪽마우스 클릭", 23, 128, 129, 8, S::None},
    ControlTemplate{K::Static, kLabel, "(3) 마우스클릭 MRV_Dat000xx의 노래제목", 23, 140, 131, 8, S::None},
    ControlTemplate{K::Static, kLabel, "노래제목 :", 173, 145, 33, 8, S::None},
    ControlTemplate{K::Static, IDC_SONG_TITLE, "", 207, 142, 70, 12, kField},
    ControlTemplate{K::PushButton, IDC_PLAY, "듣기", 281, 141, 23, 13, kButton},
};

const std::array kRenameEditControls{
    ControlTemplate{K::Edit, IDC_RENAME_EDIT, "", 0, 0, 69, 12, kEdit},
};

// ---- 141: going back to a backup, 142: how many backups stay -----------------------

const std::array kRestoreControls{
    ControlTemplate{K::Static, kLabel, "이 레지스트리화일의 백업화일 (새것부터):", 7, 7, 200, 8, S::None},
    ControlTemplate{K::ListView, IDC_BACKUP_LIST, "", 7, 18, 286, 110, S::SingleSel | S::OwnerDraw | S::Border | S::TabStop},
    ControlTemplate{K::Static, IDC_BACKUP_CHOSEN, "", 7, 132, 286, 12, kField},
    ControlTemplate{K::PushButton, IDC_RESTORE, "되살리기", 7, 150, 55, 14, kButton},
    ControlTemplate{K::PushButton, IDC_TIDY, "정리...", 67, 150, 55, 14, kButton},
    ControlTemplate{K::PushButton, CommandId::Ok, "닫기", 238, 150, 55, 14, S::Default | kButton},
};

const std::array kTidyControls{
    ControlTemplate{K::Static, kLabel, "남길 백업화일 수 (새것부터):", 7, 10, 110, 8, S::None},
    ControlTemplate{K::Edit, IDC_KEEP_COUNT, "", 120, 8, 40, 12, kEdit},
    ControlTemplate{K::Static, kLabel, "나머지 백업화일은 지웁니다.", 7, 26, 160, 8, S::None},
    ControlTemplate{K::PushButton, CommandId::Ok, "확인", 56, 44, 50, 14, S::Default | kButton},
    ControlTemplate{K::PushButton, CommandId::Cancel, "취소", 111, 44, 50, 14, kButton},
};

// ---- 143: many songs in one action -------------------------------------------------

const std::array kImportControls{
    ControlTemplate{K::Static, kLabel, "음원 폴더 :", 7, 9, 40, 8, S::None},
    ControlTemplate{K::Static, IDC_IMPORT_FOLDER, "", 50, 7, 362, 12, kField},
    ControlTemplate{K::PushButton, IDC_IMPORT_CHOOSE, "폴더...", 418, 6, 55, 14, kButton},
    ControlTemplate{K::PushButton, IDC_IMPORT_FROM_SAVE, "저장 폴더", 50, 24, 55, 14, kButton},
    ControlTemplate{K::PushButton, IDC_IMPORT_FROM_TEMP, "임시 폴더", 110, 24, 55, 14, kButton},
    ControlTemplate{K::Static, kLabel, "첫 번호 :", 380, 27, 36, 8, S::None},
    ControlTemplate{K::Edit, IDC_IMPORT_FIRST, "", 418, 25, 55, 12, kEdit},
    ControlTemplate{K::ListView, IDC_IMPORT_LIST, "", 7, 43, 466, 150, S::SingleSel | S::OwnerDraw | S::Border | S::TabStop},
    ControlTemplate{K::Static, kLabel, "곡명을 고치려면 그 줄을 마우스 오른쪽 단추로 누르세요.", 7, 198, 250, 8, S::None},
    ControlTemplate{K::Static, IDC_IMPORT_SUMMARY, "", 7, 212, 300, 12, kField},
    ControlTemplate{K::PushButton, IDC_IMPORT_ADD, "추가", 358, 229, 55, 14, kButton},
    ControlTemplate{K::PushButton, CommandId::Ok, "닫기", 418, 229, 55, 14, S::Default | kButton},
};

constexpr std::uint32_t kPopup = DialogStyle::Caption | DialogStyle::SysMenu | DialogStyle::ModalFrame;

const std::array kTemplates{
    DialogTemplate{IDD_MAKER_DIALOG, 438, 343, kGulim, 9,
                   "MRV/MOD_Dat000xx Maker VEXO Edtion 3.0 :: MRV = 모르반타, MOD = MP3(DCF) or ZQM",
                   kPopup | DialogStyle::MinimizeBox | DialogStyle::AppWindow, kMakerControls},
    DialogTemplate{IDD_ABOUTBOX, 270, 60, kGulim, 9, "MRV/MOD_Dat000xx Maker VEXO Edtion 정보", kPopup,
                   kAboutControls},
    DialogTemplate{IDD_EXTRA_INFO, 202, 113, kGulim, 9, "추가사항", kPopup, kExtraInfoControls},
    DialogTemplate{IDD_MOD_OPTION, 158, 117, kGulim, 9, "MOD Option", kPopup, kModOptionControls},
    DialogTemplate{IDD_CACHE_SEARCH, 315, 183, kGulim, 9, "ZQM Serach", kPopup, kCacheSearchControls},
    DialogTemplate{IDD_RENAME_EDIT, 69, 11, kGulim, 9, "", DialogStyle::NoBorder, kRenameEditControls},
    DialogTemplate{IDD_RESTORE_BACKUP, 300, 171, kGulim, 9, "백업에서 되살리기", kPopup, kRestoreControls},
    DialogTemplate{IDD_TIDY_BACKUPS, 168, 65, kGulim, 9, "백업화일 정리", kPopup, kTidyControls},
    DialogTemplate{IDD_IMPORT_SONGS, 480, 250, kGulim, 9, "여러 곡 한꺼번에 추가", kPopup, kImportControls},
    DialogTemplate{IDD_PICTURE_ILLUSTRATION, 309, 384, "System", 10, "일러스트 이미지", kPopup, {}},
    DialogTemplate{IDD_PICTURE_2, 161, 70, "System", 10, "그림 하나", kPopup, {}},
    DialogTemplate{IDD_PICTURE_3, 225, 300, "System", 10, "그림 둘", kPopup, {}},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& t : kTemplates)
        if (t.id == id) return &t;
    return nullptr;
}
