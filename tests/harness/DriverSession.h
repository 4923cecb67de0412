// The core driver's side of a user's session with the plug-in loaded from its
// DLL: the shared test printer, the core-driver double and, for every window,
// a fresh plug-in object made as the driver makes it (publish; defaults and
// hidden standard pages for the document sheet). Used by the demo and the window benchmarks.
//
//   harness::PluginModule module;
//   harness::DriverSession session(module);
//   session.show(harness::SheetKind::Document, [&] { watch.start(...); });
#pragma once

#include "PluginHost.h"
#include "settings/PaperInfo.h"
#include "SheetHost.h"
#include "TestPrinter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace harness {

class CoreDriver;

class DriverSession {
public:
    explicit DriverSession(const PluginModule& module);
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    bool ok() const { return m_failure.empty(); }
    const std::wstring& failure() const { return m_failure; }
    HANDLE printer() const { return m_printer.get(); }

    // The printing preferences (Document) or the printer properties (Printer)
    // through the common property-sheet UI; returns once the sheet is closed.
    // beforeOpen runs right before the opening call; onShown and close as
    // SheetHost::show (by default the caller closes the sheet).
    SheetRun show(SheetKind kind, const std::function<void()>& beforeOpen = {},
                  const std::function<void(HWND)>& onShown = {}, SheetButton close = SheetButton::None);

    // The printer driver's own document properties of the same printer
    // (DocumentPropertiesW with DM_IN_PROMPT into an output DEVMODE, whose
    // size is asked first); its answer, -1 on failure.
    LONG showDriverSheet(const std::function<void()>& beforeOpen = {});

private:
    const PluginModule& m_module;
    PrinterHandle m_printer;
    std::unique_ptr<CoreDriver> m_core;
    std::wstring m_failure;
};

// A window of the plug-in (the printing preferences or the printer
// properties) through the common property-sheet UI over that printer and core
// driver, with a fresh plug-in object of the module made as the driver makes
// it; as DriverSession::show.
SheetRun showPluginSheet(const PluginModule& module, HANDLE printer, const std::wstring& printerName,
                         CoreDriver* core, SheetKind kind, const std::function<void()>& beforeOpen = {},
                         const std::function<void(HWND)>& onShown = {}, SheetButton close = SheetButton::None);

// The two custom papers the demo and the window benchmarks open the
// custom-paper dialog over, within the bounds of a custom paper and stored as
// the dialog stores them: sizes in points, flags {0, 1, 0, 1}.
std::vector<PAPER_INFO> sampleCustomPapers();

// The visible property sheet of this thread; null when there is none.
HWND findSheet();
// The first visible window with that control id below the root; null when none.
HWND findVisibleControl(HWND root, int id);
// What a click on a push button or a notify static tells its parent.
void clickControl(HWND control);
// Ends a modal dialog of this thread: a click on its cancel control when it
// has one, then IDCANCEL (which a dialog that took the click never sees);
// without a dialog, every visible window the owner owns gets the IDCANCEL.
void cancelDialog(HWND dialog, int cancelId, HWND owner = nullptr);

} // namespace harness
