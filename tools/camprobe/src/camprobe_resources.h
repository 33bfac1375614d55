// Resource identifiers of CamProbe.exe.
#pragma once

#define IDS_CAMPROBE_TITLE 103
#define IDI_CAMPROBE 107
#define IDI_CAMPROBE_SMALL 108
#define IDS_CAMPROBE_CLASS 109
#define IDC_CAMPROBE 109
#define IDM_CAMPROBE_EXIT 105
