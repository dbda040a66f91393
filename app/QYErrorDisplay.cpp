#include "app/QYErrorDisplay.h"

#include "platform/gui/Dialogs.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

String ErrorDisplayText(const String& operation, const String& message, const String& className) {
  return operation + "\r\r" + message + "\r" + className;
}

void ShowErrorDisplay(const String& operation, const String& message, const String& className) {
  MessageBox(ErrorDisplayText(operation, message, className), "Error Display", MB_OK);
}

String ExceptionClassName(const std::exception& error) {
  if (auto* ours = dynamic_cast<const Exception*>(&error)) return ours->ClassName();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? String(name.get()) : String(typeid(error).name());
}

void ShowErrorDisplay(const String& operation, const std::exception& error) {
  ShowErrorDisplay(operation, error.what(), ExceptionClassName(error));
}
