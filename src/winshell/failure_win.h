#pragma once
// The shell calls fail quietly for the user (no icon, no jump list, an empty
// dialog answer), so each failure leaves the one-line trace of
// base/failure_trace.h for whoever looks with a debugger.

#include <windows.h>

#include <string_view>

namespace winshell {

// Whether the COM call failed; a failure is traced under `step`
// ("IFileOpenDialog::Show").
bool failed(std::string_view step, HRESULT hr);

// Traces a Win32 call that has just failed, with its last error as an HRESULT
// (E_FAIL for a call that sets none).
void trace_last_error(std::string_view step);

// A dialog's Show: a user who cancels is no failure and leaves no trace.
// True when the dialog was answered.
bool shown(std::string_view step, HRESULT hr);

}  // namespace winshell
