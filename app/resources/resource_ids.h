// Resource and control ids, shared by the .rc files and the code. Plain
// #defines only, so that windres and rc.exe can read this file as well.
#pragma once

#define IDI_MAIN_LARGE 101
#define IDI_MAIN_SMALL 102

#define IDM_MAIN 201
#define IDM_SEARCH 202
#define IDM_EXIT 203
#define IDM_STOP 204
#define IDM_VIEW_FONT 205

#define IDC_STATUS_BAR 301
#define IDC_RESULTS_VIEW 1

#define IDD_SEARCH 401
#define IDC_BROWSE_FOLDER 402
#define IDC_FOLDER_LABEL 403
#define IDC_FOLDER_EDIT 404
#define IDC_PATTERN1_LABEL 405
#define IDC_PATTERN1_EDIT 406
#define IDC_PATTERN2_LABEL 407
#define IDC_PATTERN2_EDIT 408
#define IDC_BROWSE_RESULTS 409
#define IDC_RESULTS_LABEL 410
#define IDC_RESULTS_EDIT 411
#define IDC_RUN 412
#define IDC_CANCEL 413

// The search dialog's options row.
#define IDC_IGNORE_CASE 430
#define IDC_IGNORE_WIDTH 431
#define IDC_IGNORE_KANA 432
#define IDC_SKIP_BINARY 433
#define IDC_KEEP_GOING 434
#define IDC_PATTERN1_WILDCARD 435
#define IDC_EXCLUDED_LABEL 436
#define IDC_EXCLUDED_EDIT 437
#define IDC_SEARCH_DOCUMENTS 438
#define IDC_SEARCH_ARCHIVES 439

// Opening hits in the user's editor: the menu commands and the editor dialog.
#define IDM_EDITOR_SETTINGS 250
#define IDM_OPEN_RECORD 251
#define IDM_NEXT_RECORD 252
#define IDM_PREVIOUS_RECORD 253

// Handing results on, and Explorer's menu.
#define IDM_EXPORT_RESULTS 260
#define IDM_COPY_RECORDS 261
#define IDM_EXPLORER_MENU 262

#define IDD_EDITOR 600
#define IDC_EDITOR_LIST_LABEL 601
#define IDC_EDITOR_LIST 602
#define IDC_EDITOR_PROGRAM_LABEL 603
#define IDC_EDITOR_PROGRAM 604
#define IDC_EDITOR_BROWSE 605
#define IDC_EDITOR_ARGUMENTS_LABEL 606
#define IDC_EDITOR_ARGUMENTS 607
#define IDC_EDITOR_FIELDS_NOTE 608

// The preview pane below the results view, and its commands in 表示.
#define IDC_PREVIEW_PANE 2
#define IDM_PREVIEW 270
#define IDM_PREVIEW_LINES_1 271
#define IDM_PREVIEW_LINES_2 272
#define IDM_PREVIEW_LINES_3 273
#define IDM_PREVIEW_LINES_5 274
#define IDM_PREVIEW_LINES_10 275
