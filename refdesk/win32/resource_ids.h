// Identifiers shared by refdesk.rc and the window's code.
#pragma once

#define IDR_MAINMENU 100
#define IDD_ABOUT 101
#define IDI_REFDESK 102

// Menu commands, one for each action of the window.
#define IDM_FILE_EXIT1 1001
#define IDM_DISPLAY_XLS_CONV 1002
#define IDM_HELP_CONTENTS1 1003
#define IDM_ACTION1 1004
#define IDM_HELP_ABOUT1 1005

// The About box's texts.
#define IDC_ABOUT_PRODUCT 1101
#define IDC_ABOUT_VERSION 1102
#define IDC_ABOUT_RIGHTS1 1103
#define IDC_ABOUT_RIGHTS2 1104
