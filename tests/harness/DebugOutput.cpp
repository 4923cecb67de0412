#include "DebugOutput.h"

#include <mutex>

namespace harness {

namespace {

// The system reports debugger output by raising these exceptions.
constexpr DWORD kDbgPrint = 0x40010006;      // 8-bit text
constexpr DWORD kDbgPrintWide = 0x4001000A;  // UTF-16 text

std::mutex g_lock;
std::vector<std::string> g_lines;

std::string ToUtf8(const wchar_t* text, size_t length)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, (int)length, nullptr, 0, nullptr, nullptr);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, (int)length, &out[0], n, nullptr, nullptr);
    return out;
}

} // namespace

LONG CALLBACK DebugOutputCapture::handler(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* rec = info->ExceptionRecord;
    if ((rec->ExceptionCode != kDbgPrint && rec->ExceptionCode != kDbgPrintWide) || rec->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    size_t length = (size_t)rec->ExceptionInformation[0];
    std::string text;
    if (rec->ExceptionCode == kDbgPrint) {
        const char* p = reinterpret_cast<const char*>(rec->ExceptionInformation[1]);
        text.assign(p, length ? length - 1 : 0);
    } else {
        const wchar_t* p = reinterpret_cast<const wchar_t*>(rec->ExceptionInformation[1]);
        text = ToUtf8(p, length ? length - 1 : 0);
    }
    std::lock_guard<std::mutex> hold(g_lock);
    g_lines.push_back(text);
    return EXCEPTION_CONTINUE_EXECUTION;
}

DebugOutputCapture::DebugOutputCapture()
{
    clear();
    m_handler = AddVectoredExceptionHandler(1, &handler);
}

DebugOutputCapture::~DebugOutputCapture()
{
    if (m_handler)
        RemoveVectoredExceptionHandler(m_handler);
}

std::vector<std::string> DebugOutputCapture::lines() const
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_lines;
}

void DebugOutputCapture::clear()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_lines.clear();
}

} // namespace harness
