// The horizontal and tile layouts: tables of boxes built from attribute
// lists as the skins write them, with the rectangles their children get.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/control_tree_fixture.h"
#include "ui/hbox.h"
#include "ui/tile_box.h"
#include "ui/tile_layout.h"
#include "ui/widget_factory.h"

namespace ui {
namespace {

using testing::ControlTreeTest;

struct LayoutCase {
  const char* what;
  std::u16string box;                    // the box's attribute list
  UiRect pos;                            // where the box is placed
  std::vector<std::u16string> children;  // each child's attribute list
  std::vector<UiRect> expected;          // where each child lands
};

class HBoxTileLayoutTest : public ControlTreeTest {
 protected:
  // Builds the box from its tag, adds the children, places it and compares.
  static void Check(const std::u16string& tag, const LayoutCase& c) {
    SCOPED_TRACE(c.what);
    auto* box = static_cast<Box*>(WidgetFactory::GetInstance().Create(tag));
    ASSERT_NE(box, nullptr);
    Window window;
    box->ApplyAttributeList(c.box);
    std::vector<Control*> children;
    for (const std::u16string& list : c.children) {
      Control* child = WidgetFactory::GetInstance().Create(u"Control");
      child->ApplyAttributeList(list);
      box->Add(child);
      children.push_back(child);
    }
    window.AttachRoot(box);
    box->SetPos(c.pos);
    ASSERT_EQ(children.size(), c.expected.size());
    for (size_t i = 0; i < children.size(); ++i) {
      EXPECT_EQ(children[i]->GetPos(), c.expected[i]) << "child " << i;
    }
  }
};

TEST_F(HBoxTileLayoutTest, HBoxPlacesChildrenSideBySide) {
  const LayoutCase cases[] = {
      {"fixed and two stretch children share the rest",
       u"childmargin=\"10\"",
       {0, 0, 300, 40},
       {u"width=\"100\"", u"", u""},
       {{0, 0, 100, 40}, {110, 0, 200, 40}, {210, 0, 300, 40}}},
      {"one pixel left over goes to the first stretch child",
       u"childmargin=\"10\"",
       {0, 0, 301, 40},
       {u"width=\"100\"", u"", u""},
       {{0, 0, 100, 40}, {110, 0, 201, 40}, {211, 0, 301, 40}}},
      {"a negative child margin overlaps neighbours",
       u"childmargin=\"-4\"",
       {0, 0, 300, 20},
       {u"width=\"50\"", u"width=\"50\""},
       {{0, 0, 50, 20}, {46, 0, 96, 20}}},
      {"vertical alignment: top, centre with integer division, bottom",
       u"",
       {0, 0, 300, 31},
       {u"width=\"10\" height=\"20\"", u"width=\"10\" height=\"20\" valign=\"center\"",
        u"width=\"10\" height=\"20\" valign=\"bottom\""},
       {{0, 0, 10, 20}, {10, 5, 20, 25}, {20, 11, 30, 31}}},
      {"margins push the child in and the next one along",
       u"",
       {0, 0, 200, 50},
       {u"width=\"40\" margin=\"5,3,7,2\"", u"width=\"30\""},
       {{5, 3, 45, 48}, {52, 0, 82, 50}}},
      {"padding shrinks the room the children share",
       u"padding=\"10,5,20,5\"",
       {0, 0, 200, 50},
       {u"", u"width=\"70\""},
       {{10, 5, 110, 45}, {110, 5, 180, 45}}},
      {"minimum and maximum width bound a stretch child",
       u"",
       {0, 0, 300, 20},
       {u"maxwidth=\"50\"", u"minwidth=\"260\""},
       {{0, 0, 50, 20}, {50, 0, 310, 20}}},
      {"invisible children take no room, float ones are placed freely",
       u"childmargin=\"10\"",
       {0, 0, 200, 40},
       {u"width=\"50\"", u"width=\"50\" visible=\"false\"",
        u"width=\"20\" height=\"10\" float=\"true\" halign=\"right\"", u"width=\"50\""},
       {{0, 0, 50, 40}, {0, 0, 0, 0}, {180, 0, 200, 10}, {60, 0, 110, 40}}},
  };
  for (const LayoutCase& c : cases) Check(u"HBox", c);
}

TEST_F(HBoxTileLayoutTest, HBoxSizedToItsChildren) {
  Window window;
  auto* row = new HBox();
  row->ApplyAttributeList(u"width=\"auto\" height=\"auto\" childmargin=\"6\" padding=\"2,3,4,5\"");
  for (const char16_t* list : {u"width=\"30\" height=\"10\" margin=\"1,0,1,0\"",
                               u"width=\"40\" height=\"20\" margin=\"0,2,0,2\"",
                               u"width=\"50\" height=\"10\" visible=\"false\""}) {
    auto* child = new Control();
    child->ApplyAttributeList(list);
    row->Add(child);
  }
  window.AttachRoot(row);
  // 1 + 30 + 1, 6, 40 wide; 2 + 20 + 2 high; then the padding.
  EXPECT_EQ(row->EstimateSize(UiSize{500, 500}), (UiSize{78 + 6, 24 + 8}));
}

TEST_F(HBoxTileLayoutTest, TileBoxPlacesChildrenInCells) {
  const LayoutCase cases[] = {
      {"three columns share 100 pixels as 34, 33, 33 in every row",
       u"columns=\"3\"",
       {0, 0, 100, 100},
       {u"height=\"10\"", u"height=\"10\"", u"height=\"10\"", u"height=\"10\""},
       {{0, 0, 34, 10}, {34, 0, 67, 10}, {67, 0, 100, 10}, {0, 10, 34, 20}}},
      {"the item width decides the columns: 4 of 58, 58, 57, 57 in 230",
       u"itemsize=\"50,50\"",
       {0, 0, 230, 100},
       {u"height=\"50\"", u"height=\"50\"", u"height=\"50\"", u"height=\"50\"",
        u"height=\"50\""},
       {{0, 0, 58, 50}, {58, 0, 116, 50}, {116, 0, 173, 50}, {173, 0, 230, 50},
        {0, 50, 58, 100}}},
      {"a row is as high as its highest child; the others are centred in it",
       u"columns=\"2\"",
       {0, 0, 100, 100},
       {u"width=\"20\" height=\"20\"", u"width=\"20\" height=\"30\"",
        u"width=\"20\" height=\"10\""},
       {{15, 5, 35, 25}, {65, 0, 85, 30}, {15, 30, 35, 40}}},
      {"the child margin splits between cells and separates rows",
       u"columns=\"2\" childmargin=\"10\"",
       {0, 0, 100, 100},
       {u"height=\"20\"", u"height=\"20\"", u"height=\"20\""},
       {{5, 0, 45, 20}, {55, 0, 95, 20}, {5, 30, 45, 50}}},
      {"child margins inset the child within its cell",
       u"columns=\"2\"",
       {10, 10, 110, 110},
       {u"height=\"20\" margin=\"4,2,6,0\"", u"width=\"10\" height=\"10\""},
       {{14, 12, 54, 32}, {80, 16, 90, 26}}},
      {"invisible children are skipped, float ones placed freely",
       u"columns=\"2\"",
       {0, 0, 100, 100},
       {u"height=\"10\"", u"height=\"10\" visible=\"false\"",
        u"width=\"5\" height=\"5\" float=\"true\" valign=\"bottom\"", u"height=\"10\""},
       {{0, 0, 50, 10}, {0, 0, 0, 0}, {0, 95, 5, 100}, {50, 0, 100, 10}}},
  };
  for (const LayoutCase& c : cases) Check(u"TileBox", c);
}

TEST_F(HBoxTileLayoutTest, TileAttributesAndEstimate) {
  SetScale(150);
  Window window;
  auto* tiles = new TileBox();
  auto* layout = static_cast<TileLayout*>(tiles->GetLayout());
  tiles->ApplyAttributeList(u"itemsize=\"40,20\" columns=\"0\"");
  EXPECT_EQ(layout->GetItemSize(), (UiSize{60, 30}));
  EXPECT_EQ(layout->GetColumns(), 1) << "0 columns is ignored";
  tiles->SetAttribute(u"columns", u"3");
  EXPECT_EQ(layout->GetColumns(), 3);
  SetScale(100);

  // Rows of the first child's fixed height, the child margin between rows,
  // the padding around: 5 children in 2 columns are 3 rows.
  auto* grid = new TileBox();
  grid->ApplyAttributeList(u"columns=\"2\" childmargin=\"4\" padding=\"0,3,0,7\" height=\"auto\"");
  for (int i = 0; i < 5; ++i) {
    auto* child = new Control();
    child->ApplyAttributeList(u"height=\"20\"");
    grid->Add(child);
  }
  tiles->Add(grid);
  window.AttachRoot(tiles);
  EXPECT_EQ(grid->EstimateSize(UiSize{200, 500}).cy, 3 * 20 + 2 * 4 + 3 + 7);
  grid->GetItemAt(0)->SetAttribute(u"height", u"stretch");
  EXPECT_EQ(grid->EstimateSize(UiSize{200, 500}).cy, 2 * 4 + 3 + 7)
      << "a first child without a fixed height gives rows of 0, never a negative height";
}

}  // namespace
}  // namespace ui
