// Resource identifiers of the stub, shared by zubrex.rc and the C++ code that loads them.
// Plain #defines: windres reads this file too.
#pragma once

// Dialog templates.
#define IDD_SPLASH 101    // splash: picture, title, notice; plain DIALOG
#define IDD_STATUS 102    // status: picture, status text, OK; DIALOGEX
#define IDD_PROGRESS 103  // progress: caption line and bar; plain DIALOG

// Bitmaps: uncompressed, 8 bits per pixel, full 256-entry colour table.
#define IDB_SPLASH 105  // 181 x 103 pixels
#define IDB_STATUS 106  // 132 x 75 pixels

// Icon group with a 32 x 32 and a 16 x 16 image, 16 colours. It is numbered, not named: load it
// with LoadIconA(instance, MAKEINTRESOURCEA(IDI_ICON1)).
#define IDI_ICON1 112

// Controls.
#define IDC_PROGRESS 1000       // progress bar, class "msctls_progress32"
#define IDC_PROGRESS_TEXT 1001  // caption line above the bar
#define IDC_TITLE 1002          // splash title
#define IDC_NOTICE 1003         // splash one-line notice
#define IDC_STATUS_TEXT 1004    // status line
#define IDC_OK 1005             // status window's OK button, disabled until the end

// The program's name as every window shows it: the caption of the question box and the progress
// window, the splash's title; the status window and the error box add one word. Adjacent string
// literals join in C++ and in windres alike.
#define ZB_APP_TITLE "Zubrex Self-Extracting Archive"
#define ZB_STATUS_CAPTION ZB_APP_TITLE " Status"
#define ZB_ERROR_CAPTION ZB_APP_TITLE " Error"

// String table entries used outside the result codes (those are in common/result_table.h).
#define IDS_INSTALL_QUESTION 1  // format with the product name: the Yes/No question
#define IDS_APP_TITLE 2         // caption of the question box
#define IDS_FINISHED 3          // final status text
#define IDS_ALREADY_RUNNING 4   // shown in place of the question while another run holds the lock
#define IDS_EXTRACTING 5        // format with the product name: the progress caption line
