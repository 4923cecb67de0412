// Captures what the process writes to the debugger output while it lives.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace harness {

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    // Every string passed to OutputDebugStringA/W, in order, as UTF-8.
    std::vector<std::string> lines() const;
    void clear();

private:
    static LONG CALLBACK handler(EXCEPTION_POINTERS* info);
    PVOID m_handler = nullptr;
};

} // namespace harness
