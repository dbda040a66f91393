#pragma once
// Making and editing hyperlinks: with a selection the command gives the
// selected text (and pictures) a link target and a hypertext style; with the
// caret in or beside a link it selects that link first; otherwise it inserts
// new link text. Targets live in the items' string tags.
#include "actions/VLActionsColor.h"

enum TVLHyperlinkProperty {
  vlhlBold, vlhlItalic, vlhlUnderline, vlhlStrikeout, vlhlColor, vlhlBackColor, vlhlHoverColor,
  vlhlHoverBackColor, vlhlCursor, vlhlJump
};
using TVLHyperlinkProperties = TSet<TVLHyperlinkProperty>;

class TvlActionInsertHyperlink;
// Replaces the built-in dialog.
using TVLHyperlinkFormEvent =
    std::function<void(TObject* Sender, bool InsertNew, String& Text, String& Target, bool& Proceed)>;

class TvlActionInsertHyperlink : public TvlActionTextStyles {
public:
  explicit TvlActionInsertHyperlink(TComponent* AOwner);

  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;

  // Asks for text and target; true when confirmed.
  bool ShowHyperlinkForm(bool InsertNew, String& Text, String& Target);
  // Selects the link at a bare caret, then answers whether a non-empty
  // selection exists and the target all its link-capable items share.
  bool GetSelectionTarget(TVLActionEditor* Editor, String& Target);
  // The hypertext variant of the current text style (added when missing).
  Integer GetHyperlinkStyleNo(TVLActionEditor* Editor);
  // Links the selection, or unlinks it for an empty target; one undo step.
  void ApplyTargetToSelection(TVLActionEditor* Editor, const String& Target);
  // Line breaks removed; blanks replaced by SpaceFiller unless it holds one.
  String NormalizeTarget(const String& Source) const;
  // Follows a link target through the link policy: only web and mail links
  // open; any other target gets the "Cannot navigate" message.
  static bool OpenLink(const String& Target);

  TColor Color = clBlue;
  TColor HoverColor = clBlue;
  TColor BackColor = clNone;
  TColor HoverBackColor = clNone;
  TFontStyles Style{fsUnderline};
  Word Cursor = crJump;
  TVLHyperlinkProperties ValidProperties{vlhlUnderline, vlhlColor,          vlhlBackColor, vlhlHoverColor,
                                         vlhlHoverBackColor, vlhlCursor, vlhlJump};
  bool SetToPictures = true;
  String SpaceFiller = " ";
  TVLHyperlinkFormEvent OnHyperlinkForm;

protected:
  void ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;

private:
  // Style 0 of the sheet while links are removed.
  TFontInfo* NormalStyle = nullptr;
};
