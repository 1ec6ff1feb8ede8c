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
