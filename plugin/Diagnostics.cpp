#include "plugin/Diagnostics.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

constexpr size_t kLineBuffer = 1024;

// Formats the caller's message and keeps only its first line.
void FormatMessageLine(char (&out)[kLineBuffer], const char* format, va_list args)
{
    vsnprintf(out, sizeof out, format, args);
    out[sizeof out - 1] = 0;
    if (char* newline = strchr(out, '\n'))
        *newline = 0;
}

const char* BaseName(const char* path)
{
    if (!path)
        return "";
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

} // namespace

void SetError(char* file, unsigned long line, char* text1, char* text2, char* text3, const char* format, ...)
{
    // Read first: formatting may change the thread's last error.
    DWORD lastError = GetLastError();
    if (!text1 || !text2 || !text3 || !format)
        return;
    char message[kLineBuffer];
    va_list args;
    va_start(args, format);
    FormatMessageLine(message, format, args);
    va_end(args);
    char out[kLineBuffer];
    snprintf(out, sizeof out, "%s.%s  %s%s  LastErr=%d  File:%s  Line:%d\n", text1, text2, text3, message,
             (int)lastError, BaseName(file), (int)line);
    OutputDebugStringA(out);
}

void SetMsg(char* text1, char* text2, char* text3, const char* format, ...)
{
    if (!text1 || !text2 || !text3 || !format)
        return;
    char message[kLineBuffer];
    va_list args;
    va_start(args, format);
    FormatMessageLine(message, format, args);
    va_end(args);
    char out[kLineBuffer];
    snprintf(out, sizeof out, "%s.%s  %s%s\n", text1, text2, text3, message);
    OutputDebugStringA(out);
}
