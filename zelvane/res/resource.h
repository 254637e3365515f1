// Resource numbers of the front-end, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_ZELVANE_DIALOG 102
#define IDB_PICTURE256 129
#define IDB_PICTURE16 130
#define IDC_HOTSPOT_CURSOR 143

#define IDC_PICTURE 1000
#define IDC_SHOW_NEXT_TIME 1002

#define IDM_ABOUTBOX 0x0010

#define ID_SETUP 0x8004
#define ID_INFORMATION 0x8005
#define ID_TOUR 0x8007
#define ID_SDK_SETUP 0x8008
#define ID_WINCIM_SETUP 0x8009
