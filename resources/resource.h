// Ids of the resources of quorel.exe: menu commands, dialogs and their
// controls, the icon, the product version. Plain #defines, read both by the
// resource compiler (quorel.rc) and by C++ code, portable or Win32; so no
// Windows header here.
#pragma once

// Product version, kept here only: the version resources, the About dialog,
// the start window, `quorel-cli --version`, CMake's project version, the
// installer and the zip (scripts/dist) all read these three lines.
#define QUOREL_VERSION_MAJOR 1
#define QUOREL_VERSION_MINOR 4
#define QUOREL_VERSION_BUILD 251
// "1.4.251", made from the numbers above.
#define QUOREL_STRINGIZE_(x) #x
#define QUOREL_STRINGIZE(x) QUOREL_STRINGIZE_(x)
#define QUOREL_VERSION_TEXT                \
    QUOREL_STRINGIZE(QUOREL_VERSION_MAJOR) \
    "." QUOREL_STRINGIZE(QUOREL_VERSION_MINOR) "." QUOREL_STRINGIZE(QUOREL_VERSION_BUILD)

// Resources known by name. The resource script writes the bare names; code
// passes these wide strings. Bitmaps are loaded by their names too ("LOGO",
// "HOOKON", ...; "_2X" appended for 192 DPI), drawn by gen-images.py.
#define QUOREL_MAIN_MENU_NAME L"MAINMENU"
#define QUOREL_MAIN_ACCELERATORS_NAME L"MAINWINACCEL"
#define QUOREL_MODIFY_ACE_DIALOG_NAME L"MODIFYACE"

#define IDI_QUOREL 123

// ---------------------------------------------------------------------------
// Main window commands (menu items, accelerators, keys).

// File
#define IDM_NEW_SCAN 50001
#define IDM_RESCAN 50069
#define IDM_OPEN 50002
#define IDM_SAVE 50003
#define IDM_SAVE_AS 50004
#define IDM_COMPARE_TO 50028
#define IDM_END_COMPARE 50037
#define IDM_EXPORT_CSV 50032
#define IDM_PRINT 50075
#define IDM_SAVE_SETTINGS 50033
#define IDM_LOAD_SETTINGS 50034
#define IDM_SAVE_SETTINGS_AS_DEFAULT 50035
#define IDM_PROJECT_SETTINGS 50036
#define IDM_EXIT 50005

// Edit
#define IDM_UNDO 50006
#define IDM_WRITE_MODE 50051
#define IDM_CUT 50007
#define IDM_COPY 50008
#define IDM_PASTE 50009
#define IDM_COMBINE 50053
#define IDM_ADD_ACE 50049
#define IDM_DELETE_ACES 50048
#define IDM_MODIFY_ACE 50057
#define IDM_CHANGE_INHERITANCE_FLAGS 50058
#define IDM_CONVERT_INHERITED 50054
#define IDM_REPAIR_ACE_ORDER 50076
#define IDM_COPY_PATH 50077
#define IDM_TAKE_OWNERSHIP 50060
#define IDM_ELIMINATE_UNRESOLVED 50065
#define IDM_INHERIT_ACL 50052
#define IDM_PROPAGATE_CHANGES 50056
#define IDM_RESTORE_PERMISSIONS 50070
#define IDM_SELECT_ALL 50073
#define IDM_SELECTION_TO_ACES 50071
#define IDM_SELECTION_TO_ENTRIES 50072
#define IDM_FIND 50026

// View
#define IDM_DIRECTORY_DEPTH 50044
#define IDM_SHOW_COMPLETE_PATH 50027
#define IDM_SHOW_INHERIT_ONLY 50050
#define IDM_HIDE_INHERITED 50055
#define IDM_SELECT_PERMISSIONS 50030
#define IDM_BASIC_PERMISSION_SET 50064
#define IDM_BREAK_DOWN_GROUPS 50062
#define IDM_VIEW_ERROR_LOG 50061
#define IDM_WHEEL_HIGH 50066
#define IDM_WHEEL_NORMAL 50067
#define IDM_WHEEL_LOW 50068

// Filter: the dynamic filter window and the eight static filters (1..8).
#define IDM_DYNAMIC_FILTERS 50031
#define IDM_FILTER_SHOW_ALL 50020
#define IDM_FILTER_DIFFERS_FROM_PARENT 50021
#define IDM_FILTER_HAS_DENY_ENTRY 50022
#define IDM_FILTER_HAS_NON_INHERITED_ACE 50023
#define IDM_FILTER_DIRECTORIES_ONLY 50024
#define IDM_FILTER_DIRECTORIES_DIFFERING_FROM_PARENT 50025
#define IDM_FILTER_UNRESOLVED_ACCOUNT 50045
#define IDM_FILTER_ANALYSIS_ERROR 50046

// Help
#define IDM_HELP 50018
#define IDM_ABOUT 50019

// Keys without a menu item.
#define IDM_SCROLL_RIGHT 50038
#define IDM_SCROLL_LEFT 50039
#define IDM_LINE_UP 50040
#define IDM_LINE_DOWN 50041
#define IDM_PAGE_UP 50042
#define IDM_PAGE_DOWN 50043
#define IDM_FIND_NEXT_KEY 50074

// ---------------------------------------------------------------------------
// Dialogs and their controls. OK is 1 and Cancel 2 (IDOK, IDCANCEL) in every
// dialog.

#define IDD_ABOUT 101
#define IDC_ABOUT_TEXT 105
#define IDC_ABOUT_VISIT_WEBSITE 106
#define IDC_ABOUT_SEND_EMAIL 107

#define IDD_DEPTH 126
#define IDC_DEPTH_EDIT 127

// Modeless, shown while a dataset file is read.
#define IDD_LOADING 124

#define IDD_PROJECT_SETTINGS 108
#define IDC_PROJECT_SAVE 109
#define IDC_PROJECT_OPEN 119
#define IDC_PROJECT_ADD_COUNTER 120
#define IDC_PROJECT_DIRECTORIES 121
#define IDC_PROJECT_OUTPUT_NAME 122

#define IDD_ADD_USER 130
#define IDC_ADD_USER_DENY 132
#define IDC_ADD_USER_LIST 133
#define IDC_ADD_USER_NAME 134
#define IDC_ADD_USER_REBUILD 135

#define IDD_MODIFY_INHERITANCE_FLAGS 137
#define IDC_FLAGS_INHERIT_ONLY 20
#define IDC_FLAGS_INHERIT_TO_FILES 21
#define IDC_FLAGS_INHERIT_TO_FOLDERS 22
#define IDC_FLAGS_DONT_PROPAGATE 23

#define IDD_INHERITANCE_SETTINGS 138
#define IDC_INHERIT_TAKE_OWNERSHIP 20
#define IDC_INHERIT_GIVE_BACK_OWNERSHIP 21
#define IDC_INHERIT_KEEP_EXPLICIT_ACES 22
#define IDC_INHERIT_SKIP_NOT_INHERITED 23

#define IDD_RESTORE_SETTINGS 139
#define IDC_RESTORE_APPLY_INHERITANCE 20
#define IDC_RESTORE_DO_NOTHING 21
#define IDC_RESTORE_TAKE_OWNERSHIP 22
#define IDC_RESTORE_GIVE_BACK_OWNERSHIP 23

// "MODIFYACE": one explicit ACE, its type, inheritance flags and rights.
#define IDC_MODIFY_ACE_INHERIT_ONLY 20
#define IDC_MODIFY_ACE_INHERIT_TO_FILES 21
#define IDC_MODIFY_ACE_INHERIT_TO_FOLDERS 22
#define IDC_MODIFY_ACE_DONT_PROPAGATE 23
#define IDC_MODIFY_ACE_INHERITED 24
// The nineteen named rights, IDC_MODIFY_ACE_FIRST_RIGHT + row of the
// permission vocabulary (all, g_all, g_rd, g_wr, g_ex, ex, rd, rd_a, rd_ea,
// wr, app, wr_a, wr_ea, del, rd_p, wr_p, ow_t, del_ch, sync).
#define IDC_MODIFY_ACE_FIRST_RIGHT 30
#define IDC_MODIFY_ACE_RIGHT_COUNT 19
#define IDC_MODIFY_ACE_ALLOW 60
#define IDC_MODIFY_ACE_DENY 61
// Static text that names the ACE's trustee; filled when the dialog opens.
#define IDC_MODIFY_ACE_TRUSTEE 62
