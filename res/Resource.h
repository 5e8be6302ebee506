// Resource ids: dialog templates, controls, images, strings.
#pragma once

// Dialog templates.
enum : int {
    IDD_ABOUTBOX = 100,
    IDD_MAKER_DIALOG = 102,
    IDD_EXTRA_INFO = 130,
    IDD_PICTURE_ILLUSTRATION = 131,
    IDD_PICTURE_2 = 132,
    IDD_PICTURE_3 = 133,
    IDD_CACHE_SEARCH = 138,
    IDD_RENAME_EDIT = 139,
    IDD_MOD_OPTION = 140,
    IDD_RESTORE_BACKUP = 141,
    IDD_TIDY_BACKUPS = 142,
    IDD_IMPORT_SONGS = 143,
};

// Images.
enum : int {
    IDR_MAINFRAME = 128,    // the application icon, 32 × 32 and 16 × 16
    IDB_PICTURE = 129,      // the picture at the main dialog's lower right, 122 × 88
};

// Strings.
enum : int { IDS_ABOUTBOX = 101, IDS_RESTORE_BACKUP = 102, IDS_IMPORT_SONGS = 103 };

// System-menu commands: the About box, going back to a backup, many songs at once.
enum : unsigned { IDM_ABOUTBOX = 0x0010, IDM_RESTORE_BACKUP = 0x0020, IDM_IMPORT_SONGS = 0x0030 };

// Controls of the main dialog (102).
enum : int {
    IDC_LINK_FILE_NAME = 1000,   // static: name of the next link file
    IDC_MAKE_LINK = 1001,        // "만들기"
    IDC_LINK_NUMBER = 1002,      // edit
    IDC_LINK_TITLE = 1004,       // edit
    IDC_TARGET_NAME = 1005,      // static: target file name
    IDC_SAVE_FOLDER = 1006,      // static
    IDC_CHANGE_FOLDER = 1007,    // "폴더변경"
    IDC_LOAD_REGISTRY = 1009,    // "레지스트리화일 불러오기"
    IDC_REGISTRY_PATH = 1010,    // static
    IDC_ADD_ENTRY = 1013,        // "추가 -->"
    IDC_ENTRY_TITLE = 1014,      // edit
    IDC_ENTRY_LINK_NAME = 1015,  // edit, disabled
    IDC_FILE_SIZE = 1016,        // edit
    IDC_PLAY_TIME = 1019,        // edit
    IDC_REGISTRY_LIST = 1020,    // list
    IDC_EXTRA_INFO = 1021,       // "추가옵션"
    IDC_SHOW_SEARCH = 1027,      // "ZQM"
    IDC_OPEN_FOLDER = 1035,      // "폴더열기"
    IDC_NO_BACKUP = 1037,        // check box
    IDC_ENTRY_KIND_MRV = 1038,   // radio, starts a group
    IDC_ENTRY_KIND_MOD = 1039,
    IDC_ENTRY_NUMBER = 1041,     // edit
    IDC_LINK_KIND_MRV = 1042,    // radio, starts a group
    IDC_LINK_KIND_MOD = 1043,
    IDC_MOD_OPTION = 1044,       // "MOD Option"
};

// Controls of the audio-information dialog (130).
enum : int {
    IDC_COPYRIGHT_HOLDER = 1004,
    IDC_BITRATE = 1023,
    IDC_AUDIO_KBPS = 1024,
    IDC_SAMPLE_RATE = 1025,
    IDC_AUDIO_FORMAT = 1026,
};

// Controls of the search window (138) and its rename popup (139).
enum : int {
    IDC_CACHE_LIST = 1005,
    IDC_SAVED_LIST = 1029,
    IDC_COPY_TO_SAVE = 1030,
    IDC_SAVE_LOCATION = 1031,
    IDC_SAVE_LOCATION_TEXT = 1032,
    IDC_SONG_TITLE = 1034,
    IDC_PLAY = 1036,
    IDC_RENAME_EDIT = 1004,
};

// Controls of the restore dialog (141) and of its tidying question (142).
enum : int {
    IDC_BACKUP_LIST = 1051,
    IDC_BACKUP_CHOSEN = 1052,     // static: the chosen backup's name, or why it cannot be restored
    IDC_RESTORE = 1053,           // "되살리기"
    IDC_TIDY = 1054,              // "정리..."
    IDC_KEEP_COUNT = 1055,        // edit: how many backups stay
};

// Controls of the dialog of many songs (143).
enum : int {
    IDC_IMPORT_FOLDER = 1056,      // static: the folder the songs come from
    IDC_IMPORT_CHOOSE = 1057,      // "폴더..."
    IDC_IMPORT_FROM_SAVE = 1058,   // "저장 폴더"
    IDC_IMPORT_FROM_TEMP = 1059,   // "임시 폴더"
    IDC_IMPORT_FIRST = 1060,       // edit: the first number
    IDC_IMPORT_LIST = 1061,
    IDC_IMPORT_SUMMARY = 1062,     // static: how many are added, how many left out
    IDC_IMPORT_ADD = 1063,         // "추가"
};

// Radio buttons of the MOD Option dialog (140): storage locations 0..5.
enum : int {
    IDC_LOCATION_0 = 1045,
    IDC_LOCATION_1 = 1046,
    IDC_LOCATION_2 = 1047,
    IDC_LOCATION_3 = 1048,
    IDC_LOCATION_4 = 1049,
    IDC_LOCATION_5 = 1050,
};
