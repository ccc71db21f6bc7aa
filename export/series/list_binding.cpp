#include "export/series/list_binding.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "export/series/selection_list.h"

namespace lumetrix::series {

void RenderList(const SelectionList& list, QListWidget* widget) {
  const QSignalBlocker blocker(widget);
  const int count = static_cast<int>(list.Count());
  bool same = widget->count() == count;
  for (int i = 0; same && i < count; ++i) same = widget->item(i)->text().toStdString() == list.Item(static_cast<size_t>(i));
  if (!same) {
    widget->clear();
    for (const std::string& name : list.Items()) widget->addItem(QString::fromStdString(name));
  }
  widget->setCurrentRow(list.CurrentIndex(), QItemSelectionModel::NoUpdate);
  for (int i = 0; i < count; ++i) widget->item(i)->setSelected(list.IsSelected(static_cast<size_t>(i)));
}

void PullList(const QListWidget* widget, SelectionList& list) {
  const int count = std::min(widget->count(), static_cast<int>(list.Count()));
  for (int i = 0; i < count; ++i) list.SetSelected(static_cast<size_t>(i), widget->item(i)->isSelected());
  list.SetCurrentIndex(widget->currentRow());
}

}  // namespace lumetrix::series
