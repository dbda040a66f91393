#pragma once
// Passwords typed into an edit: taken out so that they stay nowhere else.
#include "platform/base/Types.h"

class TEdit;

// The edit's text, the edit then emptied, its buffers and undo wiped with
// the conversion's: the returned string is the only copy left.
String TakeEditText(TEdit& edit);
