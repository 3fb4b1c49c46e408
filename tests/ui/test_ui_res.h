// Dialog templates of the dialog and control helper tests.
#pragma once

#define IDD_CONTROLS      100
#define IDD_STRETCH       101

#define IDC_PLAIN         1010
#define IDC_TABBED        1011
#define IDC_OWNERDRAW     1012
#define IDC_LINK          1013
#define IDC_LINK_EMPTY    1014
#define IDC_LINK_RECT     1015

#define IDC_ITEM          1020
#define IDC_RIGHT         1021
#define IDC_BELOW         1022
#define IDC_CORNER        1023
#define IDC_LEFT_BELOW    1024
