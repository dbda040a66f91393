#pragma once
// The program's version block: the ten named values the about box and the
// cover show, fixed when the program is built.
#include "platform/base/Types.h"

#include <utility>
#include <vector>

using TVersionBlock = std::vector<std::pair<String, String>>;

// The names, in the order the about box reads them.
extern const char* const VersionValueNames[10];

// This program's block.
const TVersionBlock& ProgramVersionBlock();
// The value of one name; false (value untouched) when the block lacks it.
bool QueryVersionValue(const TVersionBlock& block, const String& name, String& value);
