// Ids of the dialog templates in dialogs.rc and of their controls, shared by the resource
// compiler and the code. Plain #defines so that windres can read them.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

// General configuration.
#define IDD_GENERAL_CONFIG 134
#define IDC_CHECK_PROCESS 1010
#define IDC_SEARCH_PROCESS 1011
#define IDC_CHECK_PERIOD 1014
#define IDC_READ_PERIOD 1015

// Process selection.
#define IDD_PROCESS_SELECT 135
#define IDC_PROCESS_LIST 1012

// The About box. The same numbers as in resource.h (a file that includes both gets no
// redefinition warning only while they agree); the bitmap itself is in glowbridge.rc.
#define IDD_ABOUTBOX 100
#define IDB_ABOUT 139

// The definition editors. Id 3 is their "&Test..." button.
#define IDD_ANALOG_DATA 137
#define IDD_PH_FLAG 139
#define IDD_QP_FLAG 140
#define IDC_TEST 3
#define IDC_ELEMENT 1016
#define IDC_PH_NUMBER 1017
#define IDC_PH_BYTE 1018
#define IDC_MULTIPLIER 1019
#define IDC_OFFSET 1020
#define IDC_BITS 1024
#define IDC_QP_ON 1025
#define IDC_QP_OFF 1026
#define IDC_BINARY_FORMAT 1030

// The test dialogs. "&Exit" is IDCANCEL.
#define IDD_TEST_ANALOG 138
#define IDD_TEST_FLAG 141
#define IDC_FALCON_VALUE 1022
#define IDC_CONVERT 1023
#define IDC_CARD_VALUE 1024
#define IDC_SEND_VALUE 1025
#define IDC_SEND_ON 1027
#define IDC_SEND_OFF 1028

// Definition lists (QP flags, PH flags, analog values).
#define IDD_DEFINITION_LIST 136
#define IDC_DEFLIST_VIEW 1013
#define IDC_DEFLIST_GROUP 1014
#define IDC_DEFLIST_ADD 1015
#define IDC_DEFLIST_DELETE 1016
#define IDC_DEFLIST_MODIFY 1017
