// The pop-up menu built from the menu tree: marks, disabled items, choosing.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "platform/qt/QtForm.h"
#include "platform/qt/QtMenuItem.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/qt/TestForms.h"

namespace skyroll::qt::test {
namespace {

struct MenuTest : testing::Test {
    QtToolkit toolkit;
    platform::FormLayout layout = globeLikeLayout();
    RecordingEvents events;
    std::unique_ptr<platform::Form> form = toolkit.createForm(layout, events);
    QtForm& qform = dynamic_cast<QtForm&>(*form);

    QAction* action(std::string_view name) { return qform.findMenu(name)->action(); }

    std::vector<std::string> menuEvents() const {
        std::vector<std::string> chosen;
        for (const std::string& e : events.log)
            if (e.rfind("menu ", 0) == 0) chosen.push_back(e);
        return chosen;
    }

    // Clicks the items named, one after another, in the pop-up menu that is
    // open once the event loop runs; then closes what is still open.
    void clickWhenOpen(std::vector<std::string> captions) {
        QTimer::singleShot(0, [captions] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (const std::string& caption : captions) {
                for (QAction* a : menu->actions())
                    if (a->text() == QString::fromStdString(caption))
                        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
            }
            if (QWidget* still = QApplication::activePopupWidget()) still->close();
        });
    }
};

TEST_F(MenuTest, TreeCarriesCaptionsMarksAndStates) {
    struct Row {
        const char* name;
        const char* caption;
        bool checked;
        bool enabled;
    };
    const Row rows[] = {
        {"mSET", "OPTION", false, true},    {"mTENKI", "Weather", true, true}, {"mMOON", "Moon", false, true},
        {"mOFF", "Disabled", false, false}, {"mEnd", "EXIT", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(action(row.name)->text().toStdString(), row.caption);
        EXPECT_EQ(action(row.name)->isChecked(), row.checked);
        EXPECT_EQ(form->menu(row.name).checked(), row.checked);
        EXPECT_EQ(action(row.name)->isEnabled(), row.enabled);
    }
    EXPECT_NE(action("mSET")->menu(), nullptr);
    EXPECT_THROW(form->menu("mNone"), std::out_of_range);

    form->menu("mMOON").setChecked(true);
    form->menu("mTENKI").setChecked(false);
    form->menu("mEnd").setEnabled(false);
    EXPECT_TRUE(action("mMOON")->isChecked());
    EXPECT_FALSE(action("mTENKI")->isChecked());
    EXPECT_FALSE(action("mEnd")->isEnabled());
}

TEST_F(MenuTest, ADisabledItemCannotBeChosen) {
    form->show();
    clickWhenOpen({"Disabled"});
    form->popupMenu("mMenu");
    EXPECT_TRUE(menuEvents().empty());

    clickWhenOpen({"EXIT"});
    form->popupMenu("mMenu");
    EXPECT_EQ(menuEvents(), std::vector<std::string>{"menu mEnd"});
}

TEST_F(MenuTest, ChoosingACheckedItemLeavesTheMarkToTheProgram) {
    form->show();
    clickWhenOpen({"Weather"});
    form->popupMenu("mSET");
    EXPECT_EQ(menuEvents(), std::vector<std::string>{"menu mTENKI"});
    EXPECT_TRUE(form->menu("mTENKI").checked());
    EXPECT_TRUE(action("mTENKI")->isChecked());
}

TEST_F(MenuTest, CommandsAreNotSubmenus) { EXPECT_THROW(form->popupMenu("mEnd"), std::out_of_range); }

}  // namespace
}  // namespace skyroll::qt::test
