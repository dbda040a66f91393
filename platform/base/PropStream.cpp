#include "platform/base/PropStream.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kMaxDepth = 32;
constexpr char kComponentSignature[4] = {'Q', 'P', 'S', '1'};

[[noreturn]] void InvalidValue(const String& name) {
  throw EReadError("Invalid property value" + (name.empty() ? String() : " of " + name));
}

bool IsIntTag(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64; }

}  // namespace

// ---------------------------------------------------------------------------
// TPropertyList

TPropInfo& TPropertyList::Add(TPropInfo Info) {
  FItems.push_back(std::move(Info));
  return FItems.back();
}

const TPropInfo* TPropertyList::Find(const String& Name) const {
  for (const TPropInfo& p : FItems)
    if (SameText(p.Name, Name)) return &p;
  return nullptr;
}

TPropInfo& TPropertyList::AddIntProp(const String& Name, std::function<Int64()> Get,
                                     std::function<void(Int64)> Set, Int64 Default) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::Int;
  p.Get = [Get] {
    TPropValue v;
    v.Int = Get();
    return v;
  };
  p.Set = [Set](const TPropValue& v) { Set(v.Int); };
  p.IsDefault = [Get, Default] { return Get() == Default; };
  return Add(std::move(p));
}

TPropInfo& TPropertyList::AddInt64(const String& Name, Int64& Field, Int64 Default) {
  return AddInt64Prop(Name, [&Field] { return Field; }, [&Field](Int64 v) { Field = v; }, Default);
}

TPropInfo& TPropertyList::AddInt64Prop(const String& Name, std::function<Int64()> Get,
                                       std::function<void(Int64)> Set, Int64 Default) {
  TPropInfo& p = AddIntProp(Name, std::move(Get), std::move(Set), Default);
  p.Kind = TPropKind::Int64;
  p.Min = std::numeric_limits<Int64>::min();
  p.Max = std::numeric_limits<Int64>::max();
  return p;
}

TPropInfo& TPropertyList::AddBool(const String& Name, bool& Field, bool Default) {
  return AddBoolProp(Name, [&Field] { return Field; }, [&Field](bool v) { Field = v; }, Default);
}

TPropInfo& TPropertyList::AddBoolProp(const String& Name, std::function<bool()> Get,
                                      std::function<void(bool)> Set, bool Default) {
  TPropInfo& p = AddIntProp(
      Name, [Get] { return static_cast<Int64>(Get() ? 1 : 0); },
      [Set](Int64 v) { Set(v != 0); }, Default ? 1 : 0);
  p.Kind = TPropKind::Bool;
  return p;
}

TPropInfo& TPropertyList::AddFloat(const String& Name, double& Field, double Default) {
  return AddFloatProp(Name, [&Field] { return Field; }, [&Field](double v) { Field = v; }, Default);
}

TPropInfo& TPropertyList::AddFloatProp(const String& Name, std::function<double()> Get,
                                       std::function<void(double)> Set, double Default) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::Float;
  p.Get = [Get] {
    TPropValue v;
    v.Float = Get();
    return v;
  };
  p.Set = [Set](const TPropValue& v) { Set(v.Float); };
  // Compared bit for bit, so -0.0 and NaN survive a round trip.
  p.IsDefault = [Get, Default] {
    const double v = Get();
    return std::memcmp(&v, &Default, sizeof v) == 0;
  };
  return Add(std::move(p));
}

TPropInfo& TPropertyList::AddString(const String& Name, AnsiString& Field, const AnsiString& Default) {
  return AddStringProp(
      Name, [&Field] { return Field; }, [&Field](const AnsiString& v) { Field = v; }, Default);
}

TPropInfo& TPropertyList::AddStringProp(const String& Name, std::function<AnsiString()> Get,
                                        std::function<void(const AnsiString&)> Set,
                                        const AnsiString& Default) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::String;
  p.Get = [Get] {
    TPropValue v;
    v.Str = Get();
    return v;
  };
  p.Set = [Set](const TPropValue& v) { Set(v.Str); };
  p.IsDefault = [Get, Default] { return Get() == Default; };
  return Add(std::move(p));
}

TPropInfo& TPropertyList::AddWideString(const String& Name, WideString& Field,
                                        const WideString& Default) {
  return AddWideStringProp(
      Name, [&Field] { return Field; }, [&Field](const WideString& v) { Field = v; }, Default);
}

TPropInfo& TPropertyList::AddWideStringProp(const String& Name, std::function<WideString()> Get,
                                            std::function<void(const WideString&)> Set,
                                            const WideString& Default) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::WideString;
  p.Get = [Get] {
    TPropValue v;
    v.Wide = Get();
    return v;
  };
  p.Set = [Set](const TPropValue& v) { Set(v.Wide); };
  p.IsDefault = [Get, Default] { return Get() == Default; };
  return Add(std::move(p));
}

TPropInfo& TPropertyList::AddEnumProp(const String& Name, std::function<Int64()> Get,
                                      std::function<void(Int64)> Set,
                                      std::initializer_list<const char*> Names, Int64 Default) {
  TPropInfo& p = AddIntProp(Name, std::move(Get), std::move(Set), Default);
  p.Kind = TPropKind::Enum;
  for (const char* n : Names) p.Names.emplace_back(n);
  p.Min = 0;
  p.Max = static_cast<Int64>(p.Names.size()) - 1;
  return p;
}

TPropInfo& TPropertyList::AddSetProp(const String& Name, std::function<uint64_t()> Get,
                                     std::function<void(uint64_t)> Set,
                                     std::initializer_list<const char*> Names, uint64_t Default) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::Set;
  for (const char* n : Names) p.Names.emplace_back(n);
  p.Get = [Get] {
    TPropValue v;
    v.Int = static_cast<Int64>(Get());
    return v;
  };
  p.Set = [Set](const TPropValue& v) { Set(static_cast<uint64_t>(v.Int)); };
  p.IsDefault = [Get, Default] { return Get() == Default; };
  return Add(std::move(p));
}

TPropInfo& TPropertyList::AddReference(const String& Name, std::function<String()> Get,
                                       std::function<void(const String&)> Set) {
  TPropInfo& p = AddStringProp(Name, std::move(Get), std::move(Set), AnsiString());
  p.Kind = TPropKind::Reference;
  return p;
}

TPropInfo& TPropertyList::AddObject(const String& Name, TPersistent* Object) {
  return AddObject(Name, [Object] { return Object; }, [Object] { return Object; });
}

TPropInfo& TPropertyList::AddObject(const String& Name, std::function<TPersistent*()> GetObject,
                                    std::function<TPersistent*()> GetOrCreateObject) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::Object;
  p.GetObject = std::move(GetObject);
  p.GetOrCreateObject = std::move(GetOrCreateObject);
  return Add(std::move(p));
}

TPropInfo& TPropertyList::AddCollection(const String& Name, TCollection* Collection) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = TPropKind::Collection;
  p.Collection = Collection;
  return Add(std::move(p));
}

// ---------------------------------------------------------------------------
// TWriter

void TWriter::WriteShortString(const String& S) {
  if (S.size() > 255) throw EWriteError("Name too long: " + S.substr(0, 40));
  FStream.WriteByte(static_cast<Byte>(S.size()));
  FStream.WriteBytes(S);
}

void TWriter::WriteInteger(Int64 Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    FStream.WriteByte(static_cast<Byte>(static_cast<int8_t>(Value)));
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    FStream.WriteInt16LE(static_cast<int16_t>(Value));
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    FStream.WriteInt32LE(static_cast<Integer>(Value));
  } else {
    WriteValue(vaInt64);
    FStream.WriteInt64LE(Value);
  }
}

void TWriter::WriteFloat(double Value) {
  WriteValue(vaDouble);
  FStream.WriteDoubleLE(Value);
}

void TWriter::WriteString(const AnsiString& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    FStream.WriteByte(static_cast<Byte>(Value.size()));
  } else {
    if (Value.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError("Stream write error");
    WriteValue(vaLString);
    FStream.WriteInt32LE(static_cast<Integer>(Value.size()));
  }
  FStream.WriteBytes(Value);
}

void TWriter::WriteWideString(const WideString& Value) {
  if (Value.size() > static_cast<size_t>(INT32_MAX / 2)) throw EWriteError("Stream write error");
  WriteValue(vaWString);
  FStream.WriteInt32LE(static_cast<Integer>(Value.size()));
  AnsiString bytes(Value.size() * 2, '\0');
  for (size_t i = 0; i < Value.size(); ++i) {
    bytes[2 * i] = static_cast<char>(Value[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(Value[i] >> 8);
  }
  FStream.WriteBytes(bytes);
}

void TWriter::WriteIdent(const String& Ident) {
  WriteValue(vaIdent);
  WriteShortString(Ident);
}

void TWriter::WriteSet(uint64_t Mask, const std::vector<String>& Names) {
  WriteValue(vaSet);
  for (size_t k = 0; k < 64; ++k) {
    if (!(Mask & (uint64_t{1} << k))) continue;
    if (k >= Names.size()) throw EWriteError("Invalid property value");
    WriteShortString(Names[k]);
  }
  FStream.WriteByte(0);
}

void TWriter::WriteBinary(const AnsiString& Bytes) {
  if (Bytes.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError("Stream write error");
  WriteValue(vaBinary);
  FStream.WriteInt32LE(static_cast<Integer>(Bytes.size()));
  FStream.WriteBytes(Bytes);
}

void TWriter::WritePropName(const String& Name) {
  if (Name.empty()) throw EWriteError("Property without a name");
  WriteShortString(Name);
}

namespace {

// Writes custom properties as DefineProperties declares them.
class TWriteFiler : public TFiler {
public:
  TWriteFiler(TWriter& writer, const String& prefix) : FWriter(writer), FPrefix(prefix) {}
  void DefineProperty(const String& Name, std::function<void(TReader&)>,
                      std::function<void(TWriter&)> WriteData, bool HasData) override {
    if (!HasData || !WriteData) return;
    FWriter.WritePropName(FPrefix + Name);
    const Int64 before = FWriter.Stream().GetPosition();
    WriteData(FWriter);
    if (FWriter.Stream().GetPosition() == before)
      throw EWriteError("Property " + Name + " wrote no value");
  }
  void DefineBinaryProperty(const String& Name, std::function<void(TStream&)>,
                            std::function<void(TStream&)> WriteData, bool HasData) override {
    if (!HasData || !WriteData) return;
    TMemoryStream data;
    WriteData(data);
    FWriter.WritePropName(FPrefix + Name);
    FWriter.WriteBinary(data.Bytes());
  }

private:
  TWriter& FWriter;
  String FPrefix;
};

}  // namespace

void TWriter::WriteObjectProperties(TPersistent& Instance, const String& Prefix, int Depth) {
  if (Depth > kMaxDepth) throw EWriteError("Objects nested too deeply");
  TPropertyList list;
  Instance.DeclareProperties(list);
  for (const TPropInfo& p : list.Items()) {
    if (p.Stored && !p.Stored()) continue;
    const String name = Prefix + p.Name;
    switch (p.Kind) {
      case TPropKind::Object:
        if (TPersistent* obj = p.GetObject ? p.GetObject() : nullptr)
          WriteObjectProperties(*obj, name + ".", Depth + 1);
        continue;
      case TPropKind::Collection:
        if (p.Collection && p.Collection->Count() > 0) {
          if (Depth + 1 > kMaxDepth) throw EWriteError("Objects nested too deeply");
          WritePropName(name);
          WriteCollection(*p.Collection);
        }
        continue;
      default:
        break;
    }
    if (p.IsDefault && p.IsDefault()) continue;
    const TPropValue v = p.Get();
    WritePropName(name);
    switch (p.Kind) {
      case TPropKind::Int:
      case TPropKind::Int64:
        WriteInteger(v.Int);
        break;
      case TPropKind::Bool:
        WriteBoolean(v.Int != 0);
        break;
      case TPropKind::Float:
        WriteFloat(v.Float);
        break;
      case TPropKind::String:
        WriteString(v.Str);
        break;
      case TPropKind::WideString:
        WriteWideString(v.Wide);
        break;
      case TPropKind::Enum:
        if (v.Int < 0 || v.Int >= static_cast<Int64>(p.Names.size()))
          throw EWriteError("Invalid property value of " + p.Name);
        WriteIdent(p.Names[static_cast<size_t>(v.Int)]);
        break;
      case TPropKind::Set:
        WriteSet(static_cast<uint64_t>(v.Int), p.Names);
        break;
      case TPropKind::Reference:
        WriteIdent(v.Str);
        break;
      case TPropKind::Object:
      case TPropKind::Collection:
        break;
    }
  }
  TWriteFiler filer(*this, Prefix);
  Instance.DefineProperties(filer);
}

void TWriter::WriteProperties(TPersistent& Instance) { WriteObjectProperties(Instance, String(), 0); }

void TWriter::WriteCollection(TCollection& Collection) {
  WriteValue(vaCollection);
  for (int i = 0; i < Collection.Count(); ++i) {
    WriteListBegin();
    WriteProperties(*Collection.Items(i));
    WriteListEnd();
  }
  WriteListEnd();
}

void TWriter::WriteComponent(TComponent& Component) {
  FStream.WriteBuffer(kComponentSignature, sizeof kComponentSignature);
  WriteShortString(Component.ClassName());
  WriteShortString(Component.GetName());
  Component.ComponentState.Include(csWriting);
  try {
    WriteProperties(Component);
  } catch (...) {
    Component.ComponentState.Exclude(csWriting);
    throw;
  }
  Component.ComponentState.Exclude(csWriting);
  WriteListEnd();
}

// ---------------------------------------------------------------------------
// TReader

TValueType TReader::ReadValue() { return static_cast<TValueType>(FStream.ReadByte()); }

TValueType TReader::NextValue() {
  const TValueType v = ReadValue();
  FStream.Seek(-1, soCurrent);
  return v;
}

void TReader::CheckValue(TValueType Expected) {
  if (ReadValue() != Expected) throw EReadError("Invalid property value");
}

AnsiString TReader::ReadCounted(Int64 Count) {
  // ReadBytes refuses counts beyond the data, so a lying length cannot make
  // us allocate or read past the end.
  return FStream.ReadBytes(Count);
}

String TReader::ReadShortString() { return ReadCounted(FStream.ReadByte()); }

Int64 TReader::ReadIntegerValue(TValueType Tag) {
  switch (Tag) {
    case vaInt8:
      return static_cast<int8_t>(FStream.ReadByte());
    case vaInt16:
      return FStream.ReadInt16LE();
    case vaInt32:
      return FStream.ReadInt32LE();
    case vaInt64:
      return FStream.ReadInt64LE();
    default:
      InvalidValue(String());
  }
}

Integer TReader::ReadInteger() {
  const Int64 v = ReadIntegerValue(ReadValue());
  if (v < INT32_MIN || v > INT32_MAX) InvalidValue(String());
  return static_cast<Integer>(v);
}

Int64 TReader::ReadInt64() { return ReadIntegerValue(ReadValue()); }

bool TReader::ReadBoolean() {
  const TValueType t = ReadValue();
  if (t == vaTrue) return true;
  if (t == vaFalse) return false;
  InvalidValue(String());
}

double TReader::ReadFloat() {
  const TValueType t = ReadValue();
  if (t == vaDouble) return FStream.ReadDoubleLE();
  if (IsIntTag(t)) return static_cast<double>(ReadIntegerValue(t));
  InvalidValue(String());
}

AnsiString TReader::ReadString() {
  const TValueType t = ReadValue();
  if (t == vaString) return ReadShortString();
  if (t == vaLString) {
    const Integer n = FStream.ReadInt32LE();
    if (n < 0) InvalidValue(String());
    return ReadCounted(n);
  }
  InvalidValue(String());
}

WideString TReader::ReadWideString() {
  if (ReadValue() != vaWString) InvalidValue(String());
  const Integer n = FStream.ReadInt32LE();
  if (n < 0) InvalidValue(String());
  const AnsiString bytes = ReadCounted(static_cast<Int64>(n) * 2);
  WideString r(static_cast<size_t>(n), u'\0');
  for (size_t i = 0; i < r.size(); ++i)
    r[i] = static_cast<char16_t>(static_cast<Byte>(bytes[2 * i]) |
                                 (static_cast<Byte>(bytes[2 * i + 1]) << 8));
  return r;
}

String TReader::ReadIdent() {
  if (ReadValue() != vaIdent) InvalidValue(String());
  String s = ReadShortString();
  if (s.empty()) InvalidValue(String());
  return s;
}

uint64_t TReader::ReadSet(const std::vector<String>& Names) {
  if (ReadValue() != vaSet) InvalidValue(String());
  uint64_t mask = 0;
  while (true) {
    const String name = ReadShortString();
    if (name.empty()) break;
    size_t k = 0;
    while (k < Names.size() && !SameText(Names[k], name)) ++k;
    if (k >= Names.size() || k >= 64) InvalidValue(name);
    mask |= uint64_t{1} << k;
  }
  return mask;
}

AnsiString TReader::ReadBinary() {
  if (ReadValue() != vaBinary) InvalidValue(String());
  const Integer n = FStream.ReadInt32LE();
  if (n < 0) InvalidValue(String());
  return ReadCounted(n);
}

String TReader::ReadPropName() {
  String s = ReadShortString();
  if (s.empty()) throw EReadError("Invalid property name");
  return s;
}

void TReader::SkipValue() {
  const TValueType t = ReadValue();
  switch (t) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      ReadIntegerValue(t);
      return;
    case vaDouble:
      ReadCounted(8);
      return;
    case vaString:
    case vaIdent:
      ReadShortString();
      return;
    case vaLString:
    case vaBinary: {
      const Integer n = FStream.ReadInt32LE();
      if (n < 0) InvalidValue(String());
      ReadCounted(n);
      return;
    }
    case vaWString: {
      const Integer n = FStream.ReadInt32LE();
      if (n < 0) InvalidValue(String());
      ReadCounted(static_cast<Int64>(n) * 2);
      return;
    }
    case vaSet:
      while (!ReadShortString().empty()) {
      }
      return;
    case vaList:
      while (NextValue() != vaNull) SkipValue();
      ReadValue();
      return;
    case vaCollection:
      // Skipping is only for flat values here; a collection is read by its
      // property.
    default:
      InvalidValue(String());
  }
}

namespace {

// Finds the custom property called Name and reads its value.
class TReadFiler : public TFiler {
public:
  TReadFiler(TReader& reader, const String& name) : FReader(reader), FName(name) {}
  void DefineProperty(const String& Name, std::function<void(TReader&)> ReadData,
                      std::function<void(TWriter&)>, bool) override {
    if (Found || !SameText(Name, FName)) return;
    Found = true;
    if (ReadData) {
      ReadData(FReader);
    } else {
      FReader.SkipValue();
    }
  }
  void DefineBinaryProperty(const String& Name, std::function<void(TStream&)> ReadData,
                            std::function<void(TStream&)>, bool) override {
    if (Found || !SameText(Name, FName)) return;
    Found = true;
    TStringStream data(FReader.ReadBinary());
    if (ReadData) ReadData(data);
  }
  bool Found = false;

private:
  TReader& FReader;
  String FName;
};

}  // namespace

void TReader::ReadProperty(TPersistent& Instance, const TPropertyList& list, const String& Name,
                           int Depth) {
  if (Depth > kMaxDepth) throw EReadError("Objects nested too deeply");
  const size_t dot = Name.find('.');
  if (dot != String::npos) {
    const TPropInfo* p = list.Find(Name.substr(0, dot));
    if (!p || p->Kind != TPropKind::Object)
      throw EReadError("Property " + Name + " does not exist");
    TPersistent* obj = p->GetOrCreateObject ? p->GetOrCreateObject() : nullptr;
    if (!obj) throw EReadError("Property " + Name + " does not exist");
    TPropertyList inner;
    obj->DeclareProperties(inner);
    ReadProperty(*obj, inner, Name.substr(dot + 1), Depth + 1);
    return;
  }
  const TPropInfo* p = list.Find(Name);
  if (!p) {
    TReadFiler filer(*this, Name);
    Instance.DefineProperties(filer);
    if (!filer.Found) throw EReadError("Property " + Name + " does not exist");
    return;
  }
  TPropValue v;
  switch (p->Kind) {
    case TPropKind::Int:
    case TPropKind::Int64:
      v.Int = ReadIntegerValue(ReadValue());
      if (v.Int < p->Min || v.Int > p->Max) InvalidValue(Name);
      break;
    case TPropKind::Bool:
      v.Int = ReadBoolean() ? 1 : 0;
      break;
    case TPropKind::Float:
      v.Float = ReadFloat();
      break;
    case TPropKind::String:
      v.Str = ReadString();
      break;
    case TPropKind::WideString:
      v.Wide = ReadWideString();
      break;
    case TPropKind::Enum: {
      const String ident = ReadIdent();
      size_t k = 0;
      while (k < p->Names.size() && !SameText(p->Names[k], ident)) ++k;
      if (k >= p->Names.size()) InvalidValue(Name);
      v.Int = static_cast<Int64>(k);
      break;
    }
    case TPropKind::Set:
      v.Int = static_cast<Int64>(ReadSet(p->Names));
      break;
    case TPropKind::Reference: {
      const TValueType t = ReadValue();
      if (t == vaIdent) {
        v.Str = ReadShortString();
      } else if (t != vaNil) {
        InvalidValue(Name);
      }
      break;
    }
    case TPropKind::Collection:
      if (!p->Collection) throw EReadError("Property " + Name + " does not exist");
      ReadCollectionBody(*p->Collection, Depth + 1);
      return;
    case TPropKind::Object:
      throw EReadError("Invalid property value of " + Name);
  }
  p->Set(v);
}

void TReader::ReadPropertiesAt(TPersistent& Instance, int Depth) {
  TPropertyList list;
  Instance.DeclareProperties(list);
  while (NextValue() != vaNull) ReadProperty(Instance, list, ReadPropName(), Depth);
  ReadValue();
}

void TReader::ReadCollectionBody(TCollection& Collection, int Depth) {
  if (Depth > kMaxDepth) throw EReadError("Objects nested too deeply");
  if (ReadValue() != vaCollection) throw EReadError("Invalid stream format");
  Collection.BeginUpdate();
  try {
    Collection.Clear();
    while (NextValue() != vaNull) {
      ReadListBegin();
      TCollectionItem* item = Collection.Add();
      ReadPropertiesAt(*item, Depth + 1);
    }
    ReadValue();
  } catch (...) {
    Collection.EndUpdate();
    throw;
  }
  Collection.EndUpdate();
}

namespace {

// Readers nest through custom properties (a table cell's document holds
// tables whose cells hold documents ...); the count of readers active on this
// thread bounds that, so crafted data cannot exhaust the stack.
constexpr int kMaxNestedReads = 64;
thread_local int gNestedReads = 0;

struct TNestedRead {
  TNestedRead() {
    if (gNestedReads >= kMaxNestedReads) throw EReadError("Objects nested too deeply");
    ++gNestedReads;
  }
  ~TNestedRead() { --gNestedReads; }
  TNestedRead(const TNestedRead&) = delete;
  TNestedRead& operator=(const TNestedRead&) = delete;
};

// Anything that goes wrong while reading is a read error to the caller.
template <typename F>
void AsReadError(F&& f) {
  const TNestedRead nesting;
  try {
    f();
  } catch (const EReadError&) {
    throw;
  } catch (const Exception& e) {
    throw EReadError(e.Message);
  } catch (const std::exception& e) {
    throw EReadError(e.what());
  }
}

}  // namespace

void TReader::ReadCollection(TCollection& Collection) {
  AsReadError([&] { ReadCollectionBody(Collection, 0); });
}

void TReader::ReadProperties(TPersistent& Instance) {
  AsReadError([&] { ReadPropertiesAt(Instance, 0); });
}

String TReader::PeekComponentClassName() {
  const Int64 pos = FStream.GetPosition();
  String name;
  AsReadError([&] {
    char sig[4];
    FStream.ReadBuffer(sig, 4);
    if (std::memcmp(sig, kComponentSignature, 4) != 0) throw EReadError("Invalid stream format");
    name = ReadShortString();
  });
  FStream.SetPosition(pos);
  return name;
}

void TReader::ReadComponent(TComponent& Component) {
  AsReadError([&] {
    char sig[4];
    FStream.ReadBuffer(sig, 4);
    if (std::memcmp(sig, kComponentSignature, 4) != 0) throw EReadError("Invalid stream format");
    const String className = ReadShortString();
    if (!SameText(className, Component.ClassName()))
      throw EReadError("Stream holds a " + className + ", not a " + Component.ClassName());
    const String name = ReadShortString();
    Component.ComponentState += TComponentState{csLoading, csReading};
    try {
      if (!name.empty()) Component.SetName(name);
      ReadPropertiesAt(Component, 0);
    } catch (...) {
      Component.ComponentState -= TComponentState{csLoading, csReading};
      throw;
    }
    Component.ComponentState.Exclude(csReading);
    Component.Loaded();
  });
}

// ---------------------------------------------------------------------------

AnsiString CollectionToBytes(TCollection& Collection) {
  TMemoryStream s;
  TWriter w(s);
  w.WriteCollection(Collection);
  return s.Bytes();
}

void CollectionFromBytes(TCollection& Collection, const AnsiString& Bytes) {
  TStringStream s(Bytes);
  TReader r(s);
  r.ReadCollection(Collection);
  if (s.Remaining() != 0) throw EReadError("Invalid stream format");
}

void WriteComponentToStream(TStream& Stream, TComponent& Component) {
  TWriter w(Stream);
  w.WriteComponent(Component);
}

void ReadComponentFromStream(TStream& Stream, TComponent& Component) {
  TReader r(Stream);
  r.ReadComponent(Component);
}
