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

// The text of one entry of a ZIP file, at most maxBytes of it unpacked; false
// when the file is no ZIP file read here, has no such entry, or the entry
// is larger or damaged.
bool VLReadZipEntry(const String& fileName, const String& entryName, std::string& text, size_t maxBytes);
