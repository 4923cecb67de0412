// PAGE_LINK: joins the Basic and Advanced pages of a document sheet.
#pragma once

#include <windows.h>

struct CONSTRAINT_STATE;
struct DEVMODE_PAIR;
struct RESOURCE_MODULE;
class CFeatureSettings;
class CBaseDlg;
class CAdvanceDlg;

struct PAGE_LINK {
    BYTE busy;                       // set while a page is created or set from the block
    CONSTRAINT_STATE* constraints;   // owned
    CBaseDlg* basicPage;             // owned; null until the page is first shown
    CAdvanceDlg* advancedPage;       // owned; null until the page is first shown
    DEVMODE_PAIR* devmode;           // the sheet's, or null
    RESOURCE_MODULE* resources;      // the sheet context's language module
    CFeatureSettings* settings;      // the sheet's settings
};
