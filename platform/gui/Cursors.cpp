#include "platform/gui/Cursors.h"

#include <QCursor>
#include <QPixmap>
#include <map>

#include "resources/cursors/fliparrow.xpm"
#include "resources/cursors/jump.xpm"
#include "resources/cursors/selectcol.xpm"
#include "resources/cursors/selectrow.xpm"
#include "resources/cursors/zoomin.xpm"
#include "resources/cursors/zoomout.xpm"

namespace {

std::map<TCursor, QCursor>& Registered() {
  static std::map<TCursor, QCursor> cursors;
  return cursors;
}

Qt::CursorShape ShapeOf(TCursor id) {
  switch (id) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragCopyCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crSQLWait: return Qt::BusyCursor;
    case crNo: return Qt::ForbiddenCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

}  // namespace

QCursor CursorById(TCursor id) {
  auto& cursors = Registered();
  auto it = cursors.find(id);
  if (it != cursors.end()) return it->second;
  return QCursor(ShapeOf(id));
}

void SetCursorById(TCursor id, const HCURSOR& cursor) {
  Registered()[id] = cursor ? *cursor : QCursor(Qt::ArrowCursor);
}

bool IsCursorRegistered(TCursor id) { return Registered().count(id) != 0; }

HCURSOR LoadCursorResource(const String& name, bool* found) {
  if (found) *found = true;
  if (name == "VL_JUMP_CURSOR") return std::make_shared<const QCursor>(QPixmap(jump_cursor_xpm), 6, 0);
  if (name == "VL_FLIPARROW_CURSOR") return std::make_shared<const QCursor>(QPixmap(fliparrow_cursor_xpm), 11, 0);
  if (name == "VL_ZOOMIN_CURSOR") return std::make_shared<const QCursor>(QPixmap(zoomin_cursor_xpm), 7, 7);
  if (name == "VL_SELECTROW_CURSOR") return std::make_shared<const QCursor>(QPixmap(selectrow_cursor_xpm), 13, 7);
  if (name == "VL_SELECTCOL_CURSOR") return std::make_shared<const QCursor>(QPixmap(selectcol_cursor_xpm), 7, 13);
  if (name == "VL_ZOOMOUT_CURSOR") return std::make_shared<const QCursor>(QPixmap(zoomout_cursor_xpm), 7, 7);
  if (found) *found = false;
  return std::make_shared<const QCursor>(Qt::ArrowCursor);
}

HCURSOR LoadSystemCursor(int idc) {
  switch (idc) {
    case IDC_HAND: return std::make_shared<const QCursor>(Qt::PointingHandCursor);
    case IDC_IBEAM: return std::make_shared<const QCursor>(Qt::IBeamCursor);
    case IDC_WAIT: return std::make_shared<const QCursor>(Qt::WaitCursor);
    default: return std::make_shared<const QCursor>(Qt::ArrowCursor);
  }
}
