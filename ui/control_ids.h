/* Resource and control ids, shared by the resource script and the code.
   Constants only: the resource compiler reads this file too. */
#ifndef TESSARINE_UI_CONTROL_IDS_H
#define TESSARINE_UI_CONTROL_IDS_H

/* Icons and strings */
#define IDI_SMALL_ICON 100
#define IDI_MAIN_ICON 116
#define IDS_AUTHOR 108
#define IDS_DATE 109

/* Confirmation box */
#define IDD_CONFIRM_BOX 5003
#define IDC_YES_BUTTON 1
#define IDC_NO_BUTTON 101
#define IDC_QUESTION 218
#define IDC_BYLINE 219

/* Main dialog; Ok is IDOK (1) and Escape arrives as IDCANCEL (2) */
#define IDD_MAIN_DIALOG 5006
#define IDC_LOG 101
#define IDC_PROMPT 102
#define IDC_QUIT_BUTTON 105
#define IDC_HELP_BUTTON 106
#define IDC_DRIVE_LIST 113
#define IDC_DRIVE_LABEL 117
#define IDC_STOP_BUTTON 217

/* The log's menu */
#define IDM_COPY 301
#define IDM_SELECT_ALL 302

#endif
