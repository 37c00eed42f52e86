// Resource ids of Tabrye.exe: one header for the .rc and the code.
#pragma once

// The framework's standard command ids and texts.
#include "fw/fwres.h"

#define IDR_MAINFRAME 328

// String table
#define IDS_ABORT_QUERY 330
#define IDS_ABOUT_TEXT 331

// Status bar indicators (their strings give the default texts and widths)
#define ID_INDICATOR_POSITION 102
#define ID_INDICATOR_LINES 103
#define ID_INDICATOR_INFO 104

// Program commands (32777-33233). Every command id has its row in
// src/cmd/commands.def, which is checked against these values.
#define ID_LIST_BACK 32789
#define ID_LIST_SORT_SIZE 32792
#define ID_LIST_SORT_DATE 32794
#define ID_LIST_SORT_NAME 32796
#define ID_LIST_SORT_EXT 32798
#define ID_DRIVE_C 32801
#define ID_DRIVE_A 32802
#define ID_DRIVE_D 32803
#define ID_DRIVE_E 32804
#define ID_DRIVE_F 32805
#define ID_LIST_DRIVE_LIST 32806
#define ID_LIST_EXECUTE 32808
#define ID_LIST_BINARY_VIEW 32818
#define ID_LIST_DISPLAY 32827
#define ID_LIST_SELECT_ALL 32829
#define ID_SWITCH_PANE 32859
#define ID_LIST_FORWARD 32883
#define ID_LIST_ARCHIVE_TMP_ROOT 32916
#define ID_DRIVE_H 32917
#define ID_LIST_UPDATE_COPY 32936
#define ID_DRIVE_G 32950
#define ID_FILE_KEEP_DATE 32951
#define ID_VIEW_XLS_MODE 32953
#define ID_LIST_AUTO_PLAY 32969
#define ID_VIEW_PDF_NARROW 33029
#define ID_VIEW_PDF_WIDEN 33030
#define ID_PAGE_NEXT 33032
#define ID_CSV_SORT_ASCENDING 33033
#define ID_PAGE_PREVIOUS 33034
#define ID_CSV_HIDE_QUOTES 33035
#define ID_CSV_SORT_DESCENDING 33041
#define ID_CSV_ROW_COLUMN_SELECT 33044
#define ID_CSV_ADD_MISSING_COLUMNS 33045
#define ID_CSV_LINK_JOIN 33046
#define ID_CSV_CONCAT_VERTICAL 33047
#define ID_TABLE_EDIT_MODE 33049
#define ID_LIST_UTF8_NAMES 33080
#define ID_CSV_TRANSPOSE 33123
// The CSV menu's column and row commands, conversions, and the Edit menu's
// full-width digit conversion
#define ID_CSV_DELETE_COLUMN 33036
#define ID_CSV_INSERT_COLUMN 33037
#define ID_CSV_DELETE_ROW 33050
#define ID_CSV_INSERT_ROW 33051
#define ID_CSV_CONVERT 33065
#define ID_CSV_CUT_TRAILING 33068
#define ID_CSV_CUT_LEADING 33069
#define ID_EDIT_DIGITS_TO_HALF 33070
#define ID_CSV_CUT_QUOTES 33071
#define ID_CSV_ADD_QUOTES 33072
#define ID_CSV_FORMAT_COPY 33073
// Find commands of the text view (res/find.rc)
#define ID_FIND_REPLACE 32966
#define ID_FIND 33052
#define ID_FIND_NEXT 33105
#define ID_FIND_DIALOG 33106
// Own commands above the numbered range
#define ID_FILE_ENCODING_CHOICE 33234
// Text view: the right-click menu's own commands
#define ID_TEXT_COPY 390
#define ID_TEXT_CUT 391
#define ID_TEXT_PASTE 392
#define ID_TEXT_OVERWRITE 393
#define ID_PRINT_ORIGIN 33122
#define ID_BLOCK_EDIT 32886
#define ID_BLOCK_TOP_LEFT 33199
#define ID_BLOCK_BOTTOM_RIGHT 33200
#define ID_REGION_TOP_LEFT 32973
#define ID_REGION_BOTTOM_RIGHT 32974
#define ID_REGION_CLEAR 32990
#define ID_REGION_PASTE 32977
#define ID_REGION_UNDO 32996
#define ID_REGION_COPY 32976
#define ID_REGION_CUT 32978
#define ID_REGION_CROP 32995
#define ID_REGION_INSERT_FILE 32994
#define ID_REGION_SAVE_FILE 32991
#define ID_REGION_PRINT 32975
#define ID_IMAGE_SAVE_AS 32998
#define ID_IMAGE_BACK_COLOR 32997
// CSV section of the right-click menu
#define ID_CSV_FIND_COLUMN 33104
#define ID_CSV_NARROW_SELECT 33097
#define ID_CSV_NARROW_DELETE 33103
#define ID_CSV_SELECT_CHECK 33152
#define ID_CSV_UNDO_SELECT 33099
#define ID_CSV_COLUMN_SUM 33107
#define ID_CSV_CROSS_TAB 33108
#define ID_CSV_CHECKED_SUM 33120
#define ID_CSV_CHECK_TO_MARK 33119
#define ID_CSV_MARK_TO_CHECK 33148
#define ID_CSV_CLEAR_CHECKS 33149
#define ID_CSV_QUOTE_CUT 33111
#define ID_CSV_QUOTE_ADD 33110
#define ID_CSV_THOUSANDS 33109
#define ID_CSV_ALIGN_RIGHT 33195
#define ID_CSV_ALIGN_LEFT 33196
#define ID_CSV_ALIGN_CENTER 33197
#define ID_CSV_TRIM_TRAILING 33113
#define ID_CSV_TITLE_FIX 33207
#define ID_CSV_TITLE_AUTO 33208
#define ID_CSV_SHOW_TITLE 33098
// Macro debugging
#define ID_MACRO_DEBUG 33043
#define ID_MACRO_RESUME 33095
#define ID_MACRO_BREAKPOINT 33151
// Macro section of the right-click menu, key macros
#define ID_MACRO_HELP_EDIT 33100
#define ID_MACRO_HELP_FILE 33101
#define ID_MACRO_HELP_VARS 33102
#define ID_MACRO_HELP_COLUMNS 33157
#define ID_MACRO_INSERT_DIALOG 33155
#define ID_MACRO_INSERT_GRAPH 33228
#define ID_KEY_MACRO_PLAY 32903
#define ID_KEY_MACRO_RECORD 32904
// Ruled-table right-click menu
#define ID_TBL_RIGHT_RULE 33067
#define ID_TBL_CELL_TOP_RULE 33066
#define ID_TBL_BOTTOM_RULE 33169
#define ID_TBL_TOP_RULE 33170
#define ID_TBL_LEFT_RULE 33171
#define ID_TBL_UNDO 33172
#define ID_TBL_END 33173
#define ID_TBL_CELL_BOTTOM_RULE 33174
#define ID_TBL_CELL_LEFT_RULE 33175
#define ID_TBL_CELL_RIGHT_RULE 33176
#define ID_TBL_NEW 33178
#define ID_TBL_CONVERT 33179
#define ID_TBL_ADD_COLUMN 33180
#define ID_TBL_DEL_COLUMN 33181
#define ID_TBL_ADD_ROW 33182
#define ID_TBL_DEL_ROW 33183
// Text view: display commands
#define ID_VIEW_ZOOM_IN 32777
#define ID_VIEW_ZOOM_OUT 32778
#define ID_VIEW_STYLE 32784
#define ID_VIEW_STYLE2 32989
#define ID_IMAGE_FLIP 32988
#define ID_VIEW_SPLIT_PANE 33240
#define ID_VIEW_WRAP 33241
#define ID_VIEW_FONT 33242
#define ID_VIEW_BACK_COLOR 33243

// Registry script of the COM local server
#define IDR_REGISTRY_SCRIPT 173
// Document services texts (res/strings.rc)
#define IDS_LIST_HDR_NAME           105
#define IDS_LIST_HDR_SIZE           106
#define IDS_LIST_HDR_DATE           107
#define IDS_LIST_HDR_NAME_DOWN      108
#define IDS_LIST_HDR_NAME_UP        109
#define IDS_LIST_HDR_SIZE_UP        110
#define IDS_LIST_HDR_SIZE_DOWN      111
#define IDS_EFFECT_BOLD             117
#define IDS_EFFECT_UNDERLINE        118
#define IDS_EFFECT_ITALIC           119
#define IDS_EFFECT_STRIKE           120
#define IDS_EFFECT_BOLD_UNDERLINE   121
#define IDS_EFFECT_BOLD_ITALIC      122
#define IDS_EFFECT_PLAIN            123
#define IDS_DRIVE_OPEN_FAILED       143
#define IDS_READING_INFO            144
#define IDS_FOLDER_OPEN_FAILED      145
#define IDS_ENCRYPTED_DATA          147
#define IDS_SAVE_CHANGED_TEXT       149
#define IDS_VIEW_LIMIT_OVER         150
#define IDS_OUT_OF_MEMORY           152
#define IDS_DRIVE_HDR_DRIVE         153
#define IDS_DRIVE_HDR_KIND          154
#define IDS_DRIVE_HDR_FREE          155
#define IDS_DRIVE_HDR_TOTAL         156
#define IDS_RENAME_FAILED           157
#define IDS_FTP_NO_EXTRACT          158
#define IDS_FTP_NOT_POSSIBLE        159
#define IDS_LZH_PACK_ERROR          160
#define IDS_ZIP_PACK_ERROR          161
#define IDS_CANNOT_CREATE           162
#define IDS_NEW_FILE                163
#define IDS_DELETE_MARKED_QUERY     164
#define IDS_DELETE_FILE_TITLE       165
#define IDS_DELETE_ONE_QUERY        166
#define IDS_DELETE_FOLDER_ALL_QUERY 167
#define IDS_DELETE_FOLDER_TITLE     168
#define IDS_SOME_NOT_DELETED        169
#define IDS_CANNOT_DELETE           170
#define IDS_CANNOT_COPY_MOVE_TO     171
#define IDS_COPY_FOLDER_TITLE       172
#define IDS_MOVE_FOLDER_TITLE       174
#define IDS_OVERWRITE_ALL_QUERY     175
#define IDS_COPY_FILE_TITLE         176
#define IDS_REWRITE_QUERY           177
#define IDS_COPY_SPACE_OVER         178
#define IDS_WRITE_PROTECTED         179
#define IDS_MOVE_FILE_TITLE         180
#define IDS_REPLACE_WITH_OLDER      181
#define IDS_CANNOT_DELETE_SOURCE    183
#define IDS_TRANSFERRING            184
#define IDS_COPY_MARKED_QUERY       185
#define IDS_COPY_ONE_INFO           186
#define IDS_EMPTY_FOLDER            188
#define IDS_DELETE_FOLDER_QUERY     189
#define IDS_DELETE_ALL_FILES_QUERY  190
#define IDS_LINE_AND_SPACING        191
#define IDS_LINES_AND_CHARS         192
#define IDS_FOUND_IN                193
#define IDS_CONTINUE_SEARCH_QUERY   194
#define IDS_SEARCH_ALL_FILES        195
#define IDS_SEARCH_STOPPED          196
#define IDS_FTP_NO_MOVE             197
#define IDS_MOVE_MARKED_QUERY       198
#define IDS_MOVE_ONE_INFO           199
#define IDS_LIST_HDR_EXT_DOWN       200
#define IDS_LIST_HDR_EXT_UP         201
#define IDS_ASSOCIATION             203
#define IDS_START_IN_CURRENT_QUERY  205
#define IDS_START_FOLDER_TITLE      206
#define IDS_START_IN_LAST_QUERY     207
#define IDS_NEED_UNLHA_EXTRACT      208
#define IDS_UNSUPPORTED_FORMAT      210
#define IDS_NEW_FOLDER              213
#define IDS_NO_KEY_CODE             216
#define IDS_FTP_TRANSFERRING        217
#define IDS_OVERWRITE_QUERY         218
#define IDS_CANNOT_OPEN_FILE        237
#define IDS_FILE_SIZE_OVER          238
#define IDS_REST_OMITTED            239
#define IDS_UNSUPPORTED_OFFICE      240
#define IDS_RUN_WITH_APPLICATION    241
#define IDS_ONLY_CHARTS             242
#define IDS_TABLE_ITEMS_OVER        243
#define IDS_BOX_EMPTY               250
#define IDS_BOX_FILLED              251
#define IDS_PDF_LIMITED             267
#define IDS_COPIED_TO_CLIPBOARD     268
#define IDS_READONLY_MAKE_WRITABLE  329
#define IDS_PICTURE_TOO_LARGE       332
#define IDS_NO_PLUGIN               333
#define IDS_OBJECT_FORMAT_DIFFERS   334
#define IDS_PARTIAL_TEXT_QUERY      335
#define IDS_NEW_FILE_NAME           336
#define IDS_NEW_FOLDER_NAME         337
#define IDS_CANNOT_PACK_DIRECTLY    338
#define IDS_UPDATE_COPY_DONE        341
#define IDS_HELP_EDIT_COMMANDS      343
#define IDS_HELP_COLUMN_CODES       344
#define IDS_MENU_RUN_FILE           345
#define IDS_MENU_RENAME_ATTR        346
#define IDS_TOO_MANY_REPLACEMENTS   347
#define IDS_TOTAL_HEADER            349
#define IDS_DRIVE_LIST_HEADER       350
#define IDS_EXTERNAL_MEMORY_ERROR   351
#define IDS_EXTERNAL_DATA_ERROR     352
#define IDS_DELETE_ORIGINAL_QUERY   353
#define IDS_NEED_UNLHA              357
#define IDS_FOLDER_MARK             358
#define IDS_FOLDER_MARK_UP          359
#define IDS_FOLDER_MARK_DOWN        360
#define IDS_MENU_CUT                361
#define IDS_MENU_COPY               362
#define IDS_MENU_PASTE              363
#define IDS_MENU_PRINT_ORIGIN       364
#define IDS_MENU_FIND               365
#define IDS_MENU_FIND_REPLACE       366
#define IDS_HELP_VARIABLES          367
#define IDS_SEARCH_END_NOT_FOUND    368
#define IDS_SEARCH_TOP_NOT_FOUND    369
#define IDS_PICTURES_MISMATCH       372
#define IDS_MENU_FILTER1            374
#define IDS_MENU_FILTER_OFF         375
#define IDS_MENU_FILTER2            376
#define IDS_MENU_ROTATE_RIGHT       377
#define IDS_MENU_ROTATE_LEFT        378
#define IDS_MENU_FILTER3            379
#define IDS_DLG_TOO_MANY_ITEMS      381
#define IDS_DLG_OPT_BUTTON          382
#define IDS_DLG_OPT_TEXT            383
#define IDS_DLG_OPT_LIST            384
#define IDS_DLG_OPT_PUSH            385
#define IDS_DLG_OPT_DATE            386
#define IDS_DLG_OPT_EDIT            387
#define IDS_DLG_OPT_MEMO            388
#define IDS_CONDITION_HELP          389
#define IDS_MENU_BLOCK_EDIT         394
#define IDS_HELP_FILE_COMMANDS      395
#define IDS_DLG_OPT_PROGRESS        396
#define IDS_DLG_OPT_SLIDER          397
#define IDS_DLG_OPT_TAB             399
#define IDS_DLG_OPT_SPIN            402
#define IDS_MENU_COMPARE            403
#define IDS_COMPARE_LEGEND          404
#define IDS_COLUMN_WIDTH_MODES      405
#define IDS_CANNOT_SAVE_AS_FORM     406
#define IDS_TBL_NEW                 33055
#define IDS_TBL_CONVERT             33056
#define IDS_TBL_ADD_COLUMN          33057
#define IDS_TBL_DEL_COLUMN          33058
#define IDS_TBL_ADD_ROW             33059
#define IDS_TBL_DEL_ROW             33060
#define IDS_TBL_TOP_RULE            33061
#define IDS_TBL_LEFT_RULE           33062
#define IDS_TBL_RIGHT_RULE          33063
#define IDS_DLG_EDIT_TITLE          33145
#define IDS_DLG_EDIT_OPTIONS        33146
#define IDS_DLG_FRAME_SIZE          33153
#define IDS_DLG_DATA_LINK           33154
#define IDS_CSV_FROM_HTML           33232
// The compressed and enciphered source forms (app/dvkdoc_sourceform.cpp).
#define IDS_SOURCE_WRONG_KEY        900
#define IDS_SOURCE_NOT_ONE_MEMBER   901
#define IDS_SOURCE_REFUSED          902
#define IDS_SOURCE_WRITE_FAILED     903

// --- document services: dialogs and the settings command (res/dialogs.rc) ---
// The settings command of the settings menu (limits, fonts, colours).
#define ID_SETTINGS_LIMITS          32922
// Generic one-line input (CInputDlg).
#define IDD_INPUT                   135
#define IDC_INPUT_TEXT              1010
#define IDC_INPUT_PROMPT            1086
// Designed resources of the document services (9600-9649).
#define IDD_SETTINGS                9600
#define IDD_SCHEDULE_MESSAGE        9601
#define IDC_SET_INDATA              9610
#define IDC_SET_OUTDATA             9611
#define IDC_SET_NTBL                9612
#define IDC_SET_BMPFILE             9613
#define IDC_SET_NCHAR               9614
#define IDC_SET_PROFNT              9615
#define IDC_SET_TBLFNT              9616
#define IDC_SET_BTITLE              9617
#define IDC_SET_BTITLE_SIZE         9618
#define IDC_SET_STITLE              9619
#define IDC_SET_STITLE_SIZE         9620
#define IDC_SET_COLOR_LIST          9621
#define IDC_SET_COLOR_PICK          9622
#define IDC_SET_COLOR_VALUE         9623
#define IDC_SCHEDULE_TEXT           9630
// Designed texts of the document services.
#define IDS_SETTINGS_SAVE_FAILED    9640
#define IDS_SOUND_MISSING           9641
#define IDS_SOUND_FAILED            9642
#define IDS_CLOCK_FAILED            9643
#define IDS_CLOCK_SET               9644
#define IDS_SCHEDULE_TITLE          9645
#define IDS_NAME_TOO_LONG           9646
#define IDS_BACKUP_FAILED           9647
#define IDS_SPLIT_FAILED            9648
#define IDS_ADDRESS_HINT            9649
#define IDS_SETTINGS_RANGE          9639
// Standard document commands: the file dialogs' choices and the drop refusal.
#define IDS_OPEN_FILTER             9650
#define IDS_SAVE_FILTER             9651
// The find dialog of the text view (res/find.rc)
#define IDD_FIND 166
#define IDC_FIND_TEXT 1102
#define IDC_FIND_REPLACE_TEXT 1037
#define IDC_FIND_REQUEST 1038
#define IDC_FIND_DOWN 1088
#define IDC_FIND_UP 1100
#define IDC_FIND_WHOLE_WORD 1105
#define IDC_FIND_MATCH_CASE 1106
#define IDC_FIND_REPLACE_ONE 1107
#define IDC_FIND_REPLACE_ALL 1108
#define IDC_FIND_REPLACE_LABEL 1109
#define IDS_FIND_TITLE 33290
#define IDS_FIND_REPLACE_TITLE 33291
#define IDS_FIND_COLUMN_TITLE 33292
#define IDS_FIND_REPLACE_TOTAL 33293
// The CSV selection dialogs (res/csvsel.rc)
#define IDD_NARROW_SELECT 1149
#define IDC_NARROW_REMEMBER 1042
#define IDC_NARROW_CLEAR 1171
#define IDC_NARROW_COND 1091
#define IDC_NARROW_SORT_COUNT 1170
#define IDC_NARROW_WIDER 1166
#define IDC_NARROW_NARROWER 1167
#define IDC_NARROW_SORT_DOWN 1165
#define IDC_NARROW_SORT_UP 1164
#define IDC_NARROW_LIST 1162
#define IDC_NARROW_HELP 1163
#define IDC_NARROW_WIDTH 1168
#define IDC_NARROW_COUNT 1169
#define IDC_NARROW_LAST 1036
#define IDD_SELECT_COND 187
#define IDD_SELECT_COND_EX 188
// The macro's input box and variable display (res/dialogs.rc); the input
// box's two edit fields are made at run time.
#define IDD_MACRO_INPUT 180
#define IDC_MACRO_INPUT_TEXT 1180
#define IDC_MACRO_INPUT_PROMPT 1181
#define IDD_VARIABLE_VIEW 192
#define IDC_VARVIEW_LINE 1141
#define IDC_VARVIEW_TEXT 1142
// The macro's processing dialog (res/dialogs.rc).
#define IDD_PROGRESS 200
#define IDC_PROGRESS_BAR 1172
#define IDC_PROGRESS_MESSAGE 1173
#define IDC_PROGRESS_SHORT 1176
#define IDC_PROGRESS_SECOND 1177

// The row and column order dialog (res/dialogs.rc)
#define IDD_CSV_ROWCOL_SELECT 179
#define IDC_ROWCOL_COLUMNS 1091
#define IDC_ROWCOL_ROWS 1094
#define IDC_ROWCOL_TITLES 1162
#define IDC_ROWCOL_RANGE 1049
#define IDC_ROWCOL_REST 1050
#define IDC_ROWCOL_DELETE 1055
#define IDC_ROWCOL_UNDO 1051
#define IDC_ROWCOL_SORT_COLUMNS_UP 1058
#define IDC_ROWCOL_SORT_COLUMNS_DOWN 1059
#define IDC_ROWCOL_SEARCH 1060
#define IDC_ROWCOL_REVERSE 1056
#define IDC_ROWCOL_SWAP 1057
#define IDC_ROWCOL_LIST_NUMBER 1054
#define IDC_ROWCOL_LIST_UP 1052
#define IDC_ROWCOL_LIST_DOWN 1053
#define IDC_ROWCOL_COPY_VERTICAL 1042
#define IDC_ROWCOL_COPY_HORIZONTAL 1043

// The macro's choice dialog (res/dialogs.rc): five numbered buttons beside
// their texts, the message and the hidden answer.
#define IDD_CHOICE 189
#define IDC_CHOICE_BUTTON1 1042
#define IDC_CHOICE_BUTTON2 1043
#define IDC_CHOICE_BUTTON3 1049
#define IDC_CHOICE_BUTTON4 1015
#define IDC_CHOICE_BUTTON5 1016
#define IDC_CHOICE_TEXT1 1036
#define IDC_CHOICE_TEXT2 1089
#define IDC_CHOICE_TEXT3 1090
#define IDC_CHOICE_TEXT4 1047
#define IDC_CHOICE_TEXT5 1050
#define IDC_CHOICE_ANSWER 1048
#define IDC_CHOICE_MESSAGE 1051

// Launching files with their programs (res/strings.rc).
#define IDS_LAUNCH_FAILED              960
#define IDS_LAUNCH_NO_FILE             961
#define IDS_LAUNCH_NO_ASSOCIATION      962
#define IDS_LAUNCH_PATH_NOT_FOUND      963
#define IDS_LAUNCH_ACCESS_DENIED       964
#define IDS_LAUNCH_BAD_FORMAT          965
#define IDS_LAUNCH_NO_RESOURCES        966
#define IDS_LAUNCH_CANCELLED           967
#define IDS_LAUNCH_OTHER               968

// The file list's delete, rename, new file and new folder, and exit and run
#define ID_LIST_RENAME 32811
#define ID_LIST_NEW_FILE 32813
#define ID_LIST_NEW_FOLDER 32814
#define ID_LIST_DELETE 32815
#define ID_FILE_EXIT_RUN 32780

// Deleting a file whose backup copy could not be made (res/strings.rc).
#define IDS_DELETE_WITHOUT_BACKUP      9690
// The rename dialog of the file list (res/dialogs.rc): name, the four
// attribute boxes, the date and time fields and "keep the attributes".
#define IDD_RENAME 133
#define IDC_RENAME_NAME 1003
#define IDC_RENAME_READONLY 1004
#define IDC_RENAME_ARCHIVE 1005
#define IDC_RENAME_HIDDEN 1006
#define IDC_RENAME_SYSTEM 1007
#define IDC_RENAME_MONTH 1009
#define IDC_RENAME_DAY 1010
#define IDC_RENAME_YEAR 1011
#define IDC_RENAME_HOUR 1012
#define IDC_RENAME_MINUTE 1013
#define IDC_RENAME_SECOND 1014
#define IDC_RENAME_KEEP 1037
