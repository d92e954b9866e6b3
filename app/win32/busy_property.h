#pragma once

// What other programs can see of the work the user waits for (the start-up, the export of a
// selected subject, a Convert): the main window answers them between the work's steps, and
// carries this property while the work runs.

namespace kelvor::win32 {

inline constexpr wchar_t BusyProperty[] = L"KelvorBusy";

} // namespace kelvor::win32
