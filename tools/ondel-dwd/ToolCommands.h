#pragma once

#include <QString>
#include <QStringList>

// ondel-dwd's commands: the table main dispatches through and --help is made
// from. A handler takes the arguments after the command's name and returns the
// exit status: 0 success, 1 a failure described on standard error, 2 bad usage.
struct ToolCommand {
    const char* name;
    const char* usage; // its paragraph of --help
    int (*run)(const QStringList& args);
    bool drawsText = false; // needs the font database of a GUI application
};

namespace ToolCommands {
const ToolCommand* find(const QString& name);
// The introduction, every command's usage in table order, the options.
QString helpText();

int pieces(const QStringList& args);
int preview(const QStringList& args);
int compile(const QStringList& args);
int repair(const QStringList& args);
int shift(const QStringList& args);
int dump(const QStringList& args);
int lrc(const QStringList& args);
int import(const QStringList& args);
int render(const QStringList& args);
int onsets(const QStringList& args);
int snap(const QStringList& args);
} // namespace ToolCommands
