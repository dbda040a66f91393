#pragma once
// Property streaming: persistent objects, collections and components
// written as lists of named, typed values in a compact binary form, and
// read back with every length and tag checked.
//
// A class lists its published properties in DeclareProperties (name, type,
// where the value lives, default) and any custom properties in
// DefineProperties. Only values that differ from their default are written.
//
//   void TFontInfo::DeclareProperties(TPropertyList& L) {
//     TCustomVLInfo::DeclareProperties(L);
//     L.AddString("FontName", FontName, "Arial");
//     L.AddInt("Size", Size, 10);
//     L.AddEnum("Alignment", Alignment, {"vlaLeft", "vlaRight"}, vlaLeft);
//     L.AddSet("Style", Style, {"fsBold", "fsItalic"}, TFontStyles{});
//     L.AddObject("Border", &Border);
//     L.AddCollection("Levels", Levels);
//   }
//   void TFontInfo::DefineProperties(TFiler& F) {
//     TCustomVLInfo::DefineProperties(F);
//     F.DefineProperty("SingleSymbols",
//                      [this](TReader& R) { if (R.ReadBoolean()) ...; }, nullptr, false);
//   }
//
// Format. Values start with a tag byte (TValueType); integers are written in
// the smallest of 1, 2, 4 or 8 bytes, all little-endian. A collection is
// vaCollection (14), then per item vaList, the item's properties and vaNull,
// then vaNull. A property is its name (a length byte and the bytes) and a
// value; properties of a nested object carry dotted names ("Border.Width").
// A component is the signature "QPS1", its class name, its name, its
// properties and vaNull.
#include "platform/base/Components.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <limits>
#include <type_traits>
#include <vector>

enum TValueType : Byte {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaDouble = 5,
  vaString = 6,  // length byte + bytes
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,  // 32-bit length + bytes
  vaSet = 11,     // identifiers, ended by an empty one
  vaLString = 12, // 32-bit length + bytes
  vaNil = 13,
  vaCollection = 14,
  vaWString = 18,  // 32-bit count of UTF-16 units + units
  vaInt64 = 19,
};

class TReader;
class TWriter;

// The kinds of published property.
enum class TPropKind { Int, Int64, Bool, Float, String, WideString, Enum, Set, Reference, Object, Collection };

// A value in transit between an object and a stream. Enumerations and
// booleans use Int; sets use Int as the bit mask.
struct TPropValue {
  Int64 Int = 0;
  double Float = 0;
  AnsiString Str;
  WideString Wide;
};

struct TPropInfo {
  String Name;
  TPropKind Kind = TPropKind::Int;
  Int64 Min = INT32_MIN, Max = INT32_MAX;  // accepted range of Int values
  std::vector<String> Names;               // identifiers of Enum and Set values
  std::function<TPropValue()> Get;
  std::function<void(const TPropValue&)> Set;
  std::function<bool()> IsDefault;
  // Stored: false keeps the property out of the stream (it is still read).
  std::function<bool()> Stored;
  // Object: the object to write (nullptr: none, nothing written) and the
  // object to read into (may create it).
  std::function<TPersistent*()> GetObject;
  std::function<TPersistent*()> GetOrCreateObject;
  TCollection* Collection = nullptr;

  TPropInfo& StoredIf(std::function<bool()> Predicate) {
    Stored = std::move(Predicate);
    return *this;
  }
};

// What DeclareProperties fills in. Field overloads bind the property to a
// member; the ...Prop overloads take a getter and a setter.
class TPropertyList {
public:
  template <typename T>
  TPropInfo& AddInt(const String& Name, T& Field, std::type_identity_t<T> Default) {
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 4,
                  "an integer of up to 32 bits (AddBool for booleans)");
    TPropInfo& p = AddIntProp(
        Name, [&Field] { return static_cast<Int64>(Field); },
        [&Field](Int64 v) { Field = static_cast<T>(v); }, static_cast<Int64>(Default));
    p.Min = static_cast<Int64>(std::numeric_limits<T>::min());
    p.Max = static_cast<Int64>(std::numeric_limits<T>::max());
    return p;
  }
  TPropInfo& AddIntProp(const String& Name, std::function<Int64()> Get,
                        std::function<void(Int64)> Set, Int64 Default);
  TPropInfo& AddInt64(const String& Name, Int64& Field, Int64 Default);
  TPropInfo& AddInt64Prop(const String& Name, std::function<Int64()> Get,
                          std::function<void(Int64)> Set, Int64 Default);
  TPropInfo& AddBool(const String& Name, bool& Field, bool Default);
  TPropInfo& AddBoolProp(const String& Name, std::function<bool()> Get,
                         std::function<void(bool)> Set, bool Default);
  TPropInfo& AddFloat(const String& Name, double& Field, double Default);
  TPropInfo& AddFloatProp(const String& Name, std::function<double()> Get,
                          std::function<void(double)> Set, double Default);
  // 8-bit strings (bytes).
  TPropInfo& AddString(const String& Name, AnsiString& Field, const AnsiString& Default);
  TPropInfo& AddStringProp(const String& Name, std::function<AnsiString()> Get,
                           std::function<void(const AnsiString&)> Set, const AnsiString& Default);
  TPropInfo& AddWideString(const String& Name, WideString& Field, const WideString& Default);
  TPropInfo& AddWideStringProp(const String& Name, std::function<WideString()> Get,
                               std::function<void(const WideString&)> Set,
                               const WideString& Default);
  // An enumeration written as the identifier of its value; Names[k] is the
  // identifier of value k.
  template <typename E>
  TPropInfo& AddEnum(const String& Name, E& Field, std::initializer_list<const char*> Names,
                    std::type_identity_t<E> Default) {
    return AddEnumProp(
        Name, [&Field] { return static_cast<Int64>(Field); },
        [&Field](Int64 v) { Field = static_cast<E>(v); }, Names, static_cast<Int64>(Default));
  }
  TPropInfo& AddEnumProp(const String& Name, std::function<Int64()> Get,
                         std::function<void(Int64)> Set, std::initializer_list<const char*> Names,
                         Int64 Default);
  // A set written as the identifiers of its members.
  template <typename E>
  TPropInfo& AddSet(const String& Name, TSet<E>& Field, std::initializer_list<const char*> Names,
                    std::type_identity_t<TSet<E>> Default) {
    return AddSetProp(
        Name, [&Field] { return Field.ToMask(); },
        [&Field](uint64_t m) { Field = TSet<E>::FromMask(m); }, Names, Default.ToMask());
  }
  TPropInfo& AddSetProp(const String& Name, std::function<uint64_t()> Get,
                        std::function<void(uint64_t)> Set, std::initializer_list<const char*> Names,
                        uint64_t Default);
  // A reference to another component by name; "" (no reference) is the
  // default and is not written.
  TPropInfo& AddReference(const String& Name, std::function<String()> Get,
                          std::function<void(const String&)> Set);
  // A nested object that always exists.
  TPropInfo& AddObject(const String& Name, TPersistent* Object);
  // A nested object that may be absent: GetObject answers nullptr then and
  // nothing is written; reading calls GetOrCreateObject.
  TPropInfo& AddObject(const String& Name, std::function<TPersistent*()> GetObject,
                       std::function<TPersistent*()> GetOrCreateObject);
  // A collection (written when it has items).
  TPropInfo& AddCollection(const String& Name, TCollection* Collection);

  const std::deque<TPropInfo>& Items() const { return FItems; }
  const TPropInfo* Find(const String& Name) const;  // case-insensitive

private:
  TPropInfo& Add(TPropInfo Info);
  std::deque<TPropInfo> FItems;
};

// The custom properties of an object (DefineProperties). A property whose
// write procedure is null, or whose HasData is false, is never written but
// is still read.
class TFiler {
public:
  virtual ~TFiler() = default;
  virtual void DefineProperty(const String& Name, std::function<void(TReader&)> ReadData,
                              std::function<void(TWriter&)> WriteData, bool HasData) = 0;
  // Binary data: the read procedure gets a stream holding exactly the
  // property's bytes; the write procedure writes into an empty stream.
  virtual void DefineBinaryProperty(const String& Name, std::function<void(TStream&)> ReadData,
                                    std::function<void(TStream&)> WriteData, bool HasData) = 0;
};

// Writes values, objects, collections and components to a stream.
class TWriter {
public:
  explicit TWriter(TStream& Stream) : FStream(Stream) {}

  void WriteCollection(TCollection& Collection);
  // The properties of Instance that differ from their defaults, then its
  // custom properties; no end marker.
  void WriteProperties(TPersistent& Instance);
  void WriteComponent(TComponent& Component);

  void WriteValue(TValueType Value) { FStream.WriteByte(Value); }
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(Int64 Value);  // smallest integer tag that holds it
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteFloat(double Value);
  void WriteString(const AnsiString& Value);
  void WriteWideString(const WideString& Value);
  void WriteIdent(const String& Ident);  // at most 255 bytes (EWriteError)
  void WriteSet(uint64_t Mask, const std::vector<String>& Names);
  void WriteBinary(const AnsiString& Bytes);
  void WritePropName(const String& Name);

  TStream& Stream() { return FStream; }

private:
  void WriteShortString(const String& S);
  void WriteObjectProperties(TPersistent& Instance, const String& Prefix, int Depth);
  TStream& FStream;
};

// Reads what TWriter wrote. Anything malformed (a truncated stream, a bad
// tag, a length longer than the data, an unknown property, a value outside
// its property's range, nesting deeper than 32) raises EReadError; the
// reader never reads beyond the end of the stream. Readers started from
// inside custom properties count as nesting too: more than 64 at once on
// one thread is refused.
class TReader {
public:
  explicit TReader(TStream& Stream) : FStream(Stream) {}

  // The collection's items are replaced by those read. The first byte must
  // be vaCollection.
  void ReadCollection(TCollection& Collection);
  // Properties up to and including the vaNull that ends them.
  void ReadProperties(TPersistent& Instance);
  // Reads into an existing component; its class name must match the one in
  // the stream (EReadError otherwise).
  void ReadComponent(TComponent& Component);
  // The class name at the start of a component stream; the position is
  // left unchanged.
  String PeekComponentClassName();

  TValueType ReadValue();
  TValueType NextValue();  // without consuming it
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  Integer ReadInteger();  // 32-bit range
  Int64 ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  AnsiString ReadString();
  WideString ReadWideString();
  String ReadIdent();
  uint64_t ReadSet(const std::vector<String>& Names);
  AnsiString ReadBinary();
  String ReadPropName();
  // Skips one value of any kind.
  void SkipValue();

  TStream& Stream() { return FStream; }

private:
  void CheckValue(TValueType Expected);
  String ReadShortString();
  AnsiString ReadCounted(Int64 Count);
  Int64 ReadIntegerValue(TValueType Tag);
  void ReadCollectionBody(TCollection& Collection, int Depth);
  void ReadPropertiesAt(TPersistent& Instance, int Depth);
  void ReadProperty(TPersistent& Instance, const TPropertyList& List, const String& Name, int Depth);
  TStream& FStream;
};

// Whole-stream helpers: the collection or component as bytes and back.
// The readers turn every failure into EReadError.
AnsiString CollectionToBytes(TCollection& Collection);
void CollectionFromBytes(TCollection& Collection, const AnsiString& Bytes);
void WriteComponentToStream(TStream& Stream, TComponent& Component);
void ReadComponentFromStream(TStream& Stream, TComponent& Component);
