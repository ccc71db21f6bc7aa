#include "export/series/list_binding.h"

#include <QFile>
#include <QListWidget>
#include <QSignalBlocker>

#include "export/series/selection_list.h"

namespace lumetrix::series {

void RenderList(const SelectionList& list, QListWidget* widget) {
  const QSignalBlocker blocker(widget);
  const int count = static_cast<int>(list.Count());
  bool same = widget->count() == count;
  // Names are file names: shown in the file system's encoding.
  auto text = [&](int i) { return QFile::decodeName(list.Item(static_cast<size_t>(i)).c_str()); };
  for (int i = 0; same && i < count; ++i) same = widget->item(i)->text() == text(i);
  if (!same) {
    widget->clear();
    for (int i = 0; i < count; ++i) widget->addItem(text(i));
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
