// The per-machine data files: folder Brixom\Bq2100_PS under the common
// application-data folder.
#pragma once

#include <windows.h>

#define CUSTOM_PAPER_FILE_NAME "bq2100PS_cp.cfg"
#define QUICK_SETTINGS_FILE_NAME "bq2100PS_qs.xml"

// path (260 bytes) receives the full path of the named data file; without a
// name, a new unique temporary file ("bq" prefix) in the common folder itself.
HRESULT BuildDataFilePath(char* path, const char* name);
// Creates every missing folder of a file path (never the file's own name).
HRESULT CreateDirectoryPath(const char* path);
