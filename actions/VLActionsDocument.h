#pragma once
// Commands on the document as a whole: its background colour, and its
// colour, picture and placement through the Background dialog.
#include "actions/VLActionsColor.h"

class TvlActionColor : public TvlActionCustomColor {
public:
  explicit TvlActionColor(TComponent* AOwner);
  // Sets the document's colour; a document that saves its background is
  // marked changed. A protected document is left as it is.
  void ApplyColor(TVLActionEditor* Editor, Integer UserData) override;
  // The document's colour, else the style sheet's.
  TColor GetCurrentColor(TVLActionEditor* Editor) override;
};

// The Background dialog on the target editor.
class TvlActionBackground : public TvlAction {
public:
  explicit TvlActionBackground(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
};
