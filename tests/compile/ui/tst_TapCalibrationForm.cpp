#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "compile/TapLatencyStore.h"
#include "compile/ui/TapCalibrationDialog.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/ManualSink.h"
#include "platform/cdaudio/PcmRing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {
namespace Names = TapCalibrationObjectNames;

// The dialog on a sink moved by hand, in a private settings folder.
struct DialogRig {
    ~DialogRig() { delete form.data(); }

    // Creates the dialog as the compiler window does and puts it on screen.
    bool open()
    {
        form = new TapCalibrationDialog(settings, boxes, [this] {
            auto made = std::make_unique<ManualSink>();
            sink = made.get();
            return made;
        });
        form->show();
        QApplication::setActiveWindow(form);
        form->activateWindow();
        return QTest::qWaitForWindowActive(form);
    }
    QAbstractButton* button(const QString& name) const { return form->findChild<QAbstractButton*>(name); }
    QString label(const QString& name) const { return form->findChild<QLabel*>(name)->text(); }
    // Plays the count-in up to ms.
    void playTo(qint64 ms)
    {
        if (sink)
            sink->play(ClickTrack::byteAt(ms) - sink->playedBytes());
    }
    // A key as the user types it: to whatever has the focus.
    void key(Qt::Key k, bool autoRepeat = false)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.data();
        if (!autoRepeat) {
            QTest::keyClick(target, k);
            return;
        }
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(target, &press);
    }

    TempSettingsHome home;
    QSettingsStore settings;
    ScriptedMessageBoxes boxes;
    ManualSink* sink = nullptr;
    QPointer<TapCalibrationDialog> form;
};

// An output that plays by hand and can go away, as a sound server that dies.
class BreakingSink final : public PcmSink {
public:
    void start(PcmRing& ring) override { ring_ = &ring; }
    void stop() override { ring_ = nullptr; }
    qint64 playedBytes() override { return played_; }
    bool failed() const override { return broken; }
    void playTo(qint64 ms)
    {
        QByteArray chunk(ClickTrack::byteAt(ms) - played_, Qt::Uninitialized);
        if (ring_)
            played_ += ring_->read(chunk.data(), chunk.size());
    }
    bool broken = false;

private:
    PcmRing* ring_ = nullptr;
    qint64 played_ = 0;
};

qint64 along(int n)
{
    return TapCalibration::clickMs(TapCalibration::ListenClicks + n);
}
} // namespace

class tst_TapCalibrationForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Real key presses along a count-in played by hand; the result shows
    // when the last click's window has closed, and only a measurement can be
    // kept.
    void tapsFromTheKeyboard_data()
    {
        QTest::addColumn<QList<qint64>>("at"); // heard ms of each key
        QTest::addColumn<QString>("keys");     // S space, E enter, R a repeat of a held space, A the A key
        QTest::addColumn<QString>("result");   // what the dialog says
        QTest::addColumn<int>("kept");         // what Save keeps; -999: Save stays disabled

        QList<qint64> late40;
        for (int n = 0; n < 8; ++n)
            late40 << along(n) + 40;
        QTest::newRow("eight late spaces") << late40 << "SSSSSSSS"
                                           << "+40 ms（ばらつき 0 ms）" << 40;
        QTest::newRow("enter taps too, early")
            << QList<qint64>{along(0) - 20, along(1) - 10, along(2) - 30, along(3) - 20, along(4) - 30}
            << "ESESE"
            << "-20 ms（ばらつき 10 ms）" << -20;
        // A held key's repeats land on the next clicks: only real presses count.
        QTest::newRow("a held key taps once")
            << QList<qint64>{along(0) + 30, along(1) + 30, along(2) + 30, along(3) + 30,
                             along(4) + 30, along(5) + 30, along(6) + 30, along(7) + 30}
            << "SRSRSRSR" << TapCalibration::tooFewMessage(4) << -999;
        QTest::newRow("taps on the listen clicks do not count")
            << QList<qint64>{320, 920, 1520, 2120, along(0) + 20, along(1) + 20, along(2) + 20, along(3) + 20}
            << "SSSSSSSS" << TapCalibration::tooFewMessage(4) << -999;
        QTest::newRow("other keys do not tap")
            << late40 << "AAAAAAAA" << TapCalibration::tooFewMessage(0) << -999;
        QTest::newRow("scattered taps")
            << QList<qint64>{along(0) - 250, along(1) + 200, along(2) - 150, along(3) + 280,
                             along(4),       along(5) - 290, along(6) + 150, along(7) + 100}
            << "SSSSSSSS" << TapCalibration::tooScatteredMessage(175) << -999;
    }
    void tapsFromTheKeyboard()
    {
        QFETCH(QList<qint64>, at);
        QFETCH(QString, keys);
        QFETCH(QString, result);
        QFETCH(int, kept);

        DialogRig rig;
        QVERIFY(rig.open());
        QCOMPARE(rig.form->windowTitle(), QStringLiteral("タップの遅れを測る"));
        QVERIFY(!rig.button(Names::saveButton)->isEnabled());
        QTest::mouseClick(rig.button(Names::startButton), Qt::LeftButton);
        QVERIFY(rig.sink);
        QVERIFY(!rig.button(Names::startButton)->isEnabled());
        // No button has taken the focus: Space is a tap, not a click.
        QVERIFY(!qobject_cast<QAbstractButton*>(QApplication::focusWidget()));
        for (qsizetype i = 0; i < at.size(); ++i) {
            rig.playTo(at[i]);
            switch (keys[i].toLatin1()) {
            case 'S':
                rig.key(Qt::Key_Space);
                break;
            case 'E':
                rig.key(Qt::Key_Return);
                break;
            case 'R':
                rig.key(Qt::Key_Space, true);
                break;
            default:
                rig.key(Qt::Key_A);
            }
        }
        QVERIFY(rig.form->isVisible());
        QVERIFY(rig.label(Names::result).isEmpty());
        rig.playTo(TapCalibration::closedMs - 1);
        QTest::qWait(3 * TapCalibrationDialog::PollMs);
        QVERIFY(rig.label(Names::result).isEmpty());
        rig.playTo(TapCalibration::lengthMs);
        QTRY_COMPARE(rig.label(Names::result), result);
        QVERIFY(rig.button(Names::startButton)->isEnabled());
        QCOMPARE(rig.button(Names::saveButton)->isEnabled(), kept != -999);

        QSignalSpy keptChanged(rig.form.data(), &TapCalibrationDialog::keptChanged);
        QTest::mouseClick(rig.button(Names::saveButton), Qt::LeftButton);
        QCOMPARE(TapLatencyStore(rig.settings).read(), kept == -999 ? 0 : kept);
        QCOMPARE(keptChanged.size(), kept == -999 ? 0 : 1);
        QCOMPARE(rig.label(Names::kept),
                 QStringLiteral("いまの設定: ") + TapCalibration::keptText(kept == -999 ? 0 : kept));
        QVERIFY(rig.boxes.shown.isEmpty());
    }

    // A lamp lights with its click and goes dark again.
    void lampsFollowTheClicks()
    {
        DialogRig rig;
        QVERIFY(rig.open());
        QTest::mouseClick(rig.button(Names::startButton), Qt::LeftButton);
        auto style = [&](int lamp) { return rig.form->findChild<QLabel*>(Names::lamp(lamp))->styleSheet(); };
        const QString dark = style(1);
        rig.playTo(TapCalibration::clickMs(1) + 20);
        QTRY_VERIFY(style(1) != dark);
        QCOMPARE(style(0), dark);
        rig.playTo(TapCalibration::clickMs(1) + TapCalibrationDialog::LampMs + 20);
        QTRY_COMPARE(style(1), dark);
    }

    // A second count-in forgets the first one's taps and result.
    void startingAgainStartsOver()
    {
        DialogRig rig;
        QVERIFY(rig.open());
        QTest::mouseClick(rig.button(Names::startButton), Qt::LeftButton);
        for (int n = 0; n < 8; ++n) {
            rig.playTo(along(n) + 50);
            rig.key(Qt::Key_Space);
        }
        rig.playTo(TapCalibration::lengthMs);
        QTRY_VERIFY(rig.button(Names::saveButton)->isEnabled());
        QTest::mouseClick(rig.button(Names::startButton), Qt::LeftButton);
        QVERIFY(!rig.button(Names::saveButton)->isEnabled());
        QVERIFY(rig.label(Names::result).isEmpty());
        QCOMPARE(rig.sink->playedBytes(), qint64(0));
        QCOMPARE(rig.form->calibration().matchedCount(), 0);
        for (int n = 0; n < 5; ++n) {
            rig.playTo(along(n) + 10);
            rig.key(Qt::Key_Space);
        }
        rig.playTo(TapCalibration::lengthMs);
        QTRY_COMPARE(rig.label(Names::result), QStringLiteral("+10 ms（ばらつき 0 ms）"));
    }

    void resetKeepsNoCorrection()
    {
        DialogRig rig;
        QVERIFY(TapLatencyStore(rig.settings).write(45));
        QVERIFY(rig.open());
        QCOMPARE(rig.label(Names::kept), QStringLiteral("いまの設定: 遅れ補正 +45 ms"));
        QSignalSpy keptChanged(rig.form.data(), &TapCalibrationDialog::keptChanged);
        QTest::mouseClick(rig.button(Names::resetButton), Qt::LeftButton);
        QCOMPARE(TapLatencyStore(rig.settings).read(), 0);
        QCOMPARE(keptChanged.size(), 1);
        QCOMPARE(keptChanged.first().first().toInt(), 0);
        QCOMPARE(rig.label(Names::kept), QStringLiteral("いまの設定: 遅れ補正 なし"));
    }

    // The settings file cannot be written: the box says so, nothing claims
    // the value was kept.
    void aFailedSaveIsSaid_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("save") << QString(Names::saveButton);
        QTest::newRow("reset") << QString(Names::resetButton);
    }
    void aFailedSaveIsSaid()
    {
        QFETCH(QString, button);
        DialogRig rig;
        QVERIFY(rig.open());
        QTest::mouseClick(rig.button(Names::startButton), Qt::LeftButton);
        for (int n = 0; n < 8; ++n) {
            rig.playTo(along(n) + 25);
            rig.key(Qt::Key_Space);
        }
        rig.playTo(TapCalibration::lengthMs);
        QTRY_VERIFY(rig.button(Names::saveButton)->isEnabled());
        QVERIFY(QDir().mkpath(rig.home.configFile())); // a folder where the file must go
        QSignalSpy keptChanged(rig.form.data(), &TapCalibrationDialog::keptChanged);
        QTest::mouseClick(rig.button(button), Qt::LeftButton);
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown.first().text, TapLatencyStore::writeFailedMessage());
        QCOMPARE(rig.boxes.shown.first().icon, BoxIcon::Error);
        QCOMPARE(keptChanged.size(), 0);
        QCOMPARE(rig.label(Names::kept), QStringLiteral("いまの設定: 遅れ補正 なし"));
    }

    void noSoundNoCountIn()
    {
        TempSettingsHome home;
        QSettingsStore settings;
        ScriptedMessageBoxes boxes;
        TapCalibrationDialog form(settings, boxes, [] { return std::unique_ptr<PcmSink>(); });
        form.show();
        QTest::mouseClick(form.findChild<QAbstractButton*>(Names::startButton), Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, TapCalibration::noSoundMessage());
        QVERIFY(!form.clickTrack().running());
        QVERIFY(form.findChild<QAbstractButton*>(Names::startButton)->isEnabled());
    }

    // The sound goes away in the middle of the count-in: the dialog says so
    // and can start again, and the taps before do not make a result.
    void theSoundGoesAway()
    {
        TempSettingsHome home;
        QSettingsStore settings;
        ScriptedMessageBoxes boxes;
        BreakingSink* sink = nullptr;
        TapCalibrationDialog form(settings, boxes, [&] {
            auto made = std::make_unique<BreakingSink>();
            sink = made.get();
            return made;
        });
        form.show();
        QTest::mouseClick(form.findChild<QAbstractButton*>(Names::startButton), Qt::LeftButton);
        QVERIFY(sink);
        for (int n = 0; n < 6; ++n) {
            sink->playTo(along(n) + 30);
            QTest::keyClick(&form, Qt::Key_Space);
        }
        QCOMPARE(form.calibration().matchedCount(), 6);
        sink->broken = true;
        QTRY_COMPARE(form.findChild<QLabel*>(Names::result)->text(), TapCalibration::soundLostMessage());
        QVERIFY(!form.clickTrack().running());
        QVERIFY(form.findChild<QAbstractButton*>(Names::startButton)->isEnabled());
        QVERIFY(!form.findChild<QAbstractButton*>(Names::saveButton)->isEnabled());
        QVERIFY(!form.measured());
    }

    // Escape closes the dialog in the middle of a count-in: the clicks stop
    // at once.
    void closingStopsTheClicks()
    {
        DialogRig rig;
        QVERIFY(rig.open());
        QTest::mouseClick(rig.button(Names::startButton), Qt::LeftButton);
        rig.playTo(1000);
        rig.key(Qt::Key_Escape);
        QVERIFY(!rig.form->isVisible());
        QVERIFY(!rig.form->clickTrack().running());
        QCOMPARE(rig.sink->play(ClickTrack::byteAt(100)), qint64(0));
    }

    // Shows the dialog through a count-in on the wall clock, tapped 40 ms
    // late, for a look at it on a real screen:
    // ONDEL_CALIBRATION_SHOW=<ms to linger> QT_QPA_PLATFORM=xcb tst_TapCalibrationForm showForScreenshot
    void showForScreenshot()
    {
        const int lingerMs = qEnvironmentVariableIntValue("ONDEL_CALIBRATION_SHOW");
        if (lingerMs <= 0)
            QSKIP("set ONDEL_CALIBRATION_SHOW to watch the dialog");
        TempSettingsHome home;
        QSettingsStore settings;
        ScriptedMessageBoxes boxes;
        SteadyClock clock;
        TapCalibrationDialog form(settings, boxes, [&] { return std::make_unique<ClockSink>(clock); });
        form.move(40, 40);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(lingerMs);
        QTest::mouseClick(form.findChild<QAbstractButton*>(Names::startButton), Qt::LeftButton);
        for (int n = 0; n < TapCalibration::TapClicks; ++n) {
            QTRY_VERIFY_WITH_TIMEOUT(form.clickTrack().heardMs() >= along(n) + 40, 3000);
            QTest::keyClick(&form, Qt::Key_Space);
        }
        QTRY_VERIFY_WITH_TIMEOUT(form.measured().has_value(), 3000);
        QTest::qWait(lingerMs);
    }
};

QTEST_MAIN(tst_TapCalibrationForm)
#include "tst_TapCalibrationForm.moc"
