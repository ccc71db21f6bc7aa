#pragma once
// Where a tool window (Display, Animation, Parameters) opens: the first time beside the main
// window so that it covers none of the view it controls, later where the user left it
// ("Windows/<objectName>/Pos" in the program's settings), always inside the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace lumetrix {

// The tool's frame beside `main_frame` without overlapping it: to its right when the screen has
// room there, else to its left, else below it, else as far right as the screen allows. Aligned with
// the main frame's top (left edge when below) and moved inside `screen` (to its top left corner
// when the tool is larger than the screen).
QRect PlaceBeside(const QRect& main_frame, QSize tool, const QRect& screen);

// `frame` moved the least distance that puts it inside `screen` (its top left corner when larger).
QPoint KeepOnScreen(const QRect& frame, const QRect& screen);

// Shows `tool` (a top-level window owned by `main`) where it belongs, brings it forward, and
// remembers where it is each time it is hidden or closed.
void ShowToolWindow(QWidget& tool, const QWidget& main);

}  // namespace lumetrix
