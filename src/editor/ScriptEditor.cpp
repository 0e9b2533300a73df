#include "ScriptEditor.h"

#include "editor/ScriptEditorHost.h"
#include "editor/ScriptEditorView.h"
#include "editor/ScriptText.h"
#include "platform/Clipboard.h"
#include "platform/ColorDialogs.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"

namespace {
const QString CaptionPrefix = QStringLiteral("RizuzAvodar [");
const QString Untitled = QStringLiteral("New file");
const QString ErrorCaption = QStringLiteral("ERROR");
const QString WarningCaption = QStringLiteral("WARNING");
const QString Suffix = QStringLiteral("txt");
} // namespace

ScriptEditor::ScriptEditor(ScriptEditorView& view, ScriptEditorHost& host, FileDialogs& fileDialogs,
                           ColorDialogs& colorDialogs, MessageBoxes& boxes, Clipboard& clipboard)
    : view_(view), host_(host), fileDialogs_(fileDialogs), colorDialogs_(colorDialogs), boxes_(boxes),
      clipboard_(clipboard)
{
}

QString ScriptEditor::changedTextPrompt()
{
    return QStringLiteral("テキストが変更されています。保存しますか？");
}

QString ScriptEditor::openFailedMessage()
{
    return QStringLiteral("Could not open file.");
}

QString ScriptEditor::writeFailedMessage()
{
    return QStringLiteral("Could not write all data to file.");
}

QString ScriptEditor::unencodableMessage(QChar character, int line)
{
    return QStringLiteral("Could not write the character \"%1\" (line %2): Shift-JIS has no code for it.")
        .arg(character)
        .arg(line);
}

QString ScriptEditor::textFileFilter()
{
    return QStringLiteral("テキストファイル(*.txt)|*.txt");
}

QString ScriptEditor::caption() const
{
    // The caption names a file only once it has been opened or saved: a
    // save that could not create its file keeps the old caption.
    return CaptionPrefix + (shownName_.isEmpty() ? Untitled : shownName_) + QLatin1Char(']');
}

void ScriptEditor::setCaption()
{
    view_.setCaption(caption());
}

void ScriptEditor::showError(const QString& text)
{
    boxes_.show(ErrorCaption, text, BoxIcon::Error, BoxButtons::Ok);
}

ScriptEditor::Prompt ScriptEditor::promptToSave(bool withCancel)
{
    if (!modified_)
        return Prompt::Discarded;
    const BoxButton answer = boxes_.show(WarningCaption, changedTextPrompt(), BoxIcon::Warning,
                                         withCancel ? BoxButtons::YesNoCancel : BoxButtons::YesNo);
    if (answer == BoxButton::Cancel)
        return Prompt::Cancelled;
    if (answer != BoxButton::Yes)
        return Prompt::Discarded;
    if (save())
        return Prompt::Saved;
    return saveDialogCancelled_ ? Prompt::SaveAbandoned : Prompt::SaveFailed;
}

void ScriptEditor::newScript()
{
    const Prompt prompt = promptToSave(true);
    // A save the user asked for that failed keeps the text: it exists nowhere else.
    if (prompt == Prompt::Cancelled || prompt == Prompt::SaveFailed)
        return;
    view_.setText(QString());
    fileName_.clear();
    shownName_.clear();
    host_.setEditorFileName(QString());
    setCaption();
    modified_ = false;
    host_.reloadCompilerScript();
}

void ScriptEditor::openScript()
{
    const Prompt prompt = promptToSave(true);
    if (prompt == Prompt::Cancelled || prompt == Prompt::SaveFailed)
        return;
    const std::optional<QString> chosen =
        fileDialogs_.openFile(QStringLiteral("開く"), textFileFilter(), Suffix);
    if (!chosen)
        return;
    const std::optional<QByteArray> bytes = ScriptFile::read(*chosen);
    if (!bytes) {
        showError(openFailedMessage());
        return;
    }
    fileName_ = *chosen;
    shownName_ = *chosen;
    host_.setEditorFileName(fileName_);
    view_.setText(ScriptText::toEditText(*bytes));
    setCaption();
    modified_ = false;
    host_.reloadCompilerScript();
}

bool ScriptEditor::save()
{
    return save(fileName_.isEmpty());
}

bool ScriptEditor::saveAs()
{
    return save(true);
}

bool ScriptEditor::save(bool askForName)
{
    saveDialogCancelled_ = false;
    if (askForName) {
        const std::optional<QString> chosen =
            fileDialogs_.saveFile(QStringLiteral("名前を付けて保存"), textFileFilter(), Suffix, fileName_);
        if (!chosen) {
            saveDialogCancelled_ = true;
            return false;
        }
        fileName_ = *chosen;
    }
    const QString text = view_.text();
    const ScriptText::Encoded encoded = ScriptText::fromEditText(text);
    if (!encoded.ok()) {
        // Writing the rest would lose the character silently: show where it is.
        const int line = text.left(encoded.unencodable).count(QLatin1Char('\n')) + 1;
        const qsizetype length = text[encoded.unencodable].isHighSurrogate() ? 2 : 1;
        view_.select(encoded.unencodable, length);
        showError(unencodableMessage(text[encoded.unencodable], line));
        return false;
    }
    switch (writer_(fileName_, encoded.bytes)) {
    case ScriptFile::WriteResult::NotOpened:
        showError(openFailedMessage());
        return false;
    case ScriptFile::WriteResult::NotWritten:
        showError(writeFailedMessage());
        return false;
    case ScriptFile::WriteResult::Written:
        break;
    }
    shownName_ = fileName_;
    host_.setEditorFileName(fileName_);
    setCaption();
    modified_ = false;
    host_.reloadCompilerScript();
    return true;
}

void ScriptEditor::insertCommand(const QString& text)
{
    // Through the clipboard, as the menu's paste: the command replaces the
    // selection, the caret ends behind it and the change can be undone.
    clipboard_.setText(text);
    view_.paste();
}

void ScriptEditor::insertFormSize()
{
    const auto values = view_.askParameters(
        {QStringLiteral("ウィンドウサイズを指定"), {QStringLiteral("幅"), QStringLiteral("高さ")}});
    if (values)
        insertCommand(QStringLiteral("[/formsize(") + values->value(0) + QLatin1Char(',') + values->value(1) +
                      QStringLiteral(")]"));
}

void ScriptEditor::insertSetCursor()
{
    const auto values = view_.askParameters(
        {QStringLiteral("表示位置を指定"), {QStringLiteral("ｘ（横）軸"), QStringLiteral("ｙ（縦）軸")}});
    if (values)
        insertCommand(QStringLiteral("[/setcursor(") + values->value(0) + QLatin1Char(',') +
                      values->value(1) + QStringLiteral(")]"));
}

void ScriptEditor::insertFontSize()
{
    const auto values = view_.askParameters(
        {QStringLiteral("フォントサイズを指定"), {QStringLiteral("フォントの大きさ（ポイント）")}});
    if (values)
        insertCommand(QStringLiteral("[/fontsize(") + values->value(0) + QStringLiteral(")]"));
}

void ScriptEditor::insertColorCommand(const char* name)
{
    const std::optional<quint32> color = colorDialogs_.chooseColor(lastColor_);
    if (!color)
        return;
    lastColor_ = *color;
    insertCommand(QStringLiteral("[/%1(%2,%3,%4)]")
                      .arg(QLatin1String(name))
                      .arg(*color & 0xFF)
                      .arg((*color >> 8) & 0xFF)
                      .arg((*color >> 16) & 0xFF));
}

void ScriptEditor::insertBackColor()
{
    insertColorCommand("backcolor");
}

void ScriptEditor::insertFontColor()
{
    insertColorCommand("fontcolor");
}

void ScriptEditor::insertFontPreColor()
{
    insertColorCommand("fontprecolor");
}

void ScriptEditor::insertClear()
{
    insertCommand(QStringLiteral("[/clear]"));
}

void ScriptEditor::insertPausePre()
{
    insertCommand(QStringLiteral("[/pausepre]"));
}

bool ScriptEditor::shutDown()
{
    const Prompt prompt = promptToSave(false);
    if (prompt == Prompt::SaveFailed || prompt == Prompt::SaveAbandoned)
        return false;
    // An open compiler window keeps the script it has.
    host_.setEditorFileName(QString());
    host_.scriptEditorClosed();
    return true;
}
