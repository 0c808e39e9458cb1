// Resource and command identifiers shared by the resource script and the windows.
#pragma once

// Icons: the program icon has the lowest number, so the shell shows it for the .exe.
#define IDI_ZORVANE 1
#define IDI_TREND_CLOUD 101
#define IDI_TREND_ARROW 102
#define IDI_TREND_SUN 103

// Controls of the main window.
#define IDC_COMMAND1 1001
#define IDC_COMMAND2 1002
#define IDC_COMMAND3 1003
#define IDC_LABEL1 1004
#define IDC_PBAR 1005
#define IDC_LISTVIEW1 1006
#define IDC_LIST1 1007
#define IDC_LIST2 1008
#define IDC_FILE1 1009
#define IDC_DIR1 1010
#define IDC_COMBO1 1011

// Menu commands of the main window: this number and up, one per entry of the layout
// table (MainWindow::MenuCommandId).
#define IDM_FIRST_MENU_COMMAND 2001

// Controls of the About box (cmdOK is IDOK, so Enter and Esc reach it).
#define IDC_PIC_ICON 3001
#define IDC_CMD_SYSINFO 3002
#define IDC_LBL_DESCRIPTION 3003
#define IDC_LBL_DISCLAIMER 3004
#define IDC_LBL_TITLE 3005
#define IDC_LBL_VERSION 3006
