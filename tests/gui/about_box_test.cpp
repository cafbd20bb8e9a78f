// The Help menu. The about box: caption, version line, description, button
// and labels in place, centred on the screen (also at a scale factor of 2),
// closed by OK. The user's guide: the page made in this build tree, handed
// to the system's viewer.
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "gui_test_support.h"
#include "workbench/qt/about_box.h"

using namespace vorn;
using namespace vorn::test;

// Stands in for the system's browser: takes every file URL it is given.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void userGuideOpensTheGuidePage() {
        FormFixture f;
        UrlCatcher browser;
        QDesktopServices::setUrlHandler("file", &browser, "open");
        ModalScript noMessage({});  // a message box here would say the guide is missing
        f.form.findChild<QAction*>("UserGuide1")->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(noMessage.Unexpected(), 0);
        QCOMPARE(browser.opened.size(), 1);
        QFile page(browser.opened.front().toLocalFile());
        QCOMPARE(QFileInfo(page).fileName(), QString("guide.html"));
        QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
        QVERIFY(page.readAll().contains("<h1>Vorn user's guide</h1>"));
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
        // Centred in logical pixels, so on a scaled screen too it lies wholly on it.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(windowPos, QPoint((screen.width() - windowSize.width()) / 2, (screen.height() - windowSize.height()) / 2));
        QVERIFY2(screen.contains(QRect(windowPos, windowSize)), qPrintable(QString("scale %1").arg(qApp->devicePixelRatio())));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
