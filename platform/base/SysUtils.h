#pragma once
// Exceptions and the small run-time helpers the libraries share.
#include "platform/base/Types.h"

#include <exception>
#include <string>

// Base of every exception the system raises: a UTF-8 message and the class
// name that error displays show.
class Exception : public std::exception {
public:
  explicit Exception(String message) : Message(std::move(message)) {}
  ~Exception() override = default;
  const char* what() const noexcept override { return Message.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

  String Message;
};

#define QY_DECLARE_EXCEPTION(Name, Base)                          \
  class Name : public Base {                                      \
  public:                                                         \
    using Base::Base;                                             \
    const char* ClassName() const override { return #Name; }      \
  }

QY_DECLARE_EXCEPTION(EConvertError, Exception);
QY_DECLARE_EXCEPTION(EStreamError, Exception);
QY_DECLARE_EXCEPTION(EReadError, EStreamError);
QY_DECLARE_EXCEPTION(EWriteError, EStreamError);
QY_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QY_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QY_DECLARE_EXCEPTION(EListError, Exception);
QY_DECLARE_EXCEPTION(EStringListError, EListError);
QY_DECLARE_EXCEPTION(EIntOverflow, Exception);
QY_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QY_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
QY_DECLARE_EXCEPTION(EOutOfResources, Exception);
QY_DECLARE_EXCEPTION(EAbort, Exception);

// The silent exception: unwinds an operation without an error display.
[[noreturn]] void Abort();

// (a * b) / c rounded to the nearest integer, halves away from zero, with a
// 64-bit intermediate; -1 when c is 0.
Integer MulDiv(Integer a, Integer b, Integer c);
