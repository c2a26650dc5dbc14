// The windows at the screen's DPI (the test command runs this at 96, 120, 144 and 192 through
// QT_FONT_DPI, with Qt's own scaling off as in gifrec, in Chinese and in English): the fixed
// layout grows with the fonts, no control reaches past the widget that holds it, and every
// caption and list entry fits.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/interface_language.h"
#include "app/ui/main_window.h"
#include "app/ui/ui_scale.h"
#include "app/ui/watermark_maker_window.h"
#include "main_window_support.h"

namespace app {
namespace {

// Controls the layout places outside the visible area on purpose.
bool OffLayout(const QWidget* widget) {
    const QString name = widget->objectName();
    return name.startsWith(QStringLiteral("编辑框")) || name == QStringLiteral("动画框1");
}

// Every shown descendant of `root` that does not lie inside its parent.
QStringList Overflowing(const QWidget* root) {
    QStringList found;
    for (const QWidget* child : root->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(root) || child->isWindow() || OffLayout(child)) continue;
        const QWidget* parent = child->parentWidget();
        if (!parent->rect().contains(child->geometry())) {
            found << QStringLiteral("%1 %2 in %3 %4")
                         .arg(child->metaObject()->className(), child->objectName())
                         .arg(QString::number(child->geometry().right()) + "," +
                              QString::number(child->geometry().bottom()))
                         .arg(parent->objectName())
                         .arg(QString::number(parent->width()) + "x" +
                              QString::number(parent->height()));
        }
    }
    return found;
}

int TextWidth(const QWidget* widget, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, widget->fontMetrics().horizontalAdvance(line));
    return widest;
}

// The room a combo box gives its entry text, beside the arrow and inside the frame.
int ComboTextRoom(const QComboBox* box) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    return box->style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box)
        .width();
}

// Captions, button texts and list entries that the widget showing them cuts off.
QStringList CutOff(const QWidget* root, const QList<const QWidget*>& exempt) {
    QStringList found;
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root) || exempt.contains(widget)) continue;
        auto report = [&](const QString& text, int needed, int room) {
            if (needed > room)
                found
                    << QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(room);
        };
        if (auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().isEmpty()) {
            report(label->text(), TextWidth(label, label->text()), label->contentsRect().width());
            const int lines = int(label->text().count('\n')) + 1;
            // The row captions draw a line per 24-pixel row; other labels one line after another.
            const int pitch = lines > 1 ? Px(24) : label->fontMetrics().height();
            report(label->text(), (lines - 1) * pitch + label->fontMetrics().height(),
                   label->height() + 2);
        } else if (auto* button = qobject_cast<const QPushButton*>(widget);
                   button && !button->text().isEmpty()) {
            // The style's button margins (at least 2 pixels a side).
            report(button->text(), TextWidth(button, button->text()) + 4, button->width());
            report(button->text(), button->fontMetrics().height(), button->height());
        } else if (auto* box = qobject_cast<const QComboBox*>(widget)) {
            for (int i = 0; i < box->count(); ++i)
                report(box->itemText(i), TextWidth(box, box->itemText(i)), ComboTextRoom(box));
            report(QStringLiteral("(list)"), box->fontMetrics().height(), box->height());
        } else if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
            report(group->title(), TextWidth(group, group->title()), group->width());
        } else if (auto* field = qobject_cast<const QLineEdit*>(widget)) {
            report(QStringLiteral("(field)"), field->fontMetrics().height(), field->height());
        }
    }
    return found;
}

}  // namespace

class LayoutFitTest : public QObject {
    Q_OBJECT

  private:
    platform::NullDesktop desktop_{platform::Size{1920, 1080}};
    QTemporaryDir folder_;

  private slots:
    void initTestCase() {
        // The test command runs it in each interface language.
        const QString language = qEnvironmentVariable("GIFREC_TEST_LANGUAGE", QStringLiteral("zh"));
        QVERIFY(InstallInterfaceLanguage(*QCoreApplication::instance(), language));
    }

    void theLayoutScalesWithTheScreensDpi() {
        const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
        const int wanted = qEnvironmentVariableIntValue("QT_FONT_DPI");
        if (wanted > 0) QCOMPARE(dpi, double(wanted));
        QCOMPARE(UiScale(), std::max(1.0, dpi / 96.0));
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(),
                 1.0);  // pixels stay physical

        auto window = MakeTestWindow(desktop_, folder_.path());
        QCOMPARE(window->size(), Px(MainWindow::kWidth, MainWindow::kHeight));
        QCOMPARE(window->findChild<QGroupBox*>(QStringLiteral("zxd"))->geometry(),
                 Px(8, 0, 264, 360));
        // Neighbours that touch at 96 dpi still touch.
        const QRect list = window->findChild<QComboBox*>(QStringLiteral("组合框1"))->geometry();
        const QRect record = window->findChild<QPushButton*>(QStringLiteral("按钮1"))->geometry();
        QCOMPARE(record.left() - list.right() - 1, Px(216) - Px(208));
    }

    void theMainWindowFitsInEveryCaptureMode() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* modes = window->findChild<QComboBox*>(QStringLiteral("组合框1"));
        for (int mode : {0, 1, 2}) {
            modes->setCurrentIndex(mode);
            QCoreApplication::processEvents();
            const QStringList overflowing = Overflowing(window.get());
            QVERIFY2(overflowing.isEmpty(), qPrintable(overflowing.join("; ")));
            const QStringList cut = CutOff(window.get(), {});
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
        }
        // The window's contents, menu bar included, fit the fixed window.
        QVERIFY(window->centralWidget()->geometry().bottom() < window->height());
        QVERIFY(window->findChild<QGroupBox*>(QStringLiteral("zxd"))->geometry().bottom() <
                window->centralWidget()->height());
    }

    void theWatermarkMakerFits() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->show();
        auto* maker = new WatermarkMakerWindow(window.get());
        maker->show();
        QVERIFY(QTest::qWaitForWindowExposed(maker));
        QCoreApplication::processEvents();
        const QStringList overflowing = Overflowing(maker);
        QVERIFY2(overflowing.isEmpty(), qPrintable(overflowing.join("; ")));
        // Font names are as long as their makers like; the list shows their beginnings.
        const QStringList cut = CutOff(maker, {maker->FontList()});
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
        QCOMPARE(maker->size(), Px(293, 248));
        maker->close();
    }
};

}  // namespace app

QTEST_MAIN(app::LayoutFitTest)
#include "layout_fit_uitest.moc"
