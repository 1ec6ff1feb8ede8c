// A dialog with one control of every kind, for the control tests.
#pragma once

#define IDD_TEST_CONTROLS 900
#define IDC_SORTED_COMBO 901
#define IDC_UNSORTED_COMBO 902
#define IDC_SORTED_LIST 903
#define IDC_SORTED_VIEW 904
#define IDC_PLAIN_VIEW 905
#define IDC_DIGITS_EDIT 906
#define IDC_TEXT_EDIT 907
#define IDC_CHECK 908
#define IDC_NUMBER_EDIT 909
