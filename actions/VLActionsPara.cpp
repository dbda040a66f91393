#include "actions/VLActionsPara.h"

#include <algorithm>
#include <memory>

void ConvertParaStyleThrough(TObject* Action, TVLActionEditor* Sender, Integer StyleNo, Integer& NewStyleNo,
                             const std::function<void(TVLActionEditor*, TParaInfo&, Integer)>& Step) {
  TVLStyle* sheet = Sender->GetStyle();
  if (!sheet) return;
  TParaInfos& styles = *sheet->ParaStyles;
  TParaInfo* s = styles.Items(StyleNo);
  if (s->Options.Contains(vlpaoStyleProtect)) return;
  auto copy = std::make_unique<TParaInfo>(nullptr);
  copy->Assign(s);
  Step(Sender, *copy, StyleNo);
  NewStyleNo = styles.FindSuchStyle(StyleNo, *copy, vlpiAll);
  if (NewStyleNo < 0) {
    TParaInfo* added = styles.Add();
    NewStyleNo = styles.Count() - 1;
    added->Assign(copy.get());
    added->Standard = false;
    FireStyleAdded(Action, added);
  }
}

namespace {
void WithParaConversion(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler,
                        const std::function<void()>& Run) {
  TVLActionStyleConversionEvent saved = Editor->GetOnParaStyleConversion();
  SetParaStyleConversionHandler(Editor, Handler);
  try {
    Run();
  } catch (...) {
    SetParaStyleConversionHandler(Editor, saved);
    throw;
  }
  SetParaStyleConversionHandler(Editor, saved);
}
}  // namespace

TvlActionParaStyles::TvlActionParaStyles(TComponent* AOwner) : TvlAction(AOwner) { MessageID = 77; }

void TvlActionParaStyles::ApplyParaConversion(TVLActionEditor* Editor, Integer UserData) {
  if (!Editor) return;
  auto handler = [this](TVLActionEditor* Sender, Integer StyleNo, Integer Data, bool, Integer& NewStyleNo) {
    ConvertParaStyleThrough(this, Sender, StyleNo, NewStyleNo,
                            [this, Data](TVLActionEditor* e, TParaInfo& copy, Integer no) {
                              ConvertParaStyle(e, copy, no, Data);
                            });
  };
  WithParaConversion(Editor, handler, [Editor, UserData] { Editor->ApplyParaStyleConversion(UserData); });
}

void TvlActionParaStyles::ExecuteTarget(TObject* Target) { ApplyParaConversion(GetControl(Target), 0); }

TParaInfo* TvlActionParaStyles::CurrentParaStyle(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  TVLStyle* sheet = editor ? editor->GetStyle() : nullptr;
  if (!sheet) throw EInvalidOperation("The editor has no style sheet");
  return sheet->ParaStyles->Items(editor->GetCurParaStyleNo());
}

// ---------------------------------------------------------------------------

TvlActionWordWrap::TvlActionWordWrap(TComponent* AOwner) : TvlActionParaStyles(AOwner) {
  MessageID = 83;
  Localize();
}

void TvlActionWordWrap::UpdateTarget(TObject* Target) {
  try {
    SetChecked(!CurrentParaStyle(Target)->Options.Contains(vlpaoNoWrap));
    SetEnabled(StandardEnabled());
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlActionWordWrap::ConvertParaStyle(TVLActionEditor*, TParaInfo& ParaInfo, Integer, Integer) {
  if (GetChecked())
    ParaInfo.Options.Include(vlpaoNoWrap);
  else
    ParaInfo.Options.Exclude(vlpaoNoWrap);
}

TvlActionAlignment::TvlActionAlignment(TComponent* AOwner, TVLAlignment Value, Word Id)
    : TvlActionParaStyles(AOwner), Alignment(Value) {
  MessageID = Id;
  Localize();
}

void TvlActionAlignment::UpdateTarget(TObject* Target) {
  try {
    SetChecked(CurrentParaStyle(Target)->Alignment == Alignment);
    SetEnabled(StandardEnabled());
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlActionAlignment::ConvertParaStyle(TVLActionEditor*, TParaInfo& ParaInfo, Integer, Integer) {
  ParaInfo.Alignment = Alignment;
}

TvlActionLineSpacing::TvlActionLineSpacing(TComponent* AOwner, Integer Spacing, Word Id)
    : TvlActionParaStyles(AOwner), LineSpacing(Spacing) {
  MessageID = Id;
  Localize();
}

void TvlActionLineSpacing::UpdateTarget(TObject* Target) {
  try {
    SetEnabled(StandardEnabled());
    TParaInfo* p = CurrentParaStyle(Target);
    SetChecked(p->LineSpacing == LineSpacing && p->LineSpacingType == vllsPercent);
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlActionLineSpacing::ConvertParaStyle(TVLActionEditor*, TParaInfo& ParaInfo, Integer, Integer) {
  ParaInfo.LineSpacing = LineSpacing;
  ParaInfo.LineSpacingType = vllsPercent;
}

// ---------------------------------------------------------------------------

bool TvlActionIndent::IndentsRight(TVLActionEditor* Editor, const TParaInfo& ParaInfo) {
  return ParaInfo.BiDiMode == vlbdRightToLeft ||
         (ParaInfo.BiDiMode == vlbdUnspecified && Editor->GetBiDiMode() == vlbdRightToLeft);
}

void TvlActionIndent::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  TVLActionEditor* inner = GetCaretEditor(Target);
  inner->BeginUndoGroup(vlutParaStyle);
  inner->SetUndoGroupMode(true);
  try {
    ApplyParaConversion(editor, 0);
    editor->ChangeListLevels(ListLevelDelta());
  } catch (...) {
    inner->SetUndoGroupMode(false);
    throw;
  }
  inner->SetUndoGroupMode(false);
}

TvlActionIndentInc::TvlActionIndentInc(TComponent* AOwner) : TvlActionIndent(AOwner) {
  MessageID = 79;
  Localize();
}

void TvlActionIndentInc::ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer, Integer) {
  Integer& indent = IndentsRight(Editor, ParaInfo) ? ParaInfo.RightIndent : ParaInfo.LeftIndent;
  indent = std::min(indent + IndentStep, IndentMax);
}

TvlActionIndentDec::TvlActionIndentDec(TComponent* AOwner) : TvlActionIndent(AOwner) {
  MessageID = 81;
  Localize();
}

void TvlActionIndentDec::ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer, Integer) {
  const bool right = IndentsRight(Editor, ParaInfo);
  Integer& indent = right ? ParaInfo.RightIndent : ParaInfo.LeftIndent;
  const Integer margin = right ? Editor->GetRightMargin() : Editor->GetLeftMargin();
  indent = std::max<Integer>(indent - IndentStep, 0);
  if (margin + indent + ParaInfo.FirstIndent < 0) ParaInfo.FirstIndent = -(margin + indent);
  if (ParaInfo.Border.Style != vlbNone) {
    const Integer offset = right ? ParaInfo.Border.BorderOffsets.Right : ParaInfo.Border.BorderOffsets.Left;
    indent = std::max(indent, offset + ParaInfo.Border.GetTotalWidth() - 1);
  }
}

// ---------------------------------------------------------------------------

void TvlActionParaCustomColor::ApplyColor(TVLActionEditor* Editor, Integer UserData) {
  if (!Editor) return;
  auto handler = [this](TVLActionEditor* Sender, Integer StyleNo, Integer Data, bool, Integer& NewStyleNo) {
    ConvertParaStyleThrough(this, Sender, StyleNo, NewStyleNo,
                            [this, Data](TVLActionEditor* e, TParaInfo& copy, Integer no) {
                              ApplyColorToParaStyle(e, copy, no, Data);
                            });
  };
  WithParaConversion(Editor, handler, [Editor, UserData] { Editor->ApplyParaStyleConversion(UserData); });
}

TvlActionParaColor::TvlActionParaColor(TComponent* AOwner) : TvlActionParaCustomColor(AOwner) {
  MessageID = 93;
  Localize();
}

TColor TvlActionParaColor::GetCurrentColor(TVLActionEditor* Editor) {
  TVLStyle* sheet = Editor->GetStyle();
  return sheet ? sheet->ParaStyles->Items(Editor->GetCurParaStyleNo())->Background.Color : clNone;
}

void TvlActionParaColor::ApplyColorToParaStyle(TVLActionEditor*, TParaInfo& ParaInfo, Integer, Integer) {
  ParaInfo.Background.Color = GetColor();
}

void TvlActionParaColorAndPadding::ApplyColorToParaStyle(TVLActionEditor*, TParaInfo& ParaInfo, Integer,
                                                         Integer) {
  ParaInfo.Background.Color = GetColor();
  TVLRect& offsets = ParaInfo.Background.BorderOffsets;
  auto side = [](bool use, Integer padding, Integer& offset, Integer& spacing) {
    if (!use) return;
    offset = padding;
    if (padding > spacing) spacing = padding;
  };
  side(PaddingSides.Left, Padding.Left, offsets.Left, ParaInfo.LeftIndent);
  side(PaddingSides.Right, Padding.Right, offsets.Right, ParaInfo.RightIndent);
  side(PaddingSides.Top, Padding.Top, offsets.Top, ParaInfo.SpaceBefore);
  side(PaddingSides.Bottom, Padding.Bottom, offsets.Bottom, ParaInfo.SpaceAfter);
}
