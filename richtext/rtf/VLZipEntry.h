#pragma once
// One entry of a ZIP file (a packaged document a converter wrote) changed in
// place: its text goes through edit and is stored again uncompressed, every
// other entry is copied byte for byte, in its order.
#include "platform/base/Components.h"

#include <functional>
#include <string>

// False, the file as it was, when it is no ZIP file read here (split,
// ZIP64, encrypted or compressed other than by deflate), has no entry of
// that name, edit answers false, or the file cannot be written again.
bool VLEditZipEntry(const String& fileName, const String& entryName, const std::function<bool(std::string&)>& edit);
