// Identifiers of the test program's dialog templates, shared by the resource script and the tests.
#pragma once

#define IDD_DDX 300
#define IDC_EDIT 1001
