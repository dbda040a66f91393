#pragma once
// What the two HTML writers (plain and with CSS) share while walking one
// document: anchors, link tags, item text, list nesting and image files.
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"

#include <functional>
#include <set>
#include <vector>

class TVLHTMLWriterCore {
public:
  TVLHTMLWriterCore(TCustomVLData& data, TStream& stream, TVLHTMLSaveContext& ctx, bool css);

  void Str(const AnsiString& s);
  void Line(const AnsiString& s);

  // An anchor for a checkpoint; ids are made unique within the page.
  void Anchor(const TVLCPInfo& cp, bool lineEndBefore);
  // "<A attrs href=…>" for a hypertext item, empty when it has no link.
  AnsiString LinkTag(Integer itemNo, const AnsiString& attrs);
  // The text of a text item as HTML.
  AnsiString ItemText(Integer itemNo);
  // Whether the item's text starts (before) or ends its line there, or meets
  // a blank of the neighbouring run: a blank of its own there is written hard.
  bool BlankEdge(Integer itemNo, bool before);
  AnsiString ParaExtra(Integer itemNo, bool isStart);

  // List nesting. A deeper level opens inside the open list item (a level
  // skipped gets an unmarked item of its own), as HTML wants lists nested,
  // also where it is a level of another list.
  struct TOpenLevel {
    const TVLListLevel* Level = nullptr;
    Integer ListNo = -1;
    bool ItemOpen = false;
  };
  void CloseListsTo(size_t depth);
  void CloseAllLists() { CloseListsTo(0); }
  // Opens the levels down to the marker's and closes the previous item;
  // the caller writes the new "<LI…>".
  void PrepareListItem(const TVLMarkerItemInfo& marker, const TVLListLevel& level);
  bool ListItemOpen() const { return !Lists.empty() && Lists.back().ItemOpen; }
  // A numbered item whose marker is not of the browser's own form ("a)"
  // where it draws "a."): the CSS that draws the marker as it is, and, with
  // vlsoConverterHints, the element that starts the item and tells the
  // document converter's filter the form it can hold; empty otherwise.
  struct TListItemForm {
    AnsiString CSS, Start;
  };
  TListItemForm ListItemForm(const TVLMarkerItemInfo& marker, TVLListLevel& level);
  void SetListItemOpen() { Lists.back().ItemOpen = true; }
  // Called before a list item is closed or a list opens inside it.
  std::function<void()> BeforeListItemEnds;

  // The page background saved as an image file; empty when none.
  String SaveBackground(const TVLBackgroundImage* background, TColor color);

  TCustomVLData& D;
  TStream& S;
  TVLHTMLSaveContext& Ctx;
  bool CSS;
  TVLStyle* Style;
  AnsiString CPPrefix = "VellumCheckpoint";
  Integer CPCounter = 0;
  std::vector<TOpenLevel> Lists;

private:
  std::set<AnsiString> FIds;
};

// An image file of an image-list image or a list picture, shared by every
// item of the export that shows the same image on the same background.
String VLSaveBulletForHTML(TCustomVLData& data, TVLHTMLSaveContext& ctx, TComponent* imageList,
                           Integer imageIndex, const TGraphic* graphic, TColor backColor);
// " style=\"…\"" when css is not empty.
AnsiString VLStyleAttr(const AnsiString& css);
// CSS declarations of a text or paragraph style on one line, for a style
// attribute.
AnsiString VLTextStyleInlineCSS(const TFontInfo& style);
AnsiString VLParaStyleInlineCSS(const TParaInfo& style);
