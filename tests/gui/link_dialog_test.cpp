// Options > Simulator Link... filled and answered as a user would, each time
// in a window started afresh on one settings file: what OK keeps outlives
// the window, Cancel keeps nothing, Defaults fills in the defaults.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

namespace {

struct Fields {
    QString name;
    int timeout = 0, attempts = 0;
    bool reconnect = false, connectAtStart = false, oneExchangePerTick = false;
    bool operator==(const Fields&) const = default;
};

Fields Read(QWidget* d) {
    return {d->findChild<QLineEdit*>("MessageName")->text(), d->findChild<QSpinBox*>("TimeoutMs")->value(),
            d->findChild<QSpinBox*>("Attempts")->value(), d->findChild<QCheckBox*>("Reconnect")->isChecked(),
            d->findChild<QCheckBox*>("ConnectAtStart")->isChecked(),
            d->findChild<QCheckBox*>("OneExchangePerTick")->isChecked()};
}

void Write(QWidget* d, const Fields& f) {
    d->findChild<QLineEdit*>("MessageName")->setText(f.name);
    d->findChild<QSpinBox*>("TimeoutMs")->setValue(f.timeout);
    d->findChild<QSpinBox*>("Attempts")->setValue(f.attempts);
    d->findChild<QCheckBox*>("Reconnect")->setChecked(f.reconnect);
    d->findChild<QCheckBox*>("ConnectAtStart")->setChecked(f.connectAtStart);
    d->findChild<QCheckBox*>("OneExchangePerTick")->setChecked(f.oneExchangePerTick);
}

const Fields kDefaults{"FsasmLib:IPC", 2000, 10, false, false, false};
const Fields kChosen{"WideServer:IPC", 500, 3, true, true, true};

}  // namespace

Q_DECLARE_METATYPE(Fields)

class LinkDialogTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        qputenv("VORN_NO_SETTINGS", "");
        qputenv("VORN_SETTINGS_FILE", dir.filePath("vorn.conf").toLocal8Bit());
    }

    void keepsWhatOkChoseAcrossARestart_data() {
        QTest::addColumn<Fields>("typed");  // an empty name: nothing typed
        QTest::addColumn<bool>("defaults");  // "Defaults" pressed first
        QTest::addColumn<bool>("ok");
        QTest::addColumn<Fields>("shownBefore");
        // In order: each row opens what the one before it left.
        QTest::newRow("OK keeps") << kChosen << false << true << kDefaults;
        QTest::newRow("Cancel drops") << Fields{"Other:IPC", 9, 9, false, false, false} << false << false << kChosen;
        QTest::newRow("Defaults fills in the defaults") << Fields{} << true << true << kChosen;
        QTest::newRow("after Defaults") << Fields{} << false << false << kDefaults;
    }
    void keepsWhatOkChoseAcrossARestart() {
        QFETCH(Fields, typed);
        QFETCH(bool, defaults);
        QFETCH(bool, ok);
        QFETCH(Fields, shownBefore);
        FormFixture f;
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        Fields shown, afterDefaults;
        ModalScript script({[&](QWidget* w) {
            shown = Read(w);
            if (defaults) {
                w->findChild<QPushButton*>("Defaults")->click();
                afterDefaults = Read(w);
            } else if (!typed.name.isEmpty()) {
                Write(w, typed);
            }
            auto* dialog = qobject_cast<QDialog*>(w);
            ok ? dialog->accept() : dialog->reject();
        }});
        f.form.findChild<QAction*>("SimulatorLink1")->trigger();
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(script.Unexpected(), 0);
        QVERIFY(shown == shownBefore);
        if (defaults) QVERIFY(afterDefaults == kDefaults);
        const bool reconnect = ok ? (defaults ? kDefaults : typed).reconnect : shownBefore.reconnect;
        QCOMPARE(f.form.findChild<QAction*>("ReconnectAutomatically1")->isChecked(), reconnect);
    }
};

QTEST_MAIN(LinkDialogTest)
#include "link_dialog_test.moc"
