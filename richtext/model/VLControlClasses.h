#pragma once
// The control classes a document may embed, registered by name, and how a
// control's state travels in a document: its stored properties and those of
// its children, in the property-streaming format. A class name that is not
// registered here is never instantiated.
#include "platform/gui/Controls.h"

#include <functional>
#include <memory>

class TPropertyList;

struct TVLControlClass {
  // The name written in documents ("TButton").
  String Name;
  // A new hidden control owned by owner (nullptr: none).
  std::function<TControl*(TComponent* owner)> Create;
  // True for a control of exactly this class.
  std::function<bool(const TControl*)> IsOf;
  // The properties a document keeps beyond the common ones.
  std::function<void(TControl&, TPropertyList&)> Declare;
};

// Adds a class (a name already registered is replaced).
void RegisterVLControlClass(const TVLControlClass& cls);
// Takes a class back (none of that name: nothing happens).
void UnregisterVLControlClass(const String& name);
// nullptr for a name not registered (case matters, as in documents).
const TVLControlClass* FindVLControlClass(const String& name);
// The registered class of a control, nullptr when it has none.
const TVLControlClass* VLControlClassOf(const TControl* control);

// The control's state: size, colour, font, its class's own properties and
// its registered children (a panel's).
AnsiString VLControlToBytes(TControl& control);
// Restores what VLControlToBytes wrote; false for damaged or foreign data
// (the control may then be partly set). Children of unregistered classes
// are skipped.
bool VLControlFromBytes(TControl& control, const AnsiString& bytes);
