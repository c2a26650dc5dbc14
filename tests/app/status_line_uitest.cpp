// The status line keeps the beginning of a long text in view, cut with an ellipsis, and offers
// the whole text as its tooltip.
#include <QImage>
#include <QTest>

#include "app/ui/status_line.h"

namespace app {

class StatusLineTest : public QObject {
    Q_OBJECT

  private slots:
    void aShortTextIsShownWholeWithoutTooltip() {
        StatusLine line;
        line.setGeometry(0, 0, 184, 20);
        line.setText(QStringLiteral("亮度: 0"));
        QCOMPARE(line.ShownText(), line.text());
        QVERIFY(line.toolTip().isEmpty());
    }

    void aLongTextKeepsItsBeginningAndGivesTheRestAsTooltip() {
        StatusLine line;
        line.setGeometry(0, 0, 184, 20);
        const QString text = QStringLiteral(
            "Saving failed: the folder GIF动画 on the desktop could not be written to");
        line.setText(text);
        QCOMPARE(line.text(), text);
        const QString shown = line.ShownText();
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY(shown.size() > 3);
        QVERIFY(text.startsWith(shown.chopped(1)));
        QVERIFY(line.fontMetrics().horizontalAdvance(shown) <= line.width());
        QCOMPARE(line.toolTip(), text);

        line.setText(QStringLiteral("OK"));
        QVERIFY(line.toolTip().isEmpty());
    }

    void wideningTheFieldShowsMoreAndDropsTheTooltip() {
        StatusLine line;
        line.setGeometry(0, 0, 184, 20);
        const QString text = QStringLiteral("录制中，帧数 123456789hz 录制中，帧数 123456789hz");
        line.setText(text);
        line.show();
        QVERIFY(QTest::qWaitForWindowExposed(&line));
        QVERIFY(!line.toolTip().isEmpty());
        line.resize(line.fontMetrics().horizontalAdvance(text) + 40, 20);
        QTRY_COMPARE(line.ShownText(), text);
        QTRY_VERIFY(line.toolTip().isEmpty());
    }

    void theShownTextIsWhatIsPainted() {
        // The cut text, drawn, differs from the field painted empty: the paint uses ShownText.
        StatusLine line;
        line.setGeometry(0, 0, 184, 20);
        line.show();
        QVERIFY(QTest::qWaitForWindowExposed(&line));
        const QImage empty = line.grab().toImage();
        line.setText(QStringLiteral("A status text much longer than the field is wide, with more"));
        const QImage drawn = line.grab().toImage();
        QVERIFY(empty != drawn);
        // Nothing is drawn into the right margin beyond the ellipsis.
        const QColor background = empty.pixelColor(empty.width() - 4, empty.height() / 2);
        for (int y = 3; y < drawn.height() - 3; ++y) {
            QCOMPARE(drawn.pixelColor(drawn.width() - 4, y), background);
        }
    }
};

}  // namespace app

QTEST_MAIN(app::StatusLineTest)
#include "status_line_uitest.moc"
