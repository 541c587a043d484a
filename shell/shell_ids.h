// Control and command identifiers of the login window and the main window (templates LOGIN and
// MARVITELKON, menu MARVITELKON). Shared by the resource scripts and the code.
#pragma once

// LOGIN
#define IDC_LOGIN_ICON 888
#define IDC_LOGIN_ID_LABEL 101
#define IDC_LOGIN_PASSWORD_LABEL 102
#define IDC_LOGIN_ID 103
#define IDC_LOGIN_PASSWORD 104
#define IDC_LOGIN_OK 701

// MARVITELKON: buttons and menu commands share their identifiers.
#define IDC_MAIN_ADMIN 102
#define IDC_MAIN_START 104
#define IDC_MAIN_EXIT 105
#define IDC_MAIN_LIST 106
#define IDC_MAIN_VIEW 109
#define IDM_VIEW_REPORT 121
#define IDM_VIEW_LIST 122
#define IDM_VIEW_ICON 123
