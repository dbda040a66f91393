#pragma once
// The one error box of the application: every step that catches a failure
// around a database or file operation reports it here, naming the step.
#include "platform/base/SysUtils.h"

#include <exception>

// "Error Display" text: the step, two line breaks, the message, a line break
// and the exception's class name.
String ErrorDisplayText(const String& operation, const String& message, const String& className);

// Shows the "Error Display" box (OK) above any stay-on-top window.
void ShowErrorDisplay(const String& operation, const String& message, const String& className);
// The same for a caught exception: its message and class name.
void ShowErrorDisplay(const String& operation, const std::exception& error);

// The class name an error display shows for any exception: ours report their
// own, others the demangled C++ type name.
String ExceptionClassName(const std::exception& error);
