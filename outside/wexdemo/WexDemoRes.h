// Resources of the sample application.
#pragma once

#define IDD_LINES       200
#define IDC_LINES       201
#define IDC_LINES_LINK  202
#define IDC_LINES_TITLE 203
#define IDI_WEXDEMO     210
