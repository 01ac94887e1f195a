// The pop-up menu built from the menu tree: captions, submenus, the marks
// and greying of the real actions.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "platform/qt/QtForm.h"
#include "platform/qt/QtMenuItem.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/qt/TestForms.h"

namespace skyroll::qt::test {
namespace {

TEST(QtMenu, TreeCarriesCaptionsMarksAndStatesOnItsActions) {
    QtToolkit toolkit;
    const platform::FormLayout layout = globeLikeLayout();
    RecordingEvents events;
    auto form = toolkit.createForm(layout, events);
    auto& qform = dynamic_cast<QtForm&>(*form);
    const auto action = [&](std::string_view name) { return qform.findMenu(name)->action(); };
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
        EXPECT_EQ(action(row.name)->isEnabled(), row.enabled);
    }
    EXPECT_NE(action("mSET")->menu(), nullptr);

    form->menu("mMOON").setChecked(true);
    form->menu("mTENKI").setChecked(false);
    form->menu("mEnd").setEnabled(false);
    EXPECT_TRUE(action("mMOON")->isChecked());
    EXPECT_FALSE(action("mTENKI")->isChecked());
    EXPECT_FALSE(action("mEnd")->isEnabled());
}

}  // namespace
}  // namespace skyroll::qt::test
