// The document sheet started through the plug-in, as the core driver starts
// it: a plug-in object over the core-driver double, a Wine test printer, the
// driver's heap, the public DEVMODE, the private block and the parameter
// block; the sheet callback is a ComSheetRecorder. show() puts the pages the
// plug-in added into a modeless property sheet, as the common UI does, and
// records the PSM_CHANGED messages the sheet gets.
//
// A fixture takes it as a second base, so its cases name the parts directly:
//
//   class BasicPage : public ::testing::Test, protected harness::DocumentSheet {
//       void SetUp() override { ASSERT_NO_FATAL_FAILURE(prepare()); /* seams */ }
//   };
//   TEST_F(BasicPage, X) { start(); block.copies = 3; show(); apply(); ... }
//
// What a case sets in `block` or `param` before start() is what the plug-in
// sees at INIT; the start copies the driver's selections into the block.
// close() (or the destructor) ends the sheet in the driver's order: the
// sheet window, DESTROY, the seams, the plug-in, and last the heap that holds
// the plug-in's feature model.
#pragma once

#include "harness/CoreDriver.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "settings/PrivateDevMode.h"

#include <memory>
#include <string>
#include <vector>

class IOemUI2;
struct PROPSHEET_CONTEXT;

namespace harness {

class DocumentSheet {
public:
    DocumentSheet();
    virtual ~DocumentSheet();
    DocumentSheet(const DocumentSheet&) = delete;
    DocumentSheet& operator=(const DocumentSheet&) = delete;

    // The plug-in object, the heap, a public DEVMODE of one copy at 100 %,
    // an empty private block with its header, and the parameter block.
    void prepare();
    // The sheet's INIT through the recorder; `context` is the plug-in's.
    void start();
    // The recorded pages in a modeless sheet (started first if need be),
    // opened at the page; changes are recorded from the sheet's creation.
    void show(int startPage = 0);
    // The user picks the page's tab.
    void showPage(int index);
    // The property-sheet page (the host window) at the index.
    HWND pageWindow(int index) const;
    // The core driver's log cleared, then PSM_APPLY: every made page applies.
    void apply();
    bool applyEnabled() const;
    // Ends the sheet as the driver does after OK (its window, then DESTROY)
    // and starts a new one over the same block, DEVMODE and core driver.
    void restart();
    // Ends the sheet (see above); the destructor does it if a case did not.
    void close();

    // Every PSM_CHANGED sent on this thread since show() or clearChanges():
    // the window it went to and the page it named.
    struct Change {
        HWND window;
        HWND page;
    };
    const std::vector<Change>& changed() const { return m_changed; }
    // How many of them the sheet got.
    int changes() const;
    void clearChanges() { m_changed.clear(); }

    // "Feature=Option" for every pair the core driver was given, in order.
    std::vector<std::string> written() const { return core->writtenPairs(); }
    // The optional trays the printer data says are fitted, and their papers.
    void setInstallableInfo(bool tray1, DWORD paper1, bool tray2, DWORD paper2);
    // A string of the plug-in's language resources.
    std::wstring languageString(UINT id) const;
    // The top-level window the sheet is owned by, made on first use at
    // this size.
    HWND frameWindow();
    int frameWidth = 640;
    int frameHeight = 480;

    // A sheet start reads both data files and may write them.
    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    TestPrinter printer{ TestPrinter::Mode::Unique };
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    IOemUI2* plugin = nullptr;
    HANDLE heap = nullptr;
    DEVMODEW publicDm = {};
    PRIVATE_DEVMODE block = {};
    OEMUIPSPARAM param = {};
    ComSheetRecorder sheet;
    PROPSHEETUI_INFO info = {};
    PROPSHEET_CONTEXT* context = nullptr;
    HWND sheetWindow = nullptr;

private:
    // The sheet window, then DESTROY.
    void endSheet();
    static LRESULT CALLBACK RecordChanged(int code, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<TestFrame> m_frame;
    std::vector<std::wstring> m_titles;
    std::vector<std::vector<BYTE>> m_records;
    HHOOK m_hook = nullptr;
    std::vector<Change> m_changed;
};

} // namespace harness
