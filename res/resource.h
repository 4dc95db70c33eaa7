// Resource and control identifiers, shared by the resource script and the
// dialog code.
#ifndef KESTROM_RES_RESOURCE_H
#define KESTROM_RES_RESOURCE_H

#define IDI_APPICON 101
#define IDD_MAIN 102
#define IDC_FILENAME 1001
#define IDC_SAVE 1002
#define IDC_SAVEAS 1003

#endif
