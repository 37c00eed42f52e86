// Resource ids of Tabrye.exe: one header for the .rc and the code.
#pragma once

#define IDR_MAINFRAME 328

// String table
#define IDS_ABORT_QUERY 330

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
