// A form shaped by a polygon shows and takes input only inside it.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QRegion>
#include <QWidget>
#include <gtest/gtest.h>

TEST(WindowRegion, PolygonMasksTheWindowAndCanBeRemoved) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  // A diamond touching the middle of each side.
  form.SetWindowRegion({{100, 0}, {200, 50}, {100, 100}, {0, 50}});
  QRegion mask = WindowWidgetOf(&form)->mask();
  struct Probe { int x, y; bool inside; };
  const Probe probes[] = {{100, 50, true}, {5, 5, false}, {195, 95, false}, {150, 50, true}, {100, 10, true}};
  for (const Probe& p : probes) EXPECT_EQ(mask.contains(QPoint(p.x, p.y)), p.inside) << p.x << "," << p.y;
  EXPECT_EQ(form.WindowRegion().size(), 4u);

  form.SetWindowRegion({});
  EXPECT_TRUE(WindowWidgetOf(&form)->mask().isEmpty());
}
