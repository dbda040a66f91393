#pragma once
// Field and parameter values of the database layer, and its exceptions.
//
// Storage of the typed values in SQLite (chosen once, here):
//   ftInteger, ftBoolean  -> INTEGER (Booleans 1/0)
//   ftDate                -> INTEGER day serial: whole days since 1899-12-30,
//                            so a date compares, sorts and stays exact
//                            (the topic journals' 9999999 included)
//   ftDateTime            -> REAL TDateTime (days since 1899-12-30 plus the
//                            fraction of the day), exact in both directions
//   ftFloat               -> REAL
//   ftString              -> TEXT (UTF-8)
//   ftBlob, ftMemo,
//   ftFmtMemo             -> BLOB (bytes as given)
// EXTRACT(YEAR|MONTH FROM x) works on both day serials and date-times (see
// DBDialect.h).
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TStream;

enum TFieldType {
  ftUnknown,
  ftString,
  ftInteger,
  ftBoolean,
  ftFloat,
  ftDate,
  ftDateTime,
  ftBlob,
  ftMemo,
  ftFmtMemo,
};

enum TParamType { ptUnknown, ptInput };

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// Errors of the layer. EDBEngineError carries the engine's result code; the
// message names the operation and the engine's text, never a value.
QY_DECLARE_EXCEPTION(EDatabaseError, Exception);

class EDBEngineError : public EDatabaseError {
public:
  EDBEngineError(String message, int errorCode = 0)
      : EDatabaseError(std::move(message)), ErrorCode(errorCode) {}
  const char* ClassName() const override { return "EDBEngineError"; }
  int ErrorCode;
};

// An encrypted file that none of the passwords held opens: the one error
// for which asking the user for a password can help.
class EDBPasswordError : public EDBEngineError {
public:
  using EDBEngineError::EDBEngineError;
};

// One value as SQLite holds it.
class TDBValue {
public:
  enum TKind { vkNull, vkInteger, vkFloat, vkText, vkBlob };

  TDBValue() = default;
  static TDBValue Integer(Int64 v) { TDBValue r; r.Kind = vkInteger; r.I = v; return r; }
  static TDBValue Float(double v) { TDBValue r; r.Kind = vkFloat; r.F = v; return r; }
  static TDBValue Text(String v) { TDBValue r; r.Kind = vkText; r.S = std::move(v); return r; }
  static TDBValue Blob(String v) { TDBValue r; r.Kind = vkBlob; r.S = std::move(v); return r; }

  TKind Kind = vkNull;
  Int64 I = 0;
  double F = 0;
  String S;  // text (UTF-8) or blob bytes
};

// Reading a value of any storage class as the wanted type.
String DBValueAsString(const TDBValue& v);
Int64 DBValueAsInteger(const TDBValue& v, const String& fieldName);
double DBValueAsFloat(const TDBValue& v, const String& fieldName);
bool DBValueAsBoolean(const TDBValue& v, const String& fieldName);

// A column of the current row of a query.
class TField {
public:
  String FieldName;

  bool IsNull() const { return FValue.Kind == TDBValue::vkNull; }
  String AsString() const { return DBValueAsString(FValue); }
  Integer AsInteger() const;
  Int64 AsLargeInt() const { return DBValueAsInteger(FValue, FieldName); }
  double AsFloat() const { return DBValueAsFloat(FValue, FieldName); }
  // A number, or ISO text ("yyyy-mm-dd[ hh:nn:ss[.zzz]]").
  TDateTime AsDateTime() const;
  bool AsBoolean() const { return DBValueAsBoolean(FValue, FieldName); }
  const TDBValue& Value() const { return FValue; }

private:
  friend class TQuery;
  TDBValue FValue;
};

// A named parameter (":bName" in the statement text).
class TParam {
public:
  explicit TParam(String name) : Name(std::move(name)) {}

  String Name;
  TFieldType DataType = ftUnknown;
  TParamType ParamType = ptInput;

  void Clear() { FValue = TDBValue(); }
  bool IsNull() const { return FValue.Kind == TDBValue::vkNull; }

  void SetAsInteger(Int64 v) { DataType = ftInteger; FValue = TDBValue::Integer(v); }
  void SetAsBoolean(bool v) { DataType = ftBoolean; FValue = TDBValue::Integer(v ? 1 : 0); }
  void SetAsFloat(double v) { DataType = ftFloat; FValue = TDBValue::Float(v); }
  void SetAsString(const String& v) { DataType = ftString; FValue = TDBValue::Text(v); }
  // Whole days: the time of day is dropped (a date names a day).
  void SetAsDate(TDateTime v);
  void SetAsDateTime(TDateTime v) { DataType = ftDateTime; FValue = TDBValue::Float(v); }
  void SetAsBlob(const String& bytes, TFieldType type = ftBlob);
  // The whole stream from its start, as a blob of the given type.
  void LoadFromStream(TStream& stream, TFieldType blobType);

  // The value in the parameter's declared type (DataType set before a value
  // was given converts it when bound).
  TDBValue BoundValue() const;

  Integer AsInteger() const;
  String AsString() const { return DBValueAsString(FValue); }

private:
  TDBValue FValue;
};

// The parameters of one statement, in order of first appearance.
class TParams {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TParam& operator[](int i) { return *FItems.at(static_cast<size_t>(i)); }
  TParam* FindParam(const String& name);
  TParam& ParamByName(const String& name);
  // Keeps the values of parameters whose names stay.
  void Rebuild(const std::vector<String>& names);
  void Clear() { FItems.clear(); }

private:
  std::vector<std::unique_ptr<TParam>> FItems;
};
