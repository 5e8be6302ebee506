// Dialog templates and images of the platform tests.
#pragma once

#include "platform/Template.h"
#include "platform/Types.h"

namespace test_ids {

// Dialogs.
enum : int {
    IDD_LAYOUT = 900,     // one control of each kind, two radio groups
    IDD_LISTS = 901,      // an owner-drawn single-selection list and a multi-selection one
    IDD_PROMPT = 902,     // a small modal dialog: OK and Cancel
    IDD_TOOL = 903,       // a modeless window with a button
    IDD_SHOWN = 904,      // a modeless window that is visible once created
    IDD_MISSING = 999,    // no such template
};

// Controls of IDD_LAYOUT.
enum : int {
    IDC_PROBE = 1099,     // a label of 4 × 8 dialog units at the origin: one base unit each way
    IDC_NAME = 1001,      // edit
    IDC_NUMBER = 1002,    // edit
    IDC_CENTERED = 1003,  // disabled, centred edit
    IDC_A = 1010, IDC_B = 1011, IDC_C = 1012,   // radio group 1
    IDC_X = 1020, IDC_Y = 1021,                  // radio group 2
    IDC_CHECK = 1030,
    IDC_FIELD = 1040,     // sunken static showing a member
    IDC_RUN = 1050,       // push button
    IDC_BASE_ONLY = 1051, // push button with an entry only in the base class's table
    IDC_PICTURE = 1060,   // bitmap picture
};

// Controls of IDD_LISTS.
enum : int { IDC_SINGLE = 1100, IDC_MULTI = 1101 };

// Images.
enum : int { IDB_SMALL = 50 };   // a 12 × 9 red picture

} // namespace test_ids

// ---- ids of the data-exchange tests follow ----

namespace test_ids::exchange {

enum : int {
    IDD_EXCHANGE = 910,   // one member of each exchange kind; also owns the services' prompts
    IDC_TITLE = 1201,     // edit: text of at most 50 bytes
    IDC_NUMBER = 1202,    // edit: integer
    IDC_RANGED = 1203,    // edit: integer from 0 to 99999
    IDC_CHECK = 1204,
    IDC_RADIO_A0 = 1210, IDC_BUTTON = 1211, IDC_RADIO_A1 = 1212,   // group A, a push button between its radios
    IDC_RADIO_B0 = 1220, IDC_RADIO_B1 = 1221,                      // group B, after a label that starts a group
    IDC_PATH = 1230,      // sunken static: a host path
    IDC_LAST = 1240,      // edit: the last step of the exchange
};

} // namespace test_ids::exchange
