#include "spell/scWinAPIParser.h"

#include "platform/base/CodePages.h"
#include "platform/gui/EditGeometry.h"
#include "platform/gui/StdCtrls.h"
#include "spell/scUtil.h"

#include <algorithm>

namespace {
// One 8-bit character per UTF-16 unit, so columns in the line buffer are
// positions in the control.
AnsiString ToBuffer(const WideString& W) {
  AnsiString a(W.size(), '\0');
  SpellBytesOfUnits(W.data(), W.size(), a.data());
  return a;
}
}  // namespace

void TWinAPIControlParser::Initialize(void* Target) {
  FControl = dynamic_cast<TCustomEdit*>(static_cast<TWinControl*>(Target));
  FKind = !FControl ? ekNone : EditIsMultiLine(FControl) ? ekMemo : ekOneLine;
  FEndSet = false;
  FX = FY = 0;
  FReload = true;
  FLineLength = 0;
  FLoadedLine = -1;
  FBuffer.clear();
  FLineCount = LineCount();
  FSelStart = FSelLength = 0;
}

TObject* TWinAPIControlParser::GetControl() { return FControl; }

int TWinAPIControlParser::LineCount() const {
  if (!FControl) return 0;
  if (auto* memo = dynamic_cast<TMemo*>(FControl)) return std::max(memo->Lines().Count(), 1);
  return 1;
}

AnsiString TWinAPIControlParser::LineText(int Y) const {
  if (!FControl || Y < 0) return AnsiString();
  String line;
  if (auto* memo = dynamic_cast<TMemo*>(FControl)) {
    if (Y < memo->Lines().Count()) line = memo->Lines()[Y];
  } else if (Y == 0) {
    line = FControl->GetText();
  }
  return ToBuffer(Utf8ToWide(line));
}

int TWinAPIControlParser::LineIndex(int Y) const {
  if (Y < 0 || Y >= LineCount()) return -1;
  int index = 0;
  for (int i = 0; i < Y; ++i) index += static_cast<int>(LineText(i).size()) + 1;
  return index;
}

void TWinAPIControlParser::LineFromChar(int CharIndex, int& X, int& Y) const {
  const int n = LineCount();
  int index = 0;
  for (Y = 0; Y < n; ++Y) {
    const int len = static_cast<int>(LineText(Y).size());
    if (CharIndex <= index + len || Y == n - 1) {
      X = CharIndex - index;
      return;
    }
    index += len + 1;
  }
  Y = 0;
  X = 0;
}

bool TWinAPIControlParser::LoadCurrentLine() {
  bool valid = true;
  if (FY == FLoadedLine) {
    if (FX >= FLineLength) {
      ++FY;
      FX = 0;
    } else if (FX < 0) {
      if (FY < 1) {
        FX = 0;
        return false;
      }
      --FY;
      FX = -1;
    }
  }
  if (FY != FLoadedLine || FReload) {
    valid = FY < FLineCount;
    if (valid) {
      FReload = false;
      FBuffer = LineText(FY) + "\r\n";
      FLineLength = static_cast<int>(FBuffer.size());
      FLoadedLine = FY;
      FLineCount = LineCount();
      if (FX < 0) FX = FLineLength - 1;
    }
  }
  if (FEndSet && FX > FEndX && FY >= FEndY) return false;
  return valid;
}

char TWinAPIControlParser::GetChar() {
  if (!LoadCurrentLine() || FX < 0 || FX >= static_cast<int>(FBuffer.size())) return 0;
  return FBuffer[static_cast<size_t>(FX)];
}

void TWinAPIControlParser::GetLine(AnsiString& Line) {
  Line = LoadCurrentLine() ? FBuffer : AnsiString();
}

bool TWinAPIControlParser::MoveNext() {
  ++FX;
  return LoadCurrentLine();
}

bool TWinAPIControlParser::MovePrevious() {
  --FX;
  return LoadCurrentLine();
}

void TWinAPIControlParser::SetPosition(int X, int Y, TParserPosition Which) {
  if (Which == ppCurrent) {
    FReload = true;
    FX = X;
    FY = Y;
  } else {
    FEndSet = true;
    FEndX = X;
    FEndY = Y;
  }
}

void TWinAPIControlParser::GetPosition(int& X, int& Y) {
  X = FX;
  Y = FY;
}

void TWinAPIControlParser::SelectWord(int Length) {
  FX -= Length;
  const int line = LineIndex(FY);
  FSelStart = (line < 0 ? 0 : line) + FX;
  FSelLength = Length;
  if (!FControl) return;
  FControl->SetSelStart(FSelStart);
  FControl->SetSelLength(Length);
}

void TWinAPIControlParser::ReplaceWord(const AnsiString& Replacement, int State) {
  if (!FControl) return;
  const int current = FControl->GetSelLength();
  if (FEndSet && FEndY == FY) FEndX += static_cast<int>(Replacement.size()) - current;
  // The text with "\n" between lines, as the control counts positions.
  WideString text;
  const int n = LineCount();
  for (int i = 0; i < n; ++i) {
    String line;
    if (auto* memo = dynamic_cast<TMemo*>(FControl)) {
      if (i < memo->Lines().Count()) line = memo->Lines()[i];
    } else {
      line = FControl->GetText();
    }
    if (i) text += u'\n';
    text += Utf8ToWide(line);
  }
  const size_t at = std::min(static_cast<size_t>(std::max(FSelStart, 0)), text.size());
  text.replace(at, std::min(static_cast<size_t>(FSelLength), text.size() - at),
               Utf8ToWide(SpellWordToText(Replacement)));
  FControl->SetText(WideToUtf8(text));
  FControl->SetSelStart(static_cast<int>(at + Replacement.size()));
  FControl->SetSelLength(0);
  FX += static_cast<int>(Replacement.size());
  FReload = true;
}

void TWinAPIControlParser::IgnoreWord(int State) {
  FX += FControl ? FControl->GetSelLength() : FSelLength;
}

void TWinAPIControlParser::GetCursorPosition(int& X, int& Y) {
  LineFromChar(FControl ? FControl->GetSelStart() : 0, X, Y);
}

void TWinAPIControlParser::GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) {
  const int s = FControl ? FControl->GetSelStart() : 0;
  const int l = FControl ? FControl->GetSelLength() : 0;
  LineFromChar(s, XStart, YStart);
  LineFromChar(s + l, XEnd, YEnd);
}

void TWinAPIControlParser::GetControlScreenRect(TRect& R) {
  if (!FControl) {
    R = TRect(-1, -1, -1, -1);
    return;
  }
  const TPoint p = FControl->ClientToScreen(TPoint(0, 0));
  R = TRect(p.X, p.Y, p.X + FControl->GetWidth(), p.Y + FControl->GetHeight());
}

void TWinAPIControlParser::CenterSelection() {
  if (FControl && FKind == ekMemo) EditCenterLine(FControl, FY);
}

void TWinAPIControlParser::GetSelectionScreenRect(TRect& R) {
  if (!FControl) {
    GetControlScreenRect(R);
    return;
  }
  const int s = FControl->GetSelStart(), e = s + FControl->GetSelLength();
  const TRect a = EditCharRect(FControl, s), b = EditCharRect(FControl, e);
  if (a.Bottom <= a.Top) {
    GetControlScreenRect(R);
    return;
  }
  // One line: from the first character to the end of the last; across
  // lines, the rectangle holding both ends.
  const TRect r(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Left),
                std::max(a.Bottom, b.Bottom));
  const TPoint tl = FControl->ClientToScreen(TPoint(r.Left, r.Top));
  R = TRect(tl.X, tl.Y, tl.X + r.Width(), tl.Y + r.Height());
}
