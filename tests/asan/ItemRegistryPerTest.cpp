// The item registry is the whole program's, and the tests here come from
// several folders: the document model's expect no class for the table's
// number, the editor's and the table's expect the table item. Each test
// starts with the registry its own folder expects.
#include "richtext/table/VLTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TTableItemPerTest : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& info) override {
    if (std::string(info.file()).find("/tests/richtext/model/") != std::string::npos)
      UnregisterItemClass(vlsTable);
    else
      RegisterItemClass(vlsTable, VLItemClassOf<TVLTableItemInfo>());
  }
};

[[maybe_unused]] const bool Installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new TTableItemPerTest);
  return true;
}();

}  // namespace
