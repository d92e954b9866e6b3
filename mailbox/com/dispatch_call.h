#pragma once

// The three kinds of call the program makes on a MAPI control: reading and writing a property
// through IDispatch::Invoke by DISPID, and calling a method through the dual interface's
// function table. Failures throw EOleSysError or EOleException.

#include "mailbox/com/com_text.h"

#include <windows.h>

#include <oaidl.h>

namespace kelvor {

// Reads a property into a VARIANT of the given type (converting it when the control answers
// with another type; an absent text, VT_NULL or VT_EMPTY, reads as empty).
UniqueVariant GetProperty(IDispatch& control, DISPID dispid, VARTYPE type);

void PutProperty(IDispatch& control, DISPID dispid, VARIANT value);

// Calls the method at `entry` of the control's function table: no arguments, an HRESULT back.
void CallMethod(IDispatch& control, int entry);

} // namespace kelvor
