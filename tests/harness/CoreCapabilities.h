// The core driver's own DeviceCapabilities paper answers over the double's
// "PageSize" options, and a spooler that routes the plug-in's
// DeviceCapabilitiesW (g_seams) back into a plug-in object as the driver does:
// the core driver computes its answer into the output first, then lets the
// plug-in change it.
//
//   harness::SpoolerRoute route(plugin, *core, printer.handle());
//   route.papers.push_back({L"Statement", 6, {1397, 2159}});  // a form of the system
//   ... code that calls g_seams.DeviceCapabilitiesW ...
//   EXPECT_EQ(2u, route.calls().size());
#pragma once

#include "CoreDriver.h"
#include "oem/PrintOemUI.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace harness {

struct CorePaper {
    std::wstring name; // as the driver shows it, such as "A4 (210 x 297 mm)"
    WORD number = 0;   // its DC_PAPERS number
    POINT size{};      // tenths of a millimetre
};

// One paper per "PageSize" option but the last (the custom size), in option
// order: the option's name with its size in parentheses (millimetres, or
// inches for an inch paper), numbered as the system numbers those papers
// (Letter 1, A4 9, ...; 300 + the option index for others).
std::vector<CorePaper> corePapers(CoreDriver& core);

// The core driver's answer to a paper capability: its count, and with an
// output, its entries (names of 64 characters, WORD numbers, POINT sizes).
int coreAnswer(const std::vector<CorePaper>& papers, WORD capability, void* output);
// The size of one entry of a paper capability's output; 0 for others.
size_t entryBytes(WORD capability);

class SpoolerRoute {
public:
    // Becomes g_seams.DeviceCapabilitiesW until destroyed, which puts the
    // previous entry back (one route at a time).
    SpoolerRoute(IPrintOemUI2* plugin, CoreDriver& core, HANDLE printer);
    ~SpoolerRoute();
    SpoolerRoute(const SpoolerRoute&) = delete;
    SpoolerRoute& operator=(const SpoolerRoute&) = delete;

    struct Call {
        std::wstring device, port;
        WORD capability = 0;
        bool output = false;
        bool devmode = false;
        DWORD thread = 0;
        SIZE_T outputBytes = 0; // when the output is a block of the process heap
        bool refused = false;   // that block was too small for the answer
        int answer = 0;
    };
    std::vector<Call> calls() const;

    // The core driver's papers; set before the plug-in asks.
    std::vector<CorePaper> papers;
    // Non-zero: the spooler answers this at once, as for a failure (-1). An
    // output block of the process heap too small for the answer (as the
    // query without output gives it) is refused with -1 too.
    int failWith = 0;
    // Called as each query arrives, before anything is answered (what changes
    // between an application's two calls goes here).
    std::function<void(WORD capability, bool output)> onQuery;

private:
    static int WINAPI route(LPCWSTR device, LPCWSTR port, WORD capability, LPWSTR output, const DEVMODEW* devmode);

    int(WINAPI* m_previous)(LPCWSTR, LPCWSTR, WORD, LPWSTR, const DEVMODEW*) = nullptr;
    IPrintOemUI2* m_plugin;
    CoreDriver& m_core;
    HANDLE m_printer;
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

} // namespace harness
