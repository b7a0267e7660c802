// Resource identifiers of the Vantrel dialog tool.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_VANTREL_DIALOG 102
#define IDD_IOMODEL 130

// Strings.
#define IDS_ABOUTBOX 101

// Icons.
#define IDR_MAINFRAME 128

// System-menu command of the About entry.
#define IDM_ABOUTBOX 0x0010

// Main dialog.
#define IDC_BROWSE 1000
#define IDC_CONFIGURE 1002
#define IDC_FILE_PATH 1009
#define IDC_PROGRESS 1016
#define IDC_CHECKSUM_MOE 1018
#define IDC_CHECKSUM_MEMORY 1019
#define IDC_IC_NAME 1024
#define IDC_UPGRADE 1027

// Programming-mode dialog.
#define IDC_SIX_WIRE 1020
#define IDC_FIVE_WIRE 1021

// Status bar (a child window created at start-up, not part of a template).
#define IDC_STATUS_BAR 102

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
