/* The language module holds resources only and is loaded as a data file;
   this entry exists because a PE image needs one. */
#include <windows.h>

BOOL WINAPI ResourceOnlyEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance; (void)reason; (void)reserved;
    return TRUE;
}
