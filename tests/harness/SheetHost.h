// The core driver's side of the property sheets.
//
// SheetHost shows the plug-in's document or printer sheet through the system's
// common property-sheet UI (CommonPropertySheetUIW), the way the driver does:
// the plug-in's sheet callback runs with an OEMUIPSPARAM of a real printer,
// the core-driver double, a heap and the DEVMODEs. A thread timer finds the
// sheet once it shows, hands it to the test and then presses a button.
//
//   harness::SheetHost host(plugin.get(), printer.handle(), printer.name(), core.get());
//   harness::SheetRun run = host.show(harness::SheetKind::Document,
//                                     [](HWND sheet) { /* look at it */ });
//   EXPECT_EQ(2u, run.tabs.size());
//
// The host's heap is the driver's heap of the sheets: the plug-in object keeps
// its feature model there, so release the plug-in before the host.
//
// ComSheetRecorder stands in for the common property-sheet UI where the
// system's lacks a function (the OPTITEM tree page, the set-result call): it
// records every call and answers page handles.
#pragma once

#include "oem/PrintOemUI.h"

#include <functional>
#include <string>
#include <vector>

namespace harness {

class CoreDriver;

enum class SheetKind { Document, Printer };
// None leaves the sheet to the user.
enum class SheetButton { Cancel, Ok, None };

// What the shown sheet looked like and how it ended.
struct SheetRun {
    bool shown = false;
    std::wstring caption;
    std::vector<std::wstring> tabs;
    LONG rc = 0;            // CommonPropertySheetUIW's answer
    DWORD result = 0;       // its result
    HRESULT initHr = S_OK;  // what the plug-in answered at INIT
    ULONG_PTR initResult = 0;
};

class SheetHost {
public:
    SheetHost(IPrintOemUI2* plugin, HANDLE printer, const std::wstring& printerName, CoreDriver* core);
    ~SheetHost();
    SheetHost(const SheetHost&) = delete;
    SheetHost& operator=(const SheetHost&) = delete;

    // The parameter block handed to the plug-in; tests may change it first.
    OEMUIPSPARAM& param() { return m_param; }
    DEVMODEW* publicDevMode() { return m_public; }
    BYTE* privateDevMode() { return m_private; }
    HANDLE heap() const { return m_heap; }
    // Runs right before the call that opens the sheet (a benchmark's start).
    std::function<void()> beforeOpen;

    // Shows the sheet modally; onShown sees it once, then the button is pressed.
    // With neither, nothing looks for the sheet: whoever opened it closes it.
    SheetRun show(SheetKind kind, const std::function<void(HWND)>& onShown = {},
                  SheetButton close = SheetButton::Cancel);

private:
    static LONG CALLBACK SheetProc(PPROPSHEETUI_INFO info, LPARAM lParam);
    static VOID CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    IPrintOemUI2* m_plugin;
    CoreDriver* m_core;
    std::wstring m_printerName;
    HANDLE m_heap = nullptr;
    DEVMODEW* m_public = nullptr;
    BYTE* m_private = nullptr;
    OEMUIPSPARAM m_param = {};
    SheetKind m_kind = SheetKind::Document;
    SheetRun m_run;
    std::function<void(HWND)> m_onShown;
    SheetButton m_close = SheetButton::Cancel;
    int m_ticks = 0;
};

// A stand-in for the sheet callback (pfnComPropSheet) of the common
// property-sheet UI. Use its function and handle in a PROPSHEETUI_INFO.
class ComSheetRecorder {
public:
    struct Call {
        UINT function;
        LPARAM lParam1;
        LPARAM lParam2;
        // Copies of what the plug-in passed, taken during the call.
        std::wstring title;            // page title (ADD_PROPSHEETPAGEW)
        UINT templateId = 0;
        DWORD pageFlags = 0;
        DWORD pageSize = 0;
        LPARAM pageParam = 0;
        DLGPROC pageProc = nullptr;
        HINSTANCE pageInstance = nullptr;
        std::vector<BYTE> pageRecord;  // the whole PROPSHEETPAGEW as given (dwSize bytes)
        COMPROPSHEETUI tree = {};      // ADD_PCOMPROPSHEETUIW
    };

    ComSheetRecorder();
    ~ComSheetRecorder();

    // A PROPSHEETUI_INFO for the plug-in's sheet callback.
    PROPSHEETUI_INFO info(LPARAM lParamInit, WORD reason = PROPSHEETUI_REASON_INIT);

    // The n-th call (1 = the next one) of a function answers this.
    void answer(UINT function, LONG_PTR value, int nth = 1);

    const std::vector<Call>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }
    std::vector<Call> calls(UINT function) const;

    // Runs at every call, after it is recorded and before it is answered.
    std::function<void(const Call&)> onCall;

private:
    static LONG_PTR CALLBACK Proc(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2);

    struct Answer {
        UINT function;
        LONG_PTR value;
        int remaining;
    };
    std::vector<Call> m_calls;
    std::vector<Answer> m_answers;
    LONG_PTR m_nextHandle = 0x100;
};

} // namespace harness
