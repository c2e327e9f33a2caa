#include "ui/PhotoList.h"

#include <QKeyEvent>

#include "album/AlbumModel.h"
#include "album/PhotoEditing.h"

TPhotoList::TPhotoList(QWidget* Parent) : QListWidget(Parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  connect(this, &QListWidget::currentRowChanged, this, &TPhotoList::RowChosen);
  connect(this, &QListWidget::itemDoubleClicked, this, [this] {
    if (FAlbum && FAlbum->HasCurrent()) emit OpenRequested();
  });
}

void TPhotoList::SetAlbum(TAlbumModel* Album) {
  FAlbum = Album;
  RepaintPhotos();
}

void TPhotoList::RepaintPhotos() {
  const QSignalBlocker quiet(this);  // rows change here because the album did, not the user
  clear();
  if (!FAlbum) return;
  for (uint32_t i = 0; i < FAlbum->Pics.Count; ++i) {
    const std::string_view path = EntryFileName(FAlbum->Pics[static_cast<int32_t>(i)]);
    auto* item = new QListWidgetItem(
        QString::fromUtf8(FileNamePart(path).data(), static_cast<qsizetype>(FileNamePart(path).size())),
        this);
    item->setToolTip(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
  }
  if (FAlbum->HasCurrent()) {
    setCurrentRow(FAlbum->CurPic - 1);
    scrollToItem(currentItem());
  } else {
    setCurrentRow(-1);
  }
}

void TPhotoList::RowChosen(int Row) {
  if (!FAlbum || Row < 0) return;
  FAlbum->CurPic = Row + 1;
  emit CurrentChosen();
}

void TPhotoList::keyPressEvent(QKeyEvent* Event) {
  if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) &&
      (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (FAlbum && FAlbum->HasCurrent()) emit OpenRequested();
    return;
  }
  QListWidget::keyPressEvent(Event);
}
