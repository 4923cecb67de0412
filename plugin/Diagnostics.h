// Exported logging for code loaded in the same process: each call writes one
// line to the debugger output.
#pragma once

// "<text1>.<text2>  <text3><message>  LastErr=<n>  File:<base name>  Line:<n>"
void SetError(char* file, unsigned long line, char* text1, char* text2, char* text3, const char* format, ...);
// "<text1>.<text2>  <text3><message>"
void SetMsg(char* text1, char* text2, char* text3, const char* format, ...);
