// The forms' Japanese face draws the whole caption in one proportional face.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGlyphRun>
#include <QLabel>
#include <QRawFont>
#include <QTextLayout>

#include "platform/qt/FontSubstitution.h"
#include "platform/qt/QtControl.h"
#include "platform/qt/QtForm.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/qt/TestForms.h"

namespace skyroll::qt::test {
namespace {

// The families of the fonts that actually draw `text` in `font`.
QStringList familiesDrawing(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns())
        if (!families.contains(run.rawFont().familyName(), Qt::CaseInsensitive))
            families << run.rawFont().familyName();
    return families;
}

TEST(FontSubstitution, CaptionsDrawInOneProportionalJapaneseFace) {
    if (!QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
        GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
    QtToolkit toolkit;
    const platform::FormLayout layout = globeLikeLayout();
    RecordingEvents events;
    auto form = toolkit.createForm(layout, events);
    auto* label = qobject_cast<QLabel*>(dynamic_cast<QtForm&>(*form).findControl("Label3")->widget());
    ASSERT_NE(label, nullptr);

    struct Row {
        const char* name;
        const char* text;
    };
    const Row rows[] = {
        {"the label's caption", "最新データ更新中..."},
        {"Latin and kana mixed", "1/7 取得"},
        {"city name", "ニューヨーク"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QStringList families = familiesDrawing(QString::fromUtf8(row.text), label->font());
        ASSERT_EQ(families.size(), 1) << families.join(", ").toStdString();
        EXPECT_EQ(families.front().toLower(), QStringLiteral("ipapgothic"));
    }
    // A face nobody substitutes takes Latin and Japanese from different
    // fonts: what the check above would see without the substitution.
    QFont unknown(QStringLiteral("Ｎｏ Ｓｕｃｈ ゴシック"));
    EXPECT_GT(familiesDrawing(QString::fromUtf8("1/7 取得"), unknown).size(), 1);
    EXPECT_TRUE(label->font().bold());
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 11.25);
}

TEST(FontSubstitution, ProportionalFacesComeFirst) {
    EXPECT_EQ(proportionalJapaneseFamilies().front(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFont::substitutes(QStringLiteral("ＭＳ Ｐゴシック")).front().toLower(),
              QStringLiteral("ipapgothic"));
}

}  // namespace
}  // namespace skyroll::qt::test
