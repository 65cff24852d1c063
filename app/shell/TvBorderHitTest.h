#pragma once

#include <QPoint>
#include <QSize>
#include <Qt>

// Which border of a frameless window a point is on. The zones are four pixels wide and start two
// pixels in from the edge; a corner wins over its two edges. Points over the area under the title
// bar never resize.
namespace TvBorderHitTest {

// pos is relative to the window's frame; size is the frame's size.
Qt::Edges edgesAt(const QPoint& pos, const QSize& size, bool overBar);

// The Windows hit-test answer for a set of edges (HTLEFT 10 ... HTBOTTOMRIGHT 17), 0 for none.
int hitTestCode(Qt::Edges edges);

// The cursor that shows a resize along those edges (the arrow for none).
Qt::CursorShape cursorFor(Qt::Edges edges);

} // namespace TvBorderHitTest
