#include "CaptureRig.h"
#include "GeneratedMusic.h"
#include "compile/SnapSettings.h"
#include "compile/ui/TimelineWidget.h"
#include "lyrics/format/DwdRetime.h"

#include <QCheckBox>
#include <QTemporaryDir>

namespace Names = CompileWindowObjectNames;

// The drum loop has a note every 250 ms: frames 56, 75, 94, 112, 131, 150, ...
// (a quarter second is 18.75 frames).
class TimingViewTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(dir.filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? out.fileName()
                                                                                  : QString();
    }

    // The window open on a script of four pieces, the track analysed.
    bool openAnalysed(CaptureRig& rig)
    {
        rig.editorFile = file(QStringLiteral("song.txt"), "abcd");
        rig.imagePath = dir.filePath(QStringLiteral("drums.wav"));
        if (!rig.open())
            return false;
        return QTest::qWaitFor([&] { return rig.form->compiler().analyzer().analysis() != nullptr; }, 10000);
    }

    // A take of "abc" at 0:02:00, 0:04:00 and 0:06:00, ended.
    bool takeThreePieces(CaptureRig& rig)
    {
        rig.editorFile = file(QStringLiteral("song.txt"), "abc");
        if (!rig.open())
            return false;
        rig.start();
        for (const int frame : {150, 300, 450})
            rig.pressAt(TrackPosition::fromFrames(frame));
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        return QFile::exists(dir.filePath(QStringLiteral("song.dwd")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(GeneratedMusic::writeWav(GeneratedMusic::drums(6, 21),
                                         dir.filePath(QStringLiteral("drums.wav"))));
    }

    void pressesSnapToNotes_data()
    {
        QTest::addColumn<bool>("snap");
        QTest::addColumn<int>("windowMs");
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<QList<int>>("pressed"); // frames heard; -1 is Backspace
        QTest::addColumn<QList<int>>("placed");
        QTest::newRow("off: where pressed") << false << 80 << 0 << QList<int>{78, 97} << QList<int>{78, 97};
        QTest::newRow("late presses move back")
            << true << 80 << 0 << QList<int>{78, 97} << QList<int>{75, 94};
        // An early press would have to move past what was heard.
        QTest::newRow("never after the position")
            << true << 80 << 0 << QList<int>{72, 92} << QList<int>{72, 92};
        QTest::newRow("no note in a narrow window") << true << 20 << 0 << QList<int>{79} << QList<int>{79};
        // 40 ms is 3 frames: heard at 81, pressed at 78, a note at 75.
        QTest::newRow("latency first, then the snap") << true << 80 << 40 << QList<int>{81} << QList<int>{75};
        // The second press's nearest note (75) is the first piece's: it stays after it.
        QTest::newRow("never before the previous piece")
            << true << 80 << 0 << QList<int>{76, 80} << QList<int>{75, 75};
        QTest::newRow("backspace takes back one press")
            << true << 80 << 0 << QList<int>{78, 97, -1, 99} << QList<int>{75, 94};
    }
    void pressesSnapToNotes()
    {
        QFETCH(bool, snap);
        QFETCH(int, windowMs);
        QFETCH(int, latencyMs);
        QFETCH(QList<int>, pressed);
        QFETCH(QList<int>, placed);
        CaptureRig rig;
        const SnapSettings kept{snap, windowMs};
        QVERIFY(kept.write(rig.settings));
        QVERIFY(openAnalysed(rig));
        QCOMPARE(rig.form->findChild<QCheckBox*>(Names::snapBox)->isChecked(), snap);
        rig.form->compiler().setTapLatencyMs(latencyMs);
        rig.start();
        for (const int frame : pressed) {
            if (frame < 0)
                rig.key(Qt::Key_Backspace);
            else
                rig.pressAt(TrackPosition::fromFrames(frame));
        }
        QList<int> marks;
        for (const TimingEdit::Piece& mark : rig.form->compiler().marks())
            marks << mark.placed;
        QCOMPARE(marks, placed);
        QTest::mouseClick(rig.button(Names::endButton), Qt::LeftButton);
        QFile out(dir.filePath(QStringLiteral("song.dwd")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(DwdRetime::pieceFrames(out.readAll()), placed);
    }

    // The check box is remembered; Space still times with it clicked.
    void theCheckBoxIsRememberedAndTakesNoFocus()
    {
        CaptureRig rig;
        QVERIFY(openAnalysed(rig));
        auto* box = rig.form->findChild<QCheckBox*>(Names::snapBox);
        QVERIFY(!box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QCOMPARE(SnapSettings::read(rig.settings).enabled, true);
        rig.start();
        rig.pressAt(TrackPosition::fromFrames(78));
        QCOMPARE(rig.form->compiler().timedPieces(), 1);
        QCOMPARE(rig.form->compiler().marks().value(0).placed, 75);
    }

    // After a take: Tab selects, Alt+arrows move by one or ten frames (never
    // past a neighbour), Ctrl+Z undoes, Save writes the file through its
    // working file; the file then opens in the view with the new times.
    void editingAfterATake_data()
    {
        QTest::addColumn<QString>(
            "keys"); // t: Tab, T: Shift+Tab, < >: Alt+arrow, { }: Alt+Shift+arrow, z: Ctrl+Z
        QTest::addColumn<QList<int>>("placed");
        QTest::newRow("one frame later") << "t>" << QList<int>{151, 300, 450};
        QTest::newRow("ten frames earlier, the second") << "tt{" << QList<int>{150, 290, 450};
        QTest::newRow("never past the neighbour") << "tt{{{{{{{{{{{{{{{{" << QList<int>{150, 150, 450};
        QTest::newRow("undo twice") << "t>>>zz" << QList<int>{151, 300, 450};
        QTest::newRow("backwards from none is the last") << "T<" << QList<int>{150, 300, 449};
    }
    void editingAfterATake()
    {
        QFETCH(QString, keys);
        QFETCH(QList<int>, placed);
        CaptureRig rig;
        QVERIFY(takeThreePieces(rig));
        rig.form->activateWindow();
        rig.form->setFocus();
        for (const QChar key : keys) {
            switch (key.toLatin1()) {
            case 't':
                QTest::keyClick(rig.form, Qt::Key_Tab);
                break;
            case 'T':
                QTest::keyClick(rig.form, Qt::Key_Backtab, Qt::ShiftModifier);
                break;
            case '<':
                QTest::keyClick(rig.form, Qt::Key_Left, Qt::AltModifier);
                break;
            case '>':
                QTest::keyClick(rig.form, Qt::Key_Right, Qt::AltModifier);
                break;
            case '{':
                QTest::keyClick(rig.form, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
                break;
            case '}':
                QTest::keyClick(rig.form, Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
                break;
            case 'z':
                QTest::keyClick(rig.form, Qt::Key_Z, Qt::ControlModifier);
                break;
            }
        }
        QCOMPARE(rig.form->compiler().edit().placedFrames(), placed);
        QTest::mouseClick(rig.form->findChild<QAbstractButton*>(Names::saveButton), Qt::LeftButton);
        QFile out(dir.filePath(QStringLiteral("song.dwd")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(DwdRetime::pieceFrames(out.readAll()), placed);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("song.capture.dwd"))));
        delete rig.form.data();

        CaptureRig reopened;
        reopened.editorFile = rig.editorFile;
        QVERIFY(reopened.open());
        QCOMPARE(reopened.form->compiler().edit().placedFrames(), placed);
    }

    // A file changed behind the view's back is not overwritten with the view's times.
    void savingRefusesAFileThatChanged()
    {
        CaptureRig rig;
        QVERIFY(takeThreePieces(rig));
        rig.form->compiler().edit().select(0);
        QVERIFY(rig.form->compiler().edit().moveSelected(1));
        QFile changed(dir.filePath(QStringLiteral("song.dwd")));
        QVERIFY(changed.open(QIODevice::WriteOnly | QIODevice::Truncate));
        changed.write("DWD");
        changed.close();
        QVERIFY(!rig.form->compiler().saveEdits());
        QVERIFY(rig.boxes.shown.size() > 0);
        QVERIFY(changed.open(QIODevice::ReadOnly));
        QCOMPARE(changed.readAll(), QByteArray("DWD"));
    }

    // The view never takes the focus: Space times with it clicked.
    void clickingTheViewKeepsSpaceTiming()
    {
        CaptureRig rig;
        QVERIFY(openAnalysed(rig));
        rig.start();
        rig.pressAt(TrackPosition::fromFrames(75));
        QTest::mouseClick(rig.form->timeline(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QTest::mouseClick(rig.form->findChild<QWidget*>(Names::snapWindow), Qt::LeftButton);
        rig.pressAt(TrackPosition::fromFrames(150));
        QCOMPARE(rig.form->compiler().timedPieces(), 2);
    }
};

QTEST_MAIN(TimingViewTest)
#include "tst_TimingView.moc"
