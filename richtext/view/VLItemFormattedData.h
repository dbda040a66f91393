#pragma once
// A document inside an item (a table cell): laid out and painted like the
// view's document, but without window, margins, scrolling or events of its
// own; document-wide questions go to its owner and root.
#include "richtext/model/VLClasses.h"
#include "richtext/view/VLFormattedData.h"

// Owns nested documents and answers for them (the base of a table row).
class TVLDataList : public TVLList {
public:
  TVLDataList() = default;
  // The document that holds the owning item; none in the base.
  virtual TCustomVLData* GetParentData() { return nullptr; }
  // Layout flags of the nested documents: spaces swallowed at soft breaks,
  // mouse selection; hypertext areas are registered by the owning item.
  Word Flags = vllfNestedDefault;
};

class TVLItemFormattedData : public TCustomVLFormattedData {
public:
  explicit TVLItemFormattedData(TVLDataList* owner) : Owner(owner) {}

  Word GetLayoutFlags() override { return Owner ? Owner->Flags : vllfNestedDefault; }
  // Raises EVellumError: the flags belong to the owner.
  void SetLayoutFlags(Word value) override;
  TCustomVLData* GetParentData() override { return Owner ? Owner->GetParentData() : nullptr; }
  TCustomVLData* GetAbsoluteParentData() override { return GetParentData(); }
  TCustomVLData* GetRootData() override;
  TCustomVLData* GetAbsoluteRootData() override;

  Integer GetDocumentWidth() override { return 0; }
  Integer GetLeftMargin() override { return 0; }
  Integer GetRightMargin() override { return 0; }
  Integer GetTopMargin() override { return 0; }
  Integer GetBottomMargin() override { return 0; }
  Integer GetMinTextWidth() override { return 0; }
  Integer GetMaxTextWidth() override { return 0; }
  Integer GetVSmallStep() override { return 0; }
  TVLBackground* GetBackground() override { return nullptr; }
  void SetDocumentSize(Integer width, Integer height, bool reformat) override {}
  void AdjustVScrollStep() override {}
  void VScrollTo(Integer y) override {}
  void HScrollTo(Integer x) override {}
  // The whole nested document counts as visible.
  Integer GetFirstItemVisible() override { return 0; }
  Integer GetLastItemVisible() override { return GetItemCount() - 1; }

  TVLDataList* Owner;
};
