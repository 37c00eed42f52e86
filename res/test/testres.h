// Resource ids of the test resources (res/test/test.rc), linked only into the
// test programs.
#pragma once

// Menus, texts and a bitmap of the framework's UI tests (9500-9599).
#define IDR_TEST_POPUP 9500
#define ID_TEST_OPEN 9501
#define ID_TEST_GRAYED 9502
#define ID_TEST_CHECKED 9503
#define ID_TEST_SUB_ITEM 9504
#define ID_TEST_LAST 9505
#define IDS_TEST_JAPANESE 9510
#define IDS_TEST_QUESTION 9511
#define IDB_TEST_PATTERN 9520

// Dialog, frame and commands of the framework's window tests (9001-9024).
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
