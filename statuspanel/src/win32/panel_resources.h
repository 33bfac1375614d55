// Resource ids of the panel, shared by its resource script and its code.
#pragma once

#define IDD_STATUS_PANEL 102
#define IDC_PROGRESS 1000
#define IDC_STATUS_TEXT 1001
#define IDI_PANEL 128
#define IDS_STARTING 1
#define IDS_STOPPING 2
