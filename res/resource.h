// Resource ids of Tabrye.exe: one header for the .rc and the code.
#pragma once

#define IDR_MAINFRAME 328

// String table
#define IDS_ABORT_QUERY 330
#define IDS_ABOUT_TEXT 331

// Status bar indicators (their strings give the default texts and widths)
#define ID_INDICATOR_POSITION 102
#define ID_INDICATOR_LINES 103
#define ID_INDICATOR_INFO 104

// Program commands (32777-33233)
#define ID_LIST_DRIVE_LIST 32806
#define ID_LIST_DISPLAY 32827
#define ID_SWITCH_PANE 32859
#define ID_LIST_ARCHIVE_TMP_ROOT 32916
#define ID_LIST_UPDATE_COPY 32936
#define ID_FILE_KEEP_DATE 32951
#define ID_VIEW_XLS_MODE 32953
#define ID_LIST_AUTO_PLAY 32969
#define ID_CSV_SORT_ASCENDING 33033
#define ID_CSV_HIDE_QUOTES 33035
#define ID_CSV_SORT_DESCENDING 33041
#define ID_TABLE_EDIT_MODE 33049
#define ID_LIST_UTF8_NAMES 33080

// Registry script of the COM local server
#define IDR_REGISTRY_SCRIPT 173
// Test resources (9500-9599): used only by the framework's tests.
#define IDR_TEST_POPUP 9500
#define ID_TEST_OPEN 9501
#define ID_TEST_GRAYED 9502
#define ID_TEST_CHECKED 9503
#define ID_TEST_SUB_ITEM 9504
#define ID_TEST_LAST 9505
#define IDS_TEST_JAPANESE 9510
#define IDS_TEST_QUESTION 9511
#define IDB_TEST_PATTERN 9520

// --- framework: standard command ids ----------------------------------------
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PAGE_SETUP 0xE105
#define ID_FILE_PRINT_SETUP 0xE106
#define ID_FILE_PRINT 0xE107
#define ID_FILE_PRINT_DIRECT 0xE108
#define ID_FILE_PRINT_PREVIEW 0xE109
#define ID_FILE_MRU_FILE1 0xE110
#define ID_FILE_MRU_FILE10 0xE119
#define ID_EDIT_CLEAR 0xE120
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_FIND 0xE124
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_REPEAT 0xE128
#define ID_EDIT_REPLACE 0xE129
#define ID_EDIT_SELECT_ALL 0xE12A
#define ID_EDIT_UNDO 0xE12B
#define ID_EDIT_REDO 0xE12C
#define ID_WINDOW_SPLIT 0xE135
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_INDICATOR_EXT 0xE700
#define ID_INDICATOR_CAPS 0xE701
#define ID_INDICATOR_NUM 0xE702
#define ID_INDICATOR_SCRL 0xE703
#define ID_INDICATOR_OVR 0xE704
#define ID_INDICATOR_REC 0xE705
#define ID_INDICATOR_KANA 0xE706
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801

// --- framework: message texts -----------------------------------------------
#define IDS_FW_PARSE_INT 0xF110
#define IDS_FW_PARSE_REAL 0xF111
#define IDS_FW_PARSE_INT_RANGE 0xF112
#define IDS_FW_PARSE_REAL_RANGE 0xF113
#define IDS_FW_STRING_TOO_LONG 0xF114
#define IDS_FW_ASK_TO_SAVE 0xF115
#define IDS_FW_UNTITLED 0xF116
#define IDS_FW_PARSE_UINT 0xF117

// --- test resources (used only by the framework's tests) ---------------------
#define IDD_FW_TEST 9001
#define IDC_FW_TEST_EDIT 9002
#define IDC_FW_TEST_CHECK 9003
#define IDC_FW_TEST_COMBO 9004
#define IDC_FW_TEST_LIST 9005
#define IDC_FW_TEST_NUMBER 9006
#define IDC_FW_TEST_RADIO1 9007
#define IDC_FW_TEST_RADIO2 9008
#define IDR_FW_TEST_FRAME 9010
#define ID_FW_TEST_DOC_CMD 9011
#define ID_FW_TEST_VIEW_CMD 9012
#define ID_FW_TEST_FRAME_CMD 9013
#define ID_FW_TEST_APP_CMD 9014
#define ID_FW_TEST_NOHANDLER 9015
#define ID_FW_TEST_RANGE_FIRST 9020
#define ID_FW_TEST_RANGE_LAST 9024
