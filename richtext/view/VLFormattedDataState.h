#pragma once
// Working state of one layout run, shared by the layout routines of
// TCustomVLFormattedData (full Format and the partial reformat).
#include "richtext/view/VLFormattedData.h"

struct TVLFormatState {
  TVLResolutionInfo Res;
  TCanvas* Canvas = nullptr;
  TVLStyle* Style = nullptr;
  Word Flags = 0;
  bool ItemFlag = false;
  bool SharedItems = false;
  // A document that keeps its width (paper) wraps every line at it, an
  // unwrapped paragraph's too: nothing may run past the page's edge.
  bool WrapsAll = false;
  Integer ParaStartItem = 0;
  Integer X = 0;
  Integer LeftEdge = 0;
  Integer LineWidth = 0;
  Integer Baseline = 0;
  Integer LineAscent = 0;
  Integer LineDescent = 0;
  Integer PendingSpace = 0;
  bool NewParaPending = true;
  bool SpaceConsumed = false;
  bool NoLineYet = true;
  // The line so far holds only the start of a word wider than the line: the
  // word is split where the line is full, in whichever item that is.
  bool SplitsWord = false;
  Integer CurTextStyle = -1;
  TTextMetric TM;
  Integer VShiftPx = 0;
  Integer ExternalLeading = 0;
  // Where the next draw item goes, and the first draw item of the line.
  Integer InsertAt = 0;
  Integer LineStart = -1;
  // Draw items before this one are never trimmed (a partial reformat's
  // neighbours).
  Integer TrimFloor = 0;
  // The last item whose layout is complete.
  Integer LastFinished = -1;
  // The item being laid out, and the one after it once a look-ahead fetched
  // it: fetched once for the run.
  TCustomVLItemInfo* Item = nullptr;
  Integer ItemNo = -1;
  TCustomVLItemInfo* Next = nullptr;
  const TVLMeasuredText* NextText = nullptr;
  Integer NextNo = -1;
  // The paragraph style of Item.
  TParaInfo* Para = nullptr;
  // The text item being laid out: its display text and cumulative extents.
  Integer TextItemNo = -1;
  std::u16string_view Text;
  std::span<const Integer> Ext;
  char16_t Char(Integer i) const { return Text[static_cast<size_t>(i)]; }

  // Width of units [from, from + count) of the current text.
  Integer Width(Integer from, Integer count) const {
    const std::span<const Integer> e = Ext;
    const Integer right = from + count > 0 ? e[static_cast<size_t>(from + count - 1)] : 0;
    const Integer left = from > 0 ? e[static_cast<size_t>(from - 1)] : 0;
    return right - left;
  }
};
