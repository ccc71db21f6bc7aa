#pragma once
// Keeps a SelectionList and the QListWidget showing it in step: the list holds the state, the
// widget shows it and takes the user's clicks.

class QListWidget;

namespace lumetrix::series {

class SelectionList;

// The widget shows the list's items, selection and current item (emitting no signals).
void RenderList(const SelectionList& list, QListWidget* widget);
// The list takes the widget's selection and current item.
void PullList(const QListWidget* widget, SelectionList& list);

}  // namespace lumetrix::series
