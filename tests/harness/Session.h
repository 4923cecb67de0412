// The Wine session of a test run (scripts/wine-session.in): one persistent
// wineserver, booted once, with Wine's desktop kept for the whole session.
//
// Wine closes a desktop one second after its last program leaves it; the next
// program that needs a window then starts a new desktop process, which takes
// over that program's standard error. Under CTest that is a test's output
// pipe, and CTest waits for the pipe to close: the test "runs" until the
// desktop closes again, which under a parallel run may be minutes later (a
// timeout after a passed test). So the boot leaves a keeper on the desktop
// (bq_install.exe --keep-desktop) that stays until the session's server stops
// it; the desktop process it starts writes into the boot log.
#pragma once

namespace harness {

// Signalled by the keeper once it holds the desktop; exists while it lives.
inline constexpr wchar_t kDesktopKeeperEvent[] = L"Local\\bq2100ps-desktop-keeper";

} // namespace harness
