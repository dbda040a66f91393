#include "app/QYVersionInfo.h"

#include "QYVersion.h"

const char* const VersionValueNames[10] = {
    "CompanyName",    "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTradeMarks", "OriginalFileName", "ProductName", "ProductVersion", "Comments"};

const TVersionBlock& ProgramVersionBlock() {
  static const TVersionBlock block = {
      {"CompanyName", "Brixane"},
      {"FileDescription", "Quillory journal"},
      {"FileVersion", QY_VERSION_STRING},
      {"InternalName", "Quillory"},
      {"LegalCopyright", "Copyright \xC2\xA9 2026 Brixane. All rights reserved."},
      {"OriginalFileName", "quillory"},
      {"ProductName", "Quillory"},
      {"ProductVersion", QY_VERSION_STRING},
  };
  return block;
}

bool QueryVersionValue(const TVersionBlock& block, const String& name, String& value) {
  for (const auto& [key, text] : block)
    if (key == name) {
      value = text;
      return true;
    }
  return false;
}
