#include "EditorRig.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "editor/ui/OneValueDialog.h"
#include "editor/ui/ParameterDialog.h"
#include "editor/ui/ScriptEditorWindow.h"
#include "editor/ui/TwoValueDialog.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// After any parameter or colour dialog the keys go on into the text: the
// user types on without a click.
class tst_EditorFocusAfterDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typingGoesOn_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("button"); // Button1 OK, Button2 Cancel
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("window size, OK") << "formsize1"
                                         << "Button1"
                                         << "3"
                                         << "a[/formsize(3,)]x";
        QTest::newRow("position, OK") << "setcursor1"
                                      << "Button1"
                                      << "5"
                                      << "a[/setcursor(5,)]x";
        QTest::newRow("font size, OK") << "fontsize1"
                                       << "Button1"
                                       << "12"
                                       << "a[/fontsize(12)]x";
        QTest::newRow("font size, Cancel") << "fontsize1"
                                           << "Button2"
                                           << "12"
                                           << "ax";
    }
    void typingGoesOn()
    {
        QFETCH(QString, command);
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        EditorRig::Host host;
        ScriptedMessageBoxes boxes;
        ScriptedFileDialogs files;
        EditorRig::Colors colors;
        ScriptEditorWindow editor(host, boxes, &files, &colors);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.activateWindow();
        QTest::keyClicks(editor.textEdit, QStringLiteral("a"));
        QTRY_COMPARE(QApplication::focusWidget(), editor.textEdit);

        QTimer::singleShot(0, &editor, [&] {
            ParameterDialog* d = editor.twoValueDialog
                                     ? static_cast<ParameterDialog*>(editor.twoValueDialog.data())
                                     : static_cast<ParameterDialog*>(editor.oneValueDialog.data());
            QVERIFY(d);
            d->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(typed);
            QTimer::singleShot(30, d, [d, button] { d->findChild<QPushButton*>(button)->click(); });
        });
        editor.findChild<QAction*>(command)->trigger();

        QTRY_COMPARE(QApplication::focusWidget(), editor.textEdit);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
        QCOMPARE(editor.textEdit->toPlainText(), text);
    }
};

QTEST_MAIN(tst_EditorFocusAfterDialog)
#include "tst_EditorFocusAfterDialog.moc"
