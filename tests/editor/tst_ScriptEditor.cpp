#include "EditorRig.h"
#include "SmallDisk.h"
#include "editor/ScriptText.h"
#include "lyrics/format/ShiftJis.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
const QString Untitled = QStringLiteral("RizuzAvodar [New file]");
const QString Prompt = QStringLiteral("テキストが変更されています。保存しますか？");
const QString OpenFailed = QStringLiteral("Could not open file.");
const QString WriteFailed = QStringLiteral("Could not write all data to file.");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size) + 1);
    for (char& c : bytes)
        c = static_cast<char>(generator.bounded(256));
    return bytes;
}

QStringList boxTexts(const ScriptedMessageBoxes& boxes)
{
    QStringList texts;
    for (const auto& shown : boxes.shown)
        texts << shown.caption + QLatin1Char(':') + shown.text;
    return texts;
}

QString caption(const QString& path)
{
    return QStringLiteral("RizuzAvodar [%1]").arg(path);
}

ScriptFile::WriteResult failingWrite(const QString&, const QByteArray&)
{
    return ScriptFile::WriteResult::NotWritten;
}

void runCommand(ScriptEditor& editor, const QString& command)
{
    const QHash<QString, void (ScriptEditor::*)()> handlers{
        {"formsize", &ScriptEditor::insertFormSize},
        {"backcolor", &ScriptEditor::insertBackColor},
        {"fontsize", &ScriptEditor::insertFontSize},
        {"fontcolor", &ScriptEditor::insertFontColor},
        {"fontprecolor", &ScriptEditor::insertFontPreColor},
        {"setcursor", &ScriptEditor::insertSetCursor},
        {"clear", &ScriptEditor::insertClear},
        {"pausepre", &ScriptEditor::insertPausePre}};
    (editor.*handlers.value(command))();
}

} // namespace

class tst_ScriptEditor : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void init()
    {
        if (!ShiftJis::available())
            QSKIP("this Qt has no Shift-JIS codec");
        QVERIFY(dir_.isValid());
        for (const QString& name : QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir_.filePath(name));
    }

    void promptBeforeNewOrOpen_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer"); // BoxButton, or -1 for no box
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<bool>("diskFails");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QByteArray>("draftFile");
        QTest::addColumn<QStringList>("boxes");

        const QString draft = QStringLiteral("draft あ");
        const QByteArray draftBytes("draft \x82\xa0");
        const QString other = QStringLiteral("other");
        const QByteArray old("old");
        const QStringList asked{QStringLiteral("WARNING:") + Prompt};
        const int none = -1, yes = int(BoxButton::Yes), no = int(BoxButton::No),
                  cancel = int(BoxButton::Cancel);
        const QString d = path("draft.txt"), o = path("other.txt");

        QTest::newRow("new, nothing changed: no question")
            << "new" << true << false << none << QStringList{} << false << "" << Untitled << false << old
            << QStringList{};
        QTest::newRow("new, Cancel keeps everything") << "new" << true << true << cancel << QStringList{}
                                                      << false << draft << caption(d) << true << old << asked;
        QTest::newRow("new, No discards") << "new" << true << true << no << QStringList{} << false << ""
                                          << Untitled << false << old << asked;
        QTest::newRow("new, Yes saves first") << "new" << true << true << yes << QStringList{} << false << ""
                                              << Untitled << false << draftBytes << asked;
        QTest::newRow("new, Yes on an untitled text, save dialog cancelled: cleared all the same")
            << "new" << false << true << yes << QStringList{""} << false << "" << Untitled << false << old
            << asked;
        QTest::newRow("new, Yes but the save fails: the text stays")
            << "new" << true << true << yes << QStringList{} << true << draft << caption(d) << true << old
            << asked + QStringList{QStringLiteral("ERROR:") + WriteFailed};
        QTest::newRow("open, nothing changed: no question")
            << "open" << true << false << none << QStringList{o} << false << other << caption(o) << false
            << old << QStringList{};
        QTest::newRow("open, Cancel keeps everything")
            << "open" << true << true << cancel << QStringList{} << false << draft << caption(d) << true
            << old << asked;
        QTest::newRow("open, No discards") << "open" << true << true << no << QStringList{o} << false << other
                                           << caption(o) << false << old << asked;
        QTest::newRow("open, Yes on an untitled text, save dialog cancelled: opens all the same")
            << "open" << false << true << yes << QStringList{"", o} << false << other << caption(o) << false
            << old << asked;
        QTest::newRow("open, Yes but the save fails: nothing opened")
            << "open" << true << true << yes << QStringList{} << true << draft << caption(d) << true << old
            << asked + QStringList{QStringLiteral("ERROR:") + WriteFailed};
        QTest::newRow("open, open dialog cancelled after No")
            << "open" << true << true << no << QStringList{""} << false << draft << caption(d) << true << old
            << asked;
    }

    void promptBeforeNewOrOpen()
    {
        QFETCH(QString, operation);
        QFETCH(bool, titled);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(QStringList, dialogs);
        QFETCH(bool, diskFails);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(bool, modified);
        QFETCH(QByteArray, draftFile);
        QFETCH(QStringList, boxes);

        writeFile(path("draft.txt"), "old");
        writeFile(path("other.txt"), "other");
        EditorRig rig;
        if (titled) {
            rig.files.answers = {path("draft.txt")};
            rig.editor.openScript();
            QCOMPARE(rig.view.content, QStringLiteral("old"));
        }
        if (changed) {
            rig.view.select(0, rig.view.content.size());
            rig.view.type(QStringLiteral("draft あ"));
        }
        if (answer >= 0)
            rig.boxes.answer(BoxButton(answer));
        if (diskFails)
            rig.editor.setWriter(&failingWrite);
        rig.files.answers = dialogs;

        if (operation == QLatin1String("new"))
            rig.editor.newScript();
        else
            rig.editor.openScript();

        QCOMPARE(rig.view.content, text);
        QCOMPARE(rig.view.caption, caption);
        QCOMPARE(rig.editor.modified(), modified);
        QCOMPARE(readFile(path("draft.txt")), draftFile);
        QCOMPARE(boxTexts(rig.boxes), boxes);
        if (answer >= 0)
            QCOMPARE(rig.boxes.shown.first().buttons, BoxButtons::YesNoCancel);
        QVERIFY(rig.files.answers.isEmpty());
    }

    void readsWholeFiles_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 255, 256, 257, 511, 512, 513, 4096, 70000})
            QTest::addRow("%d bytes", size) << size;
    }

    // Sizes around the reads of 256 bytes: nothing is lost or added, and a
    // save of the unchanged text writes the same bytes.
    void readsWholeFiles()
    {
        QFETCH(int, size);
        const QByteArray bytes = randomBytes(size);
        writeFile(path("in.txt"), bytes);
        EditorRig rig;
        rig.files.answers = {path("in.txt"), path("out.txt")};
        rig.editor.openScript();
        QCOMPARE(rig.view.content, ScriptText::toEditText(bytes));
        QVERIFY(!rig.editor.modified());
        QVERIFY(rig.editor.saveAs());
        QCOMPARE(readFile(path("out.txt")), bytes);
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("file that does not exist") << path("missing.txt");
        QTest::newRow("a folder") << dir_.path();
        // Neither may block the window or read without end.
        QTest::newRow("a named pipe") << path("pipe");
        QTest::newRow("a device that never ends") << "/dev/zero";
    }

    // The current text, file and state stay as they were.
    void openFailures()
    {
        QFETCH(QString, chosen);
        if (chosen == path("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(chosen).constData(), 0600), 0);
        writeFile(path("draft.txt"), "old");
        EditorRig rig;
        rig.files.answers = {path("draft.txt")};
        rig.editor.openScript();
        rig.view.type(QStringLiteral("new "));
        rig.host.reloads = 0;
        rig.boxes.answer(BoxButton::No);
        rig.files.answers = {chosen};
        rig.editor.openScript();
        QCOMPARE(boxTexts(rig.boxes).last(), QStringLiteral("ERROR:") + OpenFailed);
        QCOMPARE(rig.boxes.shown.last().buttons, BoxButtons::Ok);
        QCOMPARE(rig.view.content, QStringLiteral("new old"));
        QCOMPARE(rig.editor.fileName(), path("draft.txt"));
        QCOMPARE(rig.host.editorFileName, path("draft.txt"));
        QCOMPARE(rig.view.caption, caption(path("draft.txt")));
        QVERIFY(rig.editor.modified());
        QCOMPARE(rig.host.reloads, 0);
    }

    // Save as onto an existing file replaces it without asking.
    void saveAsOverAnExistingFile()
    {
        writeFile(path("there.txt"), "a longer text that was there before");
        EditorRig rig;
        rig.view.type(QStringLiteral("new\nlines"));
        rig.files.answers = {path("there.txt")};
        QVERIFY(rig.editor.saveAs());
        QCOMPARE(readFile(path("there.txt")), QByteArray("new\r\nlines"));
        QVERIFY(rig.boxes.shown.isEmpty());
        QCOMPARE(rig.view.caption, caption(path("there.txt")));
        QCOMPARE(rig.host.editorFileName, path("there.txt"));
        QVERIFY(!rig.editor.modified());
        // The name is kept: the next save asks no more.
        rig.view.type(QStringLiteral("!"));
        QVERIFY(rig.editor.save());
        QCOMPARE(rig.files.titles.size(), 1);
        QCOMPARE(readFile(path("there.txt")), QByteArray("new\r\nlines!"));
    }

    void saveFailures_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("diskFails");
        QTest::addColumn<QString>("message");
        QTest::newRow("writing fails part way") << "there.txt" << true << WriteFailed;
        QTest::newRow("folder does not exist") << "no/such/folder.txt" << false << OpenFailed;
    }

    // The previous file stays whole, no temporary file is left, the text
    // stays marked changed under its old caption; the chosen name is kept
    // for the next save.
    void saveFailures()
    {
        QFETCH(QString, target);
        QFETCH(bool, diskFails);
        QFETCH(QString, message);
        writeFile(path("there.txt"), "previous");
        EditorRig rig;
        rig.view.type(QStringLiteral("lost?"));
        if (diskFails)
            rig.editor.setWriter(&failingWrite);
        rig.files.answers = {dir_.filePath(target)};
        QVERIFY(!rig.editor.save());
        QCOMPARE(boxTexts(rig.boxes), QStringList{QStringLiteral("ERROR:") + message});
        QCOMPARE(readFile(path("there.txt")), QByteArray("previous"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"there.txt"});
        QVERIFY(rig.editor.modified());
        QCOMPARE(rig.editor.caption(), Untitled);
        QCOMPARE(rig.host.editorFileName, QStringLiteral("(unset)"));
        QCOMPARE(rig.host.reloads, 0);
        QCOMPARE(rig.editor.fileName(), dir_.filePath(target));
        QVERIFY(!rig.editor.save());
        QCOMPARE(rig.files.titles.size(), 1);
    }

    void fullDisk_data()
    {
        QTest::addColumn<QString>("operation"); // save, saveAs or close (answering Yes)
        QTest::addColumn<int>("size");          // of the new text, in bytes
        QTest::addColumn<qint64>("freeBytes");
        QTest::addColumn<bool>("written");
        // The file device buffers 16 KiB: a smaller text meets the full disk
        // only at the last flush, a larger one while it is written.
        const int small = 368;
        const int large = 40000;
        for (const char* operation : {"save", "saveAs", "close"}) {
            QTest::addRow("%s, small text, no space", operation) << operation << small << qint64(0) << false;
            QTest::addRow("%s, large text, no space", operation) << operation << large << qint64(0) << false;
            QTest::addRow("%s, large text, a few bytes short", operation)
                << operation << large << qint64(large - 100) << false;
        }
        QTest::newRow("save, small text, room enough") << "save" << small << qint64(8192) << true;
    }

    // On a full disk every way of saving leaves the previous file byte for
    // byte and no temporary behind, says so and keeps the text changed (the
    // editor stays open); with room the text is written.
    void fullDisk()
    {
        QFETCH(QString, operation);
        QFETCH(int, size);
        QFETCH(qint64, freeBytes);
        QFETCH(bool, written);
        auto mounted = SmallDisk::mount(256 * 1024);
        if (const QString* why = std::get_if<QString>(&mounted))
            QSKIP(qPrintable(*why));
        SmallDisk& disk = *std::get<std::unique_ptr<SmallDisk>>(mounted);
        const QString opened = disk.filePath(QStringLiteral("lyrics.txt"));
        const QString target =
            operation == QLatin1String("saveAs") ? disk.filePath(QStringLiteral("copy.txt")) : opened;
        const QByteArray previous = randomBytes(1000);
        writeFile(opened, previous);
        writeFile(target, previous);
        EditorRig rig;
        rig.files.answers = {opened};
        rig.editor.openScript();
        rig.view.select(0, rig.view.content.size());
        rig.view.type(QString(size, QLatin1Char('x')));
        QVERIFY(disk.leaveFree(freeBytes));

        rig.files.answers = {target};
        bool saved = false;
        if (operation == QLatin1String("save"))
            saved = rig.editor.save();
        else if (operation == QLatin1String("saveAs"))
            saved = rig.editor.saveAs();
        else {
            rig.boxes.answer(BoxButton::Yes);
            saved = rig.editor.shutDown();
        }

        QCOMPARE(saved, written);
        QCOMPARE(readFile(target), written ? QByteArray(size, 'x') : previous);
        QCOMPARE(readFile(opened), opened == target && written ? QByteArray(size, 'x') : previous);
        QStringList files{"copy.txt", "fill", "lyrics.txt"};
        if (operation != QLatin1String("saveAs"))
            files.removeFirst();
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), files);
        QCOMPARE(rig.editor.modified(), !written);
        const QString failed = QStringLiteral("ERROR:") + WriteFailed;
        QCOMPARE(boxTexts(rig.boxes).contains(failed), !written);
        QCOMPARE(rig.view.caption, caption(written ? target : opened));
    }

    // A character Shift-JIS cannot hold stops the save and is shown; the
    // file is not touched.
    void unencodableCharacter()
    {
        writeFile(path("there.txt"), "previous");
        EditorRig rig;
        rig.view.type(QStringLiteral("ok\nno € here"));
        rig.files.answers = {path("there.txt")};
        QVERIFY(!rig.editor.save());
        QCOMPARE(rig.boxes.shown.size(), 1);
        QVERIFY(rig.boxes.shown.first().text.contains(QStringLiteral("€")));
        QVERIFY(rig.boxes.shown.first().text.contains(QStringLiteral("line 2")));
        QCOMPARE(rig.view.selectionStart, 6);
        QCOMPARE(rig.view.selectionLength, 1);
        QCOMPARE(readFile(path("there.txt")), QByteArray("previous"));
        QVERIFY(rig.editor.modified());
    }

    void commandInsertion_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("values"); // "cancel" for a cancelled dialog
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("asked");

        const QString before = QStringLiteral("(before)");
        QTest::newRow("clear replaces the selected word") << "clear" << QStringList{} << "歌う[/clear]の"
                                                          << "[/clear]"
                                                          << "";
        QTest::newRow("pausepre") << "pausepre" << QStringList{} << "歌う[/pausepre]の"
                                  << "[/pausepre]"
                                  << "";
        QTest::newRow("window size with both fields empty")
            << "formsize" << QStringList{"", ""} << "歌う[/formsize(,)]の"
            << "[/formsize(,)]"
            << "ウィンドウサイズを指定|幅|高さ";
        QTest::newRow("window size cancelled: nothing, clipboard untouched")
            << "formsize" << QStringList{"cancel"} << "歌うこの" << before
            << "ウィンドウサイズを指定|幅|高さ";
        QTest::newRow("position as typed, spaces and all")
            << "setcursor" << QStringList{" 10 ", "y"} << "歌う[/setcursor( 10 ,y)]の"
            << "[/setcursor( 10 ,y)]"
            << "表示位置を指定|ｘ（横）軸|ｙ（縦）軸";
        QTest::newRow("font size") << "fontsize" << QStringList{"24"} << "歌う[/fontsize(24)]の"
                                   << "[/fontsize(24)]"
                                   << "フォントサイズを指定|フォントの大きさ（ポイント）";
        QTest::newRow("font size cancelled") << "fontsize" << QStringList{"cancel"} << "歌うこの" << before
                                             << "フォントサイズを指定|フォントの大きさ（ポイント）";
        QTest::newRow("background pure red")
            << "backcolor" << QStringList{"0x0000FF"} << "歌う[/backcolor(255,0,0)]の"
            << "[/backcolor(255,0,0)]"
            << "";
        QTest::newRow("font colour, one byte each")
            << "fontcolor" << QStringList{"0x123456"} << "歌う[/fontcolor(86,52,18)]の"
            << "[/fontcolor(86,52,18)]"
            << "";
        QTest::newRow("pre colour white")
            << "fontprecolor" << QStringList{"0xFFFFFF"} << "歌う[/fontprecolor(255,255,255)]の"
            << "[/fontprecolor(255,255,255)]"
            << "";
        QTest::newRow("colour cancelled")
            << "backcolor" << QStringList{"cancel"} << "歌うこの" << before << "";
    }

    // Each command goes through the clipboard over the selection "こ" and
    // marks the text changed.
    void commandInsertion()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, values);
        QFETCH(QString, text);
        QFETCH(QString, clipboard);
        QFETCH(QString, asked);
        EditorRig rig;
        rig.view.content = QStringLiteral("歌うこの");
        rig.view.select(2, 1);
        const bool cancelled = values == QStringList{"cancel"};
        if (command.contains(QLatin1String("color"))) {
            if (!cancelled)
                rig.colors.answers.append(values.first().toUInt(nullptr, 16));
        }
        else if (!values.isEmpty()) {
            rig.view.answers.append(cancelled ? std::nullopt : std::optional<QStringList>(values));
        }
        runCommand(rig.editor, command);
        QCOMPARE(rig.view.content, text);
        QCOMPARE(rig.clipboard.content, clipboard);
        QCOMPARE(rig.editor.modified(), !cancelled);
        if (!asked.isEmpty()) {
            QCOMPARE(rig.view.asked.size(), 1);
            const auto& p = rig.view.asked.first();
            QCOMPARE((QStringList{p.caption} + p.labels).join(QLatin1Char('|')), asked);
        }
        if (!cancelled)
            QCOMPARE(rig.view.selectionStart, text.indexOf(QStringLiteral("]の")) + 1);
    }

    // One colour dialog for the three colour commands: it opens on the
    // colour chosen last, and a cancel keeps that colour.
    void colourDialogRemembersTheLastColour()
    {
        EditorRig rig;
        rig.colors.answers = {0x0000FF, std::nullopt, 0x00FF00};
        rig.editor.insertBackColor();
        rig.editor.insertFontColor();
        rig.editor.insertFontPreColor();
        rig.editor.insertBackColor();
        QCOMPARE(rig.colors.initials, (QList<quint32>{0, 0x0000FF, 0x0000FF, 0x00FF00}));
    }

    void closing_data()
    {
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<bool>("diskFails");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("file");
        const int none = -1, yes = int(BoxButton::Yes), no = int(BoxButton::No);
        QTest::newRow("nothing changed")
            << true << false << none << QStringList{} << false << true << QByteArray("old");
        QTest::newRow("No discards") << true << true << no << QStringList{} << false << true
                                     << QByteArray("old");
        QTest::newRow("Yes saves") << true << true << yes << QStringList{} << false << true
                                   << QByteArray("oldmore");
        QTest::newRow("Yes on an untitled text, save dialog cancelled: stays open")
            << false << true << yes << QStringList{""} << false << false << QByteArray("old");
        QTest::newRow("Yes but the save fails: stays open")
            << true << true << yes << QStringList{} << true << false << QByteArray("old");
    }

    // Only No discards unsaved text; a save the user asked for that did
    // not happen keeps the editor open.
    void closing()
    {
        QFETCH(bool, titled);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(QStringList, dialogs);
        QFETCH(bool, diskFails);
        QFETCH(bool, closes);
        QFETCH(QByteArray, file);
        writeFile(path("draft.txt"), "old");
        EditorRig rig;
        if (titled) {
            rig.files.answers = {path("draft.txt")};
            rig.editor.openScript();
        }
        if (changed) {
            rig.view.select(rig.view.content.size(), 0);
            rig.view.type(QStringLiteral("more"));
        }
        if (answer >= 0)
            rig.boxes.answer(BoxButton(answer));
        if (diskFails)
            rig.editor.setWriter(&failingWrite);
        rig.files.answers = dialogs;
        const int reloads = rig.host.reloads;
        QCOMPARE(rig.editor.shutDown(), closes);
        QCOMPARE(rig.host.closed, closes ? 1 : 0);
        QCOMPARE(readFile(path("draft.txt")), file);
        if (answer >= 0)
            QCOMPARE(rig.boxes.shown.first().buttons, BoxButtons::YesNo);
        if (closes) {
            QCOMPARE(rig.host.editorFileName, QString());
            // A compiler window keeps its script when the editor goes.
            QCOMPARE(rig.host.reloads, reloads + (answer == int(BoxButton::Yes) ? 1 : 0));
        }
        else {
            QVERIFY(rig.editor.modified());
            QCOMPARE(rig.view.content, titled ? QStringLiteral("oldmore") : QStringLiteral("more"));
        }
    }

    // The main window learns the file and an open compiler window takes up
    // the script after new, open and every save.
    void mainWindowFollowsTheFile()
    {
        writeFile(path("a.txt"), "a");
        EditorRig rig;
        QCOMPARE(rig.editor.caption(), Untitled);
        rig.files.answers = {path("a.txt"), path("b.txt")};
        rig.editor.openScript();
        QCOMPARE(rig.host.editorFileName, path("a.txt"));
        QCOMPARE(rig.host.reloads, 1);
        QVERIFY(rig.editor.saveAs());
        QCOMPARE(rig.host.editorFileName, path("b.txt"));
        QCOMPARE(rig.host.reloads, 2);
        rig.editor.newScript();
        QCOMPARE(rig.host.editorFileName, QString());
        QCOMPARE(rig.view.caption, Untitled);
        QCOMPARE(rig.editor.fileName(), QString());
        QCOMPARE(rig.host.reloads, 3);
        QCOMPARE(rig.files.filters.first(), QStringLiteral("テキストファイル(*.txt)|*.txt"));
        QCOMPARE(rig.files.suffixes.first(), QStringLiteral("txt"));
    }
};

QTEST_GUILESS_MAIN(tst_ScriptEditor)
#include "tst_ScriptEditor.moc"
