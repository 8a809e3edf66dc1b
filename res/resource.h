// Resource and command identifiers of Brindleway. The numbers are part of the
// program's interface (dialog templates, menu commands, help contexts) and
// must not change.
#pragma once

// Icons
#define IDI_BRINDLEWAY 128

// Dialogs
#define IDD_SETTINGS 102
#define IDD_ABOUT 134
#define IDD_ITEM_EDITOR 135
#define IDD_OPTIONS 137

// Menu bar of the settings window and its accelerators
#define IDR_SETTINGS_MENU 138
#define IDR_ACCELERATORS 140

// String table
#define IDS_CONFIRM_REMOVE_BROKEN 5001
#define IDS_TABLE_FULL 5002

// Settings window (dialog 102) controls
#define IDC_GROUP_TREE 1000
#define IDC_ITEM_LIST 1001
#define IDC_ADD 1003
#define IDC_EDIT 1004
#define IDC_VERSION_ICON 1005
#define IDC_DELETE 1006
#define IDC_UP 1007
#define IDC_DOWN 1008
#define IDC_APPLY 1011
#define IDC_OPTIONS 1012

// Settings window menu bar commands
#define ID_HELP_ABOUT 32771
#define ID_HELP_CONTENTS 32772
#define ID_HELP_SEARCH 32774
#define ID_HELP_INDEX 32775
#define ID_TOOLS_ADD 32776
#define ID_TOOLS_EDIT 32777
#define ID_TOOLS_DELETE 32778
#define ID_SETTINGS_OK 32781
#define ID_SETTINGS_CANCEL 32782
#define ID_SETTINGS_EXIT 32783
#define ID_TOOLS_OPTIONS 32784
#define ID_TOOLS_UP 32785
#define ID_TOOLS_DOWN 32786

// Tray system menu commands
#define ID_TRAY_EXIT 33024
#define ID_TRAY_SETTINGS 33025
#define ID_TRAY_ABOUT 33026
#define ID_TRAY_HELP 33027
#define ID_TRAY_MY_COMPUTER 33028
#define ID_TRAY_MY_DOCUMENTS 33029
#define ID_TRAY_MY_NETWORK 33030

// About dialog (134) controls
#define IDC_ABOUT_VERSION 1002
#define IDC_ABOUT_LINK 1027

// Item editor (135) controls
#define IDC_EDITOR_NAME 1004
#define IDC_EDITOR_BROWSE 1005
#define IDC_EDITOR_PATH 1006
#define IDC_EDITOR_PATH_LABEL 1022
#define IDC_EDITOR_URL 1023
#define IDC_EDITOR_SCHEME 1024
#define IDC_EDITOR_KIND 1026

// Options dialog (137) controls
#define IDC_OPT_AUTOSTART 1010
#define IDC_OPT_SWAP_BUTTONS 1013
#define IDC_OPT_HIDE_MINIMIZED 1015
#define IDC_OPT_CLOSE_EXITS 1016
#define IDC_OPT_SHOW_AT_START 1017
#define IDC_OPT_NO_GROUPS 1018
#define IDC_OPT_RESTORE_DEFAULTS 1020
#define IDC_OPT_MY_COMPUTER 1021
#define IDC_OPT_MY_DOCUMENTS 1022
#define IDC_OPT_MY_NETWORK 1023
#define IDC_OPT_REMOVE_BROKEN 1006
