#include "LyricsRig.h"

#include <QTest>

// A box about a track's lyrics file stays open while the track plays on; in
// one-track repeat every new round loads the same missing file again.
class tst_LyricsRepeatBoxes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Seven rounds of a five-second track go by under the first box: it
    // stays the only one, and once it is answered the next round asks again.
    void oneBoxAtATimeForAMissingFile()
    {
        LyricsRig rig(QStringLiteral("tracks=2,length=0:05"));
        rig.relate(1, rig.files.filePath(QStringLiteral("gone.dwd")));
        rig.transport.setPlayMode(PlayMode::RepeatOne);
        for (int round = 0; round < 20; ++round)
            rig.boxes.answer(BoxButton::Cancel);
        rig.boxes.whileOpen([&] { rig.runUntil(35000); });
        rig.play(1);
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.boxes.shown[0].text, LyricsPlayback::missingFileMessage());

        rig.runUntil(50000);
        QVERIFY(rig.boxes.shown.size() >= 2);
        QVERIFY(!rig.reading().wordsActive);
    }
};

QTEST_MAIN(tst_LyricsRepeatBoxes)
#include "tst_LyricsRepeatBoxes.moc"
