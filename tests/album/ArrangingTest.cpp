// Arranging an album in the core: the block orders of the selection, the selection rules, and every
// kind of change made, undone and made again through the history. Expected orders are written out by
// hand.
#include <gtest/gtest.h>

#include "album/PhotoSelection.h"
#include "album/UndoHistory.h"
#include "imaging/pictaro/Pictaro.h"

namespace {

// Photos named a, b, c, ... with texts A, B, C, ...
void Fill(TAlbumModel& Album, const std::string& Names) {
  for (char name : Names) {
    TPicEntry* e = Album.Pics.Append();
    SetEntryFileName(*e, std::string(1, name));
    SetEntryText(*e, std::string(1, static_cast<char>(name - 'a' + 'A')));
  }
}

// "a b* c/1 d=X e=-": names in order, * after the current photo, /n a turn, =text when it is not the
// name in capitals, =- for no text at all.
std::string State(const TAlbumModel& Album) {
  std::string out;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& e = Album.Pics[static_cast<int32_t>(i)];
    const std::string name(EntryFileName(e));
    if (i) out += ' ';
    out += name;
    if (static_cast<int32_t>(i) + 1 == Album.CurPic) out += '*';
    if (e.Turn) out += "/" + std::to_string(e.Turn);
    if (e.Placement) out += "#" + std::to_string(e.Placement);
    if (e.FocusX || e.FocusY) out += "@" + std::to_string(e.FocusX) + "," + std::to_string(e.FocusY);
    if (!e.Text)
      out += "=-";
    else if (std::string(e.Text) != std::string(1, static_cast<char>(name[0] - 'a' + 'A')))
      out += "=" + std::string(e.Text);
  }
  return out;
}

std::string OrderText(const std::vector<uint32_t>& Order) {
  std::string out;
  for (uint32_t i : Order) out += static_cast<char>('a' + i);
  return out;
}

TPhotoRecords NewPhotos(const std::string& Names) {
  TPhotoRecords records;
  for (char name : Names) {
    TPicEntry e{};
    SetEntryFileName(e, std::string(1, name));
    SetEntryText(e, std::string(1, static_cast<char>(name - 'a' + 'A')));
    records.Add(e);
  }
  return records;
}

}  // namespace

// Gathering the selection into one block: before the photo at a gap, one place forward or back. An
// empty order means nothing moves.
TEST(PhotoSelection, BlockOrders) {
  enum TKind { Gap, Forward, Back };
  struct {
    TKind Kind;
    std::vector<uint32_t> Block;
    uint32_t GapAt;
    const char* Expected;
  } rows[] = {
      {Gap, {3, 4}, 0, "deabcf"},                                // dragged to the front
      {Gap, {0, 1}, 6, "cdefab"},                                // to the end
      {Gap, {1, 4}, 3, "acbedf"},                                // two apart, gathered before d
      {Gap, {2, 3}, 3, ""},                                      // onto itself
      {Gap, {2, 3}, 4, ""},                                      // into its own middle
      {Gap, {2, 3}, 5, "abecdf"},                                // past its neighbour
      {Forward, {2, 3}, 0, "acdbef"}, {Forward, {0, 1}, 0, ""},  // already at the front
      {Forward, {1, 4}, 0, "beacdf"},                            // gathered one place before b
      {Back, {2, 3}, 0, "abecdf"},    {Back, {5}, 0, ""},        // already at the end
      {Back, {0, 3}, 0, "bceadf"},  // gathered so that d, its last, stands one place further back
      {Forward, {}, 0, ""},
  };
  for (const auto& r : rows) {
    const std::vector<uint32_t> order = r.Kind == Gap       ? BlockMoveOrder(6, r.Block, r.GapAt)
                                        : r.Kind == Forward ? BlockForwardOrder(6, r.Block)
                                                            : BlockBackOrder(6, r.Block);
    EXPECT_EQ(OrderText(order), r.Expected) << "kind " << r.Kind << ", gap " << r.GapAt;
  }
}

// Click, Ctrl+click, Shift+click with and without Ctrl, Ctrl+A; what the commands then work on.
TEST(PhotoSelection, ClicksAndTheCurrentPhoto) {
  TAlbumModel album;
  Fill(album, "abcdef");
  const auto selected = [&] { return OrderText(SelectedPlaces(album)); };
  EXPECT_EQ(OrderText(PhotosToWorkOn(album)), "a") << "nothing selected: the current photo";
  SelectOnly(album, 1);
  EXPECT_EQ(selected(), "b");
  SelectRange(album, 3, false);
  EXPECT_EQ(selected(), "bcd");
  EXPECT_EQ(album.CurPic, 4);
  ToggleSelected(album, 2);
  EXPECT_EQ(selected(), "bd");
  EXPECT_EQ(album.CurPic, 3) << "the last clicked photo is current, selected or not";
  SelectRange(album, 5, true);  // from the new anchor c, keeping b and d
  EXPECT_EQ(selected(), "bcdef");
  SelectRange(album, 0, false);
  EXPECT_EQ(selected(), "abc");
  SelectAll(album);
  EXPECT_EQ(selected(), "abcdef");
  SelectNone(album);
  EXPECT_EQ(OrderText(PhotosToWorkOn(album)), "a");
}

// Each kind of change: made, undone, made again. The current photo follows its photo; when it goes
// itself, the next one that stays becomes current.
TEST(UndoHistory, EveryKindOfChangeUndoesAndRedoes) {
  struct {
    const char* What;
    std::unique_ptr<TAlbumChange> Change;
    const char* After;
    const char* AfterUndo;
  } rows[] = {
      {"insert", std::make_unique<TInsertPhotos>(std::vector<uint32_t>{0, 3}, NewPhotos("xy")),
       "x a b y c* d e", "a b c* d e"},
      // c went, so d became current, and stays so.
      {"remove", std::make_unique<TRemovePhotos>(std::vector<uint32_t>{0, 2, 4}), "b d*", "a b c d* e"},
      {"remove the last", std::make_unique<TRemovePhotos>(std::vector<uint32_t>{3, 4}), "a b c*",
       "a b c* d e"},
      {"reorder", std::make_unique<TReorderPhotos>(std::vector<uint32_t>{4, 0, 3, 2, 1}), "e a d c* b",
       "a b c* d e"},
      {"texts",
       std::make_unique<TSetTexts>(std::vector<uint32_t>{1, 3}, std::vector<TPhotoText>{"neu", std::nullopt}),
       "a b=neu c* d=- e", "a b c* d e"},
      {"turns", std::make_unique<TTurnPhotos>(std::vector<uint32_t>{0, 2}, 3), "a/3 b c*/3 d e",
       "a b c* d e"},
      {"placements",
       std::make_unique<TPlacePhotos>(std::vector<uint32_t>{1, 4},
                                      std::vector<TPhotoPlacement>{{KPlaceFill, -5000, 5000}, {KPlaceBig, 0, 0}}),
       "a b#1@-5000,5000 c* d e#2", "a b c* d e"},
  };
  for (auto& r : rows) {
    TAlbumModel album;
    Fill(album, "abcde");
    album.CurPic = 3;
    TLayoutSettings settings;
    TUndoHistory history;
    ASSERT_TRUE(history.Do(std::move(r.Change), album, settings)) << r.What;
    EXPECT_EQ(State(album), r.After) << r.What;
    ASSERT_TRUE(history.Undo(album, settings)) << r.What;
    EXPECT_EQ(State(album), r.AfterUndo) << r.What;
    ASSERT_TRUE(history.Redo(album, settings)) << r.What;
    EXPECT_EQ(State(album), r.After) << r.What;
    EXPECT_FALSE(history.Redo(album, settings)) << r.What;
  }
}

// How a photo is placed belongs to its entry: it goes where the photo goes and comes back with it.
TEST(UndoHistory, PlacementTravelsWithItsPhoto) {
  struct {
    const char* What;
    std::unique_ptr<TAlbumChange> Change;
    const char* After;
    const char* AfterUndo;  // the current photo stays where the change left it
  } rows[] = {
      {"reorder", std::make_unique<TReorderPhotos>(std::vector<uint32_t>{4, 0, 3, 2, 1}), "e a d c*#3@-2500,5000 b#4",
       "a b#4 c*#3@-2500,5000 d e"},
      {"remove", std::make_unique<TRemovePhotos>(std::vector<uint32_t>{0, 2}), "b#4 d* e", "a b#4 c#3@-2500,5000 d* e"},
      {"insert", std::make_unique<TInsertPhotos>(std::vector<uint32_t>{0}, NewPhotos("x")),
       "x a b#4 c*#3@-2500,5000 d e", "a b#4 c*#3@-2500,5000 d e"},
  };
  ASSERT_EQ(std::size(rows), 3u);
  for (auto& r : rows) {
    TAlbumModel album;
    Fill(album, "abcde");
    album.CurPic = 3;
    album.Pics[1].Placement = KPlaceFullPage;
    album.Pics[2].Placement = KPlaceFill | KPlaceBig;
    SetEntryFocus(album.Pics[2], 0.25, 1);
    TLayoutSettings settings;
    TUndoHistory history;
    ASSERT_TRUE(history.Do(std::move(r.Change), album, settings)) << r.What;
    EXPECT_EQ(State(album), r.After) << r.What;
    ASSERT_TRUE(history.Undo(album, settings)) << r.What;
    EXPECT_EQ(State(album), r.AfterUndo) << r.What;
  }
}

// Settings change what the album file keeps; the rest stays as it is at the time of the undo.
TEST(UndoHistory, SettingsStepsJoinPerControl) {
  TAlbumModel album;
  TLayoutSettings settings, before;
  TUndoHistory history;
  for (int columns : {4, 5}) {  // one field typed twice: one step
    TLayoutSettings after = settings;
    after.CountXEd = columns;
    history.Do(std::make_unique<TChangeSettings>(settings, after, "CountXEd"), album, settings);
  }
  TLayoutSettings after = settings;
  after.TextTemplate = "{Name}";
  history.Do(std::make_unique<TChangeSettings>(settings, after, "TextTemplateEd"), album, settings);
  settings.EmbedFonts = true;  // not kept in the album: no undo touches it
  ASSERT_EQ(history.UndoSteps(), 2u);
  history.Undo(album, settings);
  EXPECT_EQ(settings.TextTemplate, "");
  EXPECT_EQ(settings.CountXEd, 5);
  history.Undo(album, settings);
  EXPECT_EQ(settings.CountXEd, before.CountXEd);
  EXPECT_TRUE(settings.EmbedFonts);
}

// A run of typing in one photo is one step; another photo, or EndRun, starts the next. The album is
// changed unless the steps done are those done when it was saved.
TEST(UndoHistory, TypingRunsAndTheSavedState) {
  TAlbumModel album;
  Fill(album, "ab");
  TLayoutSettings settings;
  TUndoHistory history;
  const auto type = [&](uint32_t Place, const char* Text) {
    history.Do(std::make_unique<TSetTexts>(std::vector<uint32_t>{Place}, std::vector<TPhotoText>{Text}, true),
               album, settings);
  };
  EXPECT_FALSE(history.Modified());
  type(0, "A1");
  type(0, "A12");
  type(1, "B1");
  history.EndRun();
  type(1, "B12");
  EXPECT_EQ(history.UndoSteps(), 3u);
  EXPECT_EQ(State(album), "a*=A12 b=B12");
  history.MarkSaved();
  EXPECT_FALSE(history.Modified());
  type(1, "B123");  // a new step after saving, not part of the saved one
  EXPECT_TRUE(history.Modified());
  history.Undo(album, settings);
  EXPECT_FALSE(history.Modified());
  history.Undo(album, settings);
  history.Undo(album, settings);
  EXPECT_EQ(State(album), "a*=A12 b");
  history.Undo(album, settings);
  EXPECT_EQ(State(album), "a* b");
  EXPECT_TRUE(history.Modified());
  type(0, "neu");  // the undone steps are gone, and the saved state with them
  EXPECT_FALSE(history.CanRedo());
  for (int i = 0; i < 3; ++i) history.Undo(album, settings);
  EXPECT_TRUE(history.Modified());
  history.Clear();
  EXPECT_FALSE(history.Modified());
  EXPECT_FALSE(history.CanUndo());
}

// The history keeps the newest KUndoSteps steps. Undoing a delete puts back the very entries, with
// their thumbnails, not copies.
TEST(UndoHistory, HundredStepsAndDeletedEntriesComeBackAsTheyWere) {
  TAlbumModel album;
  Fill(album, "abcdefghij");
  TLayoutSettings settings;
  TUndoHistory history;
  history.Do(std::make_unique<TRemovePhotos>(std::vector<uint32_t>{1, 3, 5}), album, settings);
  for (size_t i = 0; i < TUndoHistory::KUndoSteps + 10; ++i)
    history.Do(std::make_unique<TTurnPhotos>(std::vector<uint32_t>{0}, 1), album, settings);
  EXPECT_EQ(history.UndoSteps(), TUndoHistory::KUndoSteps);  // the delete dropped out, its entries freed
  for (size_t i = 0; i < TUndoHistory::KUndoSteps; ++i) ASSERT_TRUE(history.Undo(album, settings));
  EXPECT_EQ(State(album), "a*/2 c e g h i j") << "110 quarter turns, 100 of them undone";

  TAlbumModel again;
  Fill(again, "abcd");
  newdib(&again.Pics[3].Thumbnail, 8, 6, 24, nullptr, 0);
  const char* name = again.Pics[3].FileName;
  const uint8_t* pixels = again.Pics[3].Thumbnail.Bits;
  TUndoHistory fresh;
  fresh.Do(std::make_unique<TRemovePhotos>(std::vector<uint32_t>{3}), again, settings);
  fresh.Undo(again, settings);
  EXPECT_EQ(again.Pics[3].FileName, name);
  EXPECT_EQ(again.Pics[3].Thumbnail.Bits, pixels);
}
