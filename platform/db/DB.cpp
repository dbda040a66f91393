#include "platform/db/DB.h"

#include "platform/base/DateTime.h"

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void ConversionError(const String& fieldName, const char* type) {
  throw EDatabaseError("Field '" + fieldName + "' cannot be read as " + type);
}

}  // namespace

String DBValueAsString(const TDBValue& v) {
  switch (v.Kind) {
    case TDBValue::vkNull: return String();
    case TDBValue::vkInteger: return IntToStr(v.I);
    case TDBValue::vkFloat: return FloatToStr(v.F);
    case TDBValue::vkText:
    case TDBValue::vkBlob: return v.S;
  }
  return String();
}

Int64 DBValueAsInteger(const TDBValue& v, const String& fieldName) {
  switch (v.Kind) {
    case TDBValue::vkNull: return 0;
    case TDBValue::vkInteger: return v.I;
    case TDBValue::vkFloat:
      if (!std::isfinite(v.F) || std::fabs(v.F) > 9.2e18) ConversionError(fieldName, "an integer");
      return static_cast<Int64>(std::trunc(v.F));
    case TDBValue::vkText: {
      Int64 r = 0;
      if (!TryStrToInt64(v.S, r)) ConversionError(fieldName, "an integer");
      return r;
    }
    case TDBValue::vkBlob: break;
  }
  ConversionError(fieldName, "an integer");
}

double DBValueAsFloat(const TDBValue& v, const String& fieldName) {
  switch (v.Kind) {
    case TDBValue::vkNull: return 0;
    case TDBValue::vkInteger: return static_cast<double>(v.I);
    case TDBValue::vkFloat: return v.F;
    case TDBValue::vkText: {
      double r = 0;
      if (!TryStrToFloat(v.S, r)) ConversionError(fieldName, "a number");
      return r;
    }
    case TDBValue::vkBlob: break;
  }
  ConversionError(fieldName, "a number");
}

bool DBValueAsBoolean(const TDBValue& v, const String& fieldName) {
  switch (v.Kind) {
    case TDBValue::vkNull: return false;
    case TDBValue::vkInteger: return v.I != 0;
    case TDBValue::vkFloat: return v.F != 0;
    case TDBValue::vkText: {
      bool r = false;
      if (!TryStrToBool(v.S, r)) ConversionError(fieldName, "a Boolean");
      return r;
    }
    case TDBValue::vkBlob: break;
  }
  ConversionError(fieldName, "a Boolean");
}

Integer TField::AsInteger() const {
  Int64 v = DBValueAsInteger(FValue, FieldName);
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
    ConversionError(FieldName, "a 32-bit integer");
  return static_cast<Integer>(v);
}

TDateTime TField::AsDateTime() const {
  if (FValue.Kind == TDBValue::vkText) {
    TDateTime d = 0;
    if (TryISOToDateTime(FValue.S, d)) return d;
  }
  return DBValueAsFloat(FValue, FieldName);
}

void TParam::SetAsDate(TDateTime v) {
  DataType = ftDate;
  if (!std::isfinite(v) || std::fabs(v) > 9.0e15)
    throw EDatabaseError("Parameter '" + Name + "' is not a valid date");
  FValue = TDBValue::Integer(static_cast<Int64>(std::floor(v)));
}

void TParam::SetAsBlob(const String& bytes, TFieldType type) {
  DataType = type;
  FValue = TDBValue::Blob(bytes);
}

Integer TParam::AsInteger() const {
  Int64 v = DBValueAsInteger(FValue, Name);
  return static_cast<Integer>(v);
}

TDBValue TParam::BoundValue() const {
  if (FValue.Kind == TDBValue::vkNull) return FValue;
  switch (DataType) {
    case ftInteger:
    case ftBoolean:
      if (FValue.Kind == TDBValue::vkInteger) return FValue;
      return TDBValue::Integer(DBValueAsInteger(FValue, Name));
    case ftDate:
      if (FValue.Kind == TDBValue::vkInteger) return FValue;
      return TDBValue::Integer(static_cast<Int64>(std::floor(DBValueAsFloat(FValue, Name))));
    case ftFloat:
    case ftDateTime:
      if (FValue.Kind == TDBValue::vkFloat) return FValue;
      return TDBValue::Float(DBValueAsFloat(FValue, Name));
    case ftString:
      if (FValue.Kind == TDBValue::vkText) return FValue;
      return TDBValue::Text(DBValueAsString(FValue));
    case ftBlob:
    case ftMemo:
    case ftFmtMemo:
      if (FValue.Kind == TDBValue::vkBlob) return FValue;
      return TDBValue::Blob(DBValueAsString(FValue));
    case ftUnknown: break;
  }
  return FValue;
}

TParam* TParams::FindParam(const String& name) {
  for (auto& p : FItems)
    if (SameText(p->Name, name)) return p.get();
  return nullptr;
}

TParam& TParams::ParamByName(const String& name) {
  if (TParam* p = FindParam(name)) return *p;
  throw EDatabaseError("Parameter '" + name + "' not found");
}

void TParams::Rebuild(const std::vector<String>& names) {
  std::vector<std::unique_ptr<TParam>> items;
  for (const String& n : names) {
    bool dup = false;
    for (auto& p : items) dup = dup || SameText(p->Name, n);
    if (dup) continue;
    std::unique_ptr<TParam> kept;
    for (auto& p : FItems)
      if (p && SameText(p->Name, n)) kept = std::move(p);
    items.push_back(kept ? std::move(kept) : std::make_unique<TParam>(n));
  }
  FItems = std::move(items);
}
