// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <tuple>

using namespace kv;

using Window = kv::test::WindowTest;

TEST_F(Window, StartsWithNoTableAndItsMenusAnswer) {
    EXPECT_EQ(w->windowTitle(), "Orvane Kestrel Vanta Version " KV_VERSION);
    EXPECT_FALSE(w->tableShown());
    const std::tuple<int, int, const char*> headings[] = {
        {0, 0, "MAP/RPM"}, {0, 1, "0"}, {0, 16, "7500"}, {1, 0, "Low"}, {2, 0, "WOT"}};
    for (const auto& [r, c, text] : headings)
        EXPECT_EQ(model()->index(r, c).data().toString(), text) << r << "," << c;

    dialogs.expectMessage("", Button::OK);
    trigger("mnuAbout");
    EXPECT_EQ(dialogs.last().text.find("Orvane Kestrel Vanta Version " KV_VERSION "\n"), 0u);
    QTest::keyClick(w->grid(), Qt::Key_Escape);
    EXPECT_TRUE(s().AbortRequested);
    trigger("mnuCloseTable"); // no table open: no question, and the maker's name goes
    EXPECT_EQ(w->windowTitle(), "Kestrel Vanta Version " KV_VERSION);

    w->setTableShown(true);
    dialogs.expectMessage("Save advance table before exiting?", Button::Cancel)
        .expectMessage("Save advance table before exiting?", Button::No);
    trigger("mnuExit");
    EXPECT_TRUE(w->isVisible());
    trigger("mnuExit");
    EXPECT_TRUE(dialogs.done());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Window, TypedCellsAreCheckedAndOnlyRaceTablesTakeTyping) {
    kv::test::showTable(*w, "RACE", kv::test::curves(10.0, 10.0, 0));
    const QModelIndex lowAt500 = model()->index(1, 2);
    EXPECT_FALSE(model()->flags(model()->index(0, 2)) & Qt::ItemIsEditable); // headings never
    dialogs.expectMessage("Advance must be numeric value between zero and 40 degrees.", Button::OK);
    EXPECT_FALSE(model()->setData(lowAt500, "40.1"));
    EXPECT_EQ(s().live.text(1, 2), "10.0");
    w->grid()->setCurrentCell(1, 2);
    EXPECT_TRUE(model()->setData(lowAt500, "25"));
    EXPECT_EQ(s().live.text(1, 2), "25"); // kept as typed
    EXPECT_EQ(s().live.value(kLow, 2), 25.0);
    EXPECT_EQ(w->chart()->valueLabelText(), "25.0");
    w->applyInteraction("EX");
    EXPECT_FALSE(model()->flags(lowAt500) & Qt::ItemIsEditable);
}
