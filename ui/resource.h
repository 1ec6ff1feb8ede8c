/* Resource and command numbers of the program, shared by glowbridge.rc (read by windres's C
   preprocessor) and the code. Plain C defines only. */
#ifndef GLOWBRIDGE_UI_RESOURCE_H
#define GLOWBRIDGE_UI_RESOURCE_H

/* Application icon, title string and the main frame's resource set. */
#define IDR_MAINFRAME 128

/* Tray icons: card open and idle, transfer running, card not open. */
#define IDI_TRAY_IDLE 129
#define IDI_TRAY_TRANSFER 130
#define IDI_TRAY_NOCARD 131

/* The tray's pop-up menu. Also the tray icon's id: a notification loads the menu by that id. */
#define IDR_TRAYMENU 130

#define IDD_ABOUTBOX 100
#define IDB_ABOUT 139

/* Menu commands. */
#define ID_TRANSFER_START 32772
#define ID_TRANSFER_STOP 32773
#define ID_CONFIG_GENERAL 32774
#define ID_CONFIG_QPFLAGS 32775
#define ID_CONFIG_PHFLAGS 32776
#define ID_CONFIG_ANALOG 32777
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_FINDER 57667

/* The tray's callback message: WM_USER + 10, written out so that no system header is needed. */
#define WM_TRAYNOTIFY 1034

#endif
