// The about box: caption, version line, description, button and labels in
// place, centred on the screen, closed by OK.
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "gui_test_support.h"
#include "workbench/gui/about_box.h"
#include "workbench/gui/version_reader.h"

using namespace vorn;
using namespace vorn::test;

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void versionValuesAreCompiledIn() {
        const VersionInfo info = ReadVersionInfo();
        QVERIFY(info.available);
        QCOMPARE(QString("%1.%2.%3.%4").arg(info.major).arg(info.minor).arg(info.release).arg(info.build),
                 QString("0.1.0.0"));
        QCOMPARE(info.fileDescription, QString("Vorn - Compiler/Interpreter for FSUIPC"));
        QCOMPARE(info.productName, QString("Vorn"));
    }

    void aboutBoxShowsTheVersionAndClosesWithOk() {
        FormFixture f;
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));

        QString caption, version, description, buttonText;
        QPoint versionPos, descriptionPos, windowPos, buttonPos;
        QSize windowSize, buttonSize;
        bool modal = false;
        ModalScript script({[&](QWidget* w) {
            caption = w->windowTitle();
            modal = w->isModal();
            windowPos = w->pos();
            windowSize = w->size();
            auto* about = w->findChild<QLabel*>("LAbout");
            auto* desc = w->findChild<QLabel*>("LDescription");
            auto* ok = w->findChild<QPushButton*>("BN_OK");
            if (!about || !desc || !ok) return;
            version = about->text();
            versionPos = about->pos();
            description = desc->text();
            descriptionPos = desc->pos();
            buttonText = ok->text();
            buttonPos = ok->pos();
            buttonSize = ok->size();
            ok->click();
        }});
        f.form.findChild<QAction*>("About1")->trigger();  // returns once OK closed it
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(caption, QString("About Vorn"));
        QVERIFY(modal);
        QCOMPARE(version, QString("Version 0.1.0.0"));
        QCOMPARE(description, QString("Vorn - Compiler/Interpreter for FSUIPC"));
        QCOMPARE(buttonText, QString("OK"));
        QCOMPARE(versionPos, QPoint(30, 20));
        QCOMPARE(descriptionPos, QPoint(30, 40));
        QCOMPARE(buttonPos, QPoint((windowSize.width() - buttonSize.width()) / 2,
                                   windowSize.height() - buttonSize.height() - 50));
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize screenSize = screen->size() * screen->devicePixelRatio();
        QCOMPARE(windowPos, QPoint((screenSize.width() - windowSize.width()) / 2,
                                   (screenSize.height() - windowSize.height()) / 2));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
